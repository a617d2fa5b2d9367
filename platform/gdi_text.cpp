// Text output of the native GDI and USER: metrics, extents, TextOutW and DrawTextExW. Text is
// UTF-16; glyph cells are ascent plus descent high and advance wide, drawn from the top-left
// corner of the cell, through the viewport origin and inside the clip region.
#include <algorithm>
#include <climits>
#include <cstring>

#include "gdi_internal.h"
#include "text_fonts.h"

using namespace platform;

namespace {

realized_font* font_of(dc_object& dc) { return dc.font ? &realize(*dc.font) : nullptr; }

// The width of a run, counted only up to `enough` when that is all the caller needs to know.
int run_width(realized_font& font, const WCHAR* text, int length, int enough = INT_MAX) {
    int width = 0;
    for (int i = 0; i < length && width < enough;) width += font.measure(next_code_point(text, length, i));
    return width;
}

// The bits i of a 64-bit word with first <= i < end.
uint64_t bits_between(int first, int end) {
    first = std::max(first, 0);
    uint64_t below_end = end >= 64 ? ~uint64_t{0} : (uint64_t{1} << end) - 1;
    return below_end & ~((uint64_t{1} << first) - 1);
}

// Draws ink with the top-left corner of its mask at the device point (left, top), only the part
// inside `limit`, a column word at a time.
void draw_ink(bitmap_object& bitmap, const ink_mask& ink, int left, int top, const RECT& limit, uint32_t value) {
    int first_column = std::max(0, static_cast<int>(limit.left) - left);
    int end_column = std::min(ink.width, static_cast<int>(limit.right) - left);
    int first_row = std::max(0, static_cast<int>(limit.top) - top);
    int end_row = std::min(ink.rows, static_cast<int>(limit.bottom) - top);
    if (first_column >= end_column || first_row >= end_row) return;
    for (int word = first_column / 64; word * 64 < end_column; ++word)
        bitmap.fill_bit_rows(left + word * 64, top + first_row, end_row - first_row,
                             ink.bits.data() + static_cast<ptrdiff_t>(first_row) * ink.words_per_row + word,
                             ink.words_per_row, bits_between(first_column - word * 64, end_column - word * 64), value);
}

// Draws a run with its cell's top-left corner at the logical point (x, y), touching only device
// pixels inside `limit`. With the opaque mode the cells are first filled with the background colour.
// A run short enough to be kept is drawn from its run ink; a longer one glyph by glyph.
void draw_run(dc_object& dc, realized_font& font, int x, int y, const WCHAR* text, int length, RECT limit) {
    int device_x = x + dc.viewport.x, device_y = y + dc.viewport.y;
    limit = intersect(limit, drawable_area(dc));
    if (length == 0 || limit.left >= limit.right || limit.top >= limit.bottom) return;
    bitmap_object& bitmap = *dc.bitmap;
    const run_ink* kept = length <= realized_font::KEPT_RUN_LENGTH ? &font.ink_of_run(text, length) : nullptr;
    if (dc.background_mode == OPAQUE) {
        int width = kept ? kept->measured_width : run_width(font, text, length, static_cast<int>(limit.right) - device_x);
        RECT cells = intersect({device_x, device_y, device_x + width, device_y + font.height()}, limit);
        bitmap.fill_rect(cells, bitmap.value_of(dc.background_colour));
    }
    uint32_t ink = bitmap.value_of(dc.text_colour);
    if (kept) return draw_ink(bitmap, kept->ink, device_x + kept->left, device_y + kept->top, limit, ink);
    int baseline = device_y + font.ascent();
    int pen = device_x;
    // The glyphs past the limit's right edge are not visited at all (no glyph reaches a whole
    // cell height left of its pen position).
    int last_pen = static_cast<int>(limit.right) + font.height();
    for (int i = 0; i < length && pen < last_pen;) {
        const glyph_image& glyph = font.glyph(next_code_point(text, length, i));
        draw_ink(bitmap, glyph.ink, pen + glyph.left, baseline - glyph.top, limit, ink);
        pen += glyph.advance;
    }
}

bool is_space(WCHAR unit) { return unit == u' '; }
bool is_newline(WCHAR unit) { return unit == u'\r' || unit == u'\n'; }

// The first line break of text[start, length), or length. Both breaks are below 14, and four
// units at a time are passed over while none of them is: a drawn line is mostly letters.
int line_end(const WCHAR* text, int start, int length) {
    constexpr uint64_t ones = 0x0001000100010001ull, high_bits = 0x8000800080008000ull;
    int i = start;
    for (; i + 4 <= length; i += 4) {
        uint64_t units = 0;
        std::memcpy(&units, text + i, sizeof units);
        if (((units - 14 * ones) & ~units & high_bits) != 0) break;  // a unit below 14 is among them
    }
    while (i < length && !is_newline(text[i])) ++i;
    return i;
}

// Where the next line starts after a line that ends at `end`: past its "\r", "\n" or "\r\n".
int after_line_end(const WCHAR* text, int length, int end) {
    if (end == length) return end;
    int next = end + 1;
    if (text[end] == u'\r' && next < length && text[next] == u'\n') ++next;
    return next;
}

// One line of a DrawTextExW layout: the units [start, end) drawn, where the next line starts, and
// its width with and without the spaces that end it.
struct line_span {
    int start;
    int end;
    int next;
    int width;
    int ink_width;
};

// The line starting at `start`. With word breaking a line holds whole words, each with the spaces
// that follow it, as long as they fit inside `limit`.
// A word wider than the line is not broken but stands on a line of its own, wider than the limit.
// Without word breaking the widths are measured only when `widths` asks for them: a line drawn
// from the left edge needs only its end.
line_span next_line(realized_font& font, const WCHAR* text, int length, int start, bool single, bool word_break,
                    int limit, bool widths) {
    if (!word_break && !widths) {
        int end = single ? length : line_end(text, start, length);
        return {start, end, after_line_end(text, length, end), 0, 0};
    }
    int width = 0;
    int break_at = start, break_width = 0, break_ink = 0;  // the end of the last word and its spaces
    int i = start;
    while (i < length) {
        if (!single && is_newline(text[i])) return {start, i, after_line_end(text, length, i), width, width};
        if (word_break && is_space(text[i])) {
            int spaced = width, end = i;
            for (; end < length && is_space(text[end]); ++end) spaced += font.measure(text[end]);
            if (spaced > limit && break_at > start) return {start, break_at, break_at, break_width, break_ink};
            break_ink = width;
            width = break_width = spaced;
            i = break_at = end;
            continue;
        }
        int advance = font.measure(next_code_point(text, length, i));
        if (word_break && width + advance > limit && break_at > start)
            return {start, break_at, break_at, break_width, break_ink};
        width += advance;
    }
    return {start, length, length, width, break_at == length ? break_ink : width};
}

// The width a line is aligned and measured with: left-aligned lines keep the spaces that end them
// while those still fit, centred and right-aligned ones are placed by their ink alone.
int layout_width(const line_span& line, UINT format, int limit) {
    bool left = (format & (DT_CENTER | DT_RIGHT)) == 0;
    return left && line.width <= limit ? line.width : line.ink_width;
}

}  // namespace

extern "C" {

BOOL WINAPI GetTextMetricsW(HDC hdc, LPTEXTMETRICW metrics) {
    dc_object* dc = lookup_dc(hdc);
    if (!dc || !metrics) return FALSE;
    realized_font* font = font_of(*dc);
    if (!font) return FALSE;
    *metrics = TEXTMETRICW{};
    metrics->tmHeight = font->height();
    metrics->tmAscent = font->ascent();
    metrics->tmDescent = font->descent();
    metrics->tmInternalLeading = font->internal_leading();
    metrics->tmAveCharWidth = font->measure(u'x');
    int widest = 0;
    for (char32_t code = 0x20; code < 0x7F; ++code) widest = std::max(widest, font->measure(code));
    metrics->tmMaxCharWidth = widest;
    metrics->tmWeight = font->weight() ? font->weight() : FW_NORMAL;
    metrics->tmFirstChar = 0x20;
    metrics->tmLastChar = 0xFFFF;
    metrics->tmDefaultChar = 0x1F;
    metrics->tmBreakChar = 0x20;
    metrics->tmPitchAndFamily = dc->font->logfont.lfPitchAndFamily;
    metrics->tmCharSet = dc->font->logfont.lfCharSet;
    return TRUE;
}

BOOL WINAPI GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int length, LPSIZE size) {
    dc_object* dc = lookup_dc(hdc);
    if (!dc || !size || length < 0 || (!text && length > 0)) return FALSE;
    realized_font* font = font_of(*dc);
    if (!font) return FALSE;
    *size = {run_width(*font, text, length), font->height()};
    return TRUE;
}

BOOL WINAPI TextOutW(HDC hdc, int x, int y, LPCWSTR text, int length) {
    dc_object* dc = lookup_dc(hdc);
    if (!dc || length < 0 || (!text && length > 0)) return FALSE;
    realized_font* font = font_of(*dc);
    if (!font || !dc->bitmap) return FALSE;
    draw_run(*dc, *font, x, y, text, length, drawable_area(*dc));
    return TRUE;
}

// The glyph indices of the selected font itself, unit by unit: the faces linked to it are not
// asked, as Windows does not ask them either.
DWORD WINAPI GetGlyphIndicesW(HDC hdc, LPCWSTR text, int count, WORD* indices, DWORD flags) {
    dc_object* dc = lookup_dc(hdc);
    if (!dc || count < 0 || (count > 0 && (!text || !indices))) return GDI_ERROR;
    realized_font* font = font_of(*dc);
    if (!font) return GDI_ERROR;
    WORD missing = (flags & GGI_MARK_NONEXISTING_GLYPHS) ? realized_font::NO_GLYPH : font->default_glyph_index();
    for (int i = 0; i < count; ++i) {
        WORD index = font->glyph_index(text[i]);
        indices[i] = index == realized_font::NO_GLYPH ? missing : index;
    }
    return static_cast<DWORD>(count);
}

int WINAPI DrawTextExW(HDC hdc, LPWSTR text, int length, LPRECT rect, UINT format, LPDRAWTEXTPARAMS params) {
    dc_object* dc = lookup_dc(hdc);
    if (!dc || !rect || (!text && length != 0)) return 0;
    if (params && params->cbSize != sizeof(DRAWTEXTPARAMS)) return 0;
    if (length < 0) {
        length = 0;
        while (text[length]) ++length;
    }
    realized_font* font = font_of(*dc);
    if (!font) return 0;
    int left_margin = params ? params->iLeftMargin : 0;
    int right_margin = params ? params->iRightMargin : 0;
    RECT area{rect->left + left_margin, rect->top, rect->right - right_margin, rect->bottom};
    bool single = (format & DT_SINGLELINE) != 0;
    bool word_break = (format & DT_WORDBREAK) != 0 && !single;
    bool measuring = (format & DT_CALCRECT) != 0;
    bool aligned = (format & (DT_CENTER | DT_RIGHT)) != 0;
    int line_height = font->height();
    int y = area.top;
    if (single && !measuring) {
        if (format & DT_VCENTER)
            y = area.top + (area.bottom - area.top - line_height) / 2;
        else if (format & DT_BOTTOM)
            y = area.bottom - line_height;
    }
    RECT limit{rect->left + dc->viewport.x, rect->top + dc->viewport.y, rect->right + dc->viewport.x,
               rect->bottom + dc->viewport.y};
    if (format & DT_NOCLIP) limit = drawable_area(*dc);
    int widest = 0;
    int start = 0;
    int top = y;
    do {
        line_span line = next_line(*font, text, length, start, single, word_break, area.right - area.left,
                                   measuring || aligned);
        int width = layout_width(line, format, area.right - area.left);
        widest = std::max(widest, width);
        if (!measuring && dc->bitmap) {
            int x = area.left;
            if (format & DT_CENTER)
                x = (area.left + area.right - width) / 2;
            else if (format & DT_RIGHT)
                x = area.right - width;
            draw_run(*dc, *font, x, y, text + line.start, line.end - line.start, limit);
        }
        y += line_height;
        start = line.next;
    } while (start < length);
    if (measuring) {
        rect->right = rect->left + left_margin + widest + right_margin;
        rect->bottom = rect->top + (y - top);
    }
    if (params) params->uiLengthDrawn = static_cast<UINT>(length);
    return y - top;
}

}  // extern "C"
