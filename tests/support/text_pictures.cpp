#include "text_pictures.h"

#include "wide_text.h"

namespace keylume_test {

LOGFONTW small_fonts_7() {
    LOGFONTW logfont{};
    logfont.lfHeight = -9;
    logfont.lfWeight = FW_NORMAL;
    wide_text::copy_truncated(logfont.lfFaceName, LF_FACESIZE, WSTR("Small Fonts"));
    return logfont;
}

int small_fonts_width(const WCHAR* text) {
    HDC dc = CreateCompatibleDC(nullptr);
    LOGFONTW logfont = small_fonts_7();
    HFONT font = CreateFontIndirectW(&logfont);
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text, static_cast<int>(wide_text::length(text)), &size);
    SelectObject(dc, previous);
    DeleteObject(font);
    DeleteDC(dc);
    return size.cx;
}

rows box_rows(const LcdBitmap& frame, RECT box) {
    return frame_rows(frame, box.left - 1, box.top, box.right + 1, box.bottom);
}

rows drawn_text(const std::u16string& text, RECT box, int dx, int dy, UINT format) {
    open_surface surface;
    HDC dc = surface.dc();
    LOGFONTW logfont = small_fonts_7();
    HFONT font = CreateFontIndirectW(&logfont);
    HGDIOBJ previous = SelectObject(dc, font);
    HRGN clip = CreateRectRgn(box.left, box.top, box.right, box.bottom);
    SelectClipRgn(dc, clip);
    SetBkMode(dc, TRANSPARENT);
    std::u16string copy = text;
    RECT rect{box.left + dx, box.top + dy, box.right, box.bottom + (dy < 0 ? -dy : 0)};
    if (dx < 0) rect.right -= dx;
    DrawTextExW(dc, reinterpret_cast<WCHAR*>(copy.data()), static_cast<int>(copy.size()), &rect, format | DT_NOPREFIX,
                nullptr);
    SelectClipRgn(dc, nullptr);
    DeleteObject(clip);
    SelectObject(dc, previous);
    DeleteObject(font);
    return box_rows(surface.finish(), box);
}

}  // namespace keylume_test
