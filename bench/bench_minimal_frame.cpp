// The floor under the steady-state tick: a hand-written frame of the playback view that makes the
// same GDI and USER calls in the same order as the component's steady tick (three marquees of
// four pieces each, the two time fields, the progress bar), with the same fonts, texts and boxes,
// and nothing else. Next to PlaybackSteadyStateTick it shows how much of a tick is the drawing
// API's own cost.
#include <benchmark/benchmark.h>

#include <array>

#include "CLCDGfx.h"
#include "font_description.h"
#include "wide_text.h"

namespace {

constexpr int LINE_HEIGHT = 11;
constexpr int LINE_POINTS = 7, TIME_POINTS = 6;
const WCHAR* const SEPARATOR = WSTR("   ");
const std::array<const WCHAR*, 3> LINES = {WSTR("Hopp\u00edpolla (live at the Hammersmith Apollo, encore)"),
                                           WSTR("Sigur R\u00f3s with the Amiina string quartet"),
                                           WSTR("Hvarf / Heim, the deluxe anniversary edition (2006)")};

// "Small Fonts" at the given size, otherwise the system's default GUI font, as the screens make it.
HFONT small_fonts(int points) {
    LOGFONTW logfont =
        font_description::with_face_name(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), WSTR("Small Fonts"));
    logfont.lfHeight = -MulDiv(points, font_description::SCREEN_DPI, font_description::POINTS_PER_INCH);
    return CreateFontIndirectW(&logfont);
}

int text_length(const WCHAR* text) { return static_cast<int>(wide_text::length(text)); }

// One text drawn in its box as the toolkit draws a text object, each with a font of its own.
struct text_box {
    RECT box;
    int offset;  // where its content starts, left of the box when negative
    const WCHAR* text;
    int length;  // measured once, as a text object keeps its length
    HFONT font;
    UINT format;
    int back_mode;
    bool fills_background;
};

class minimal_frame {
public:
    minimal_frame() {
        m_gfx.CreateSurface(LCD_WIDTH, LCD_HEIGHT);
        m_dc = m_gfx.DeviceContext();
        for (int line = 0; line < 3; ++line) {
            const RECT box{0, line * LINE_HEIGHT, LCD_WIDTH, (line + 1) * LINE_HEIGHT};
            int x = -32;  // the marquee a little way into its run
            for (int piece = 0; piece < 4; ++piece) {
                const WCHAR* text = piece % 2 == 0 ? LINES[line] : SEPARATOR;
                text_box& each = m_pieces[line * 4 + piece];
                each = {box, x, text, text_length(text), small_fonts(LINE_POINTS), DT_NOPREFIX, OPAQUE, true};
                x += width_of(each);
            }
        }
        m_left_time = {{0, 30, 40, 42},          0,           WSTR("0:00"), text_length(WSTR("0:00")),
                       small_fonts(TIME_POINTS), DT_NOPREFIX, TRANSPARENT,  false};
        m_right_time = {
            {0, 30, LCD_WIDTH, 42}, 0,           WSTR("6:40"), text_length(WSTR("6:40")), small_fonts(TIME_POINTS),
            DT_RIGHT | DT_NOPREFIX, TRANSPARENT, false};
    }
    ~minimal_frame() {
        for (text_box& piece : m_pieces) DeleteObject(piece.font);
        DeleteObject(m_left_time.font);
        DeleteObject(m_right_time.font);
    }

    void draw() {
        HGDIOBJ saved_bitmap = SelectObject(m_dc, m_gfx.BitmapHandle());
        SetTextColor(m_dc, RGB(255, 255, 255));
        SetBkColor(m_dc, RGB(0, 0, 0));
        RECT whole{0, 0, LCD_WIDTH, LCD_HEIGHT};
        FillRect(m_dc, &whole, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        for (int line = 0; line < 3; ++line) {
            POINT line_origin = enter(m_pieces[line * 4].box, 0);
            for (int piece = 0; piece < 4; ++piece) {
                const text_box& each = m_pieces[line * 4 + piece];
                POINT piece_origin = enter(each.box, each.offset);
                draw_text(each);
                leave(piece_origin);
            }
            leave(line_origin);
        }
        for (const text_box* time : {&m_left_time, &m_right_time}) {
            POINT origin = enter(time->box, 0);
            draw_text(*time);
            leave(origin);
        }
        draw_progress_bar();
        GdiFlush();
        SelectObject(m_dc, saved_bitmap);
    }

private:
    int width_of(const text_box& each) {
        RECT extent{0, 0, 0, 0};
        HGDIOBJ saved_font = SelectObject(m_dc, each.font);
        DrawTextExW(m_dc, const_cast<WCHAR*>(each.text), each.length, &extent, each.format | DT_CALCRECT, nullptr);
        SelectObject(m_dc, saved_font);
        return extent.right;
    }

    // A child's box clipped and its origin made the viewport's, as a collection paints a child.
    POINT enter(const RECT& box, int offset) {
        HRGN clip = CreateRectRgn(box.left, box.top, box.right, box.bottom);
        SelectClipRgn(m_dc, clip);
        DeleteObject(clip);
        POINT previous{};
        SetViewportOrgEx(m_dc, box.left, box.top, &previous);
        OffsetViewportOrgEx(m_dc, offset, 0, nullptr);
        return previous;
    }

    void leave(POINT previous) {
        SelectClipRgn(m_dc, nullptr);
        SetViewportOrgEx(m_dc, previous.x, previous.y, nullptr);
    }

    void draw_text(const text_box& each) {
        const int width = each.box.right - each.box.left, height = each.box.bottom - each.box.top;
        if (each.fills_background) {
            HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
            RECT box{0, 0, width, height}, content{0, 0, width, height};
            FillRect(m_dc, &box, black);
            FillRect(m_dc, &content, black);
        }
        int saved_map_mode = SetMapMode(m_dc, MM_TEXT);
        int saved_back_mode = SetBkMode(m_dc, each.back_mode);
        HGDIOBJ saved_font = SelectObject(m_dc, each.font);
        COLORREF saved_colour = SetTextColor(m_dc, RGB(255, 255, 255));
        RECT area{0, 0, width, height};
        DRAWTEXTPARAMS margins{sizeof(DRAWTEXTPARAMS), 0, 0, 0, 0};
        DrawTextExW(m_dc, const_cast<WCHAR*>(each.text), each.length, &area, each.format, &margins);
        SetMapMode(m_dc, saved_map_mode);
        SetTextColor(m_dc, saved_colour);
        SetBkMode(m_dc, saved_back_mode);
        SelectObject(m_dc, saved_font);
    }

    void draw_progress_bar() {
        POINT origin = enter({0, 39, LCD_WIDTH, 43}, 0);
        RECT whole{0, 0, LCD_WIDTH, 4}, block{1, 1, 4, 3};
        FillRect(m_dc, &whole, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        FrameRect(m_dc, &whole, m_white);
        FillRect(m_dc, &block, m_white);
        leave(origin);
    }

    CLCDGfx m_gfx;
    HDC m_dc = nullptr;
    HBRUSH m_white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));  // the bar's, got once
    std::array<text_box, 12> m_pieces{};
    text_box m_left_time{}, m_right_time{};
};

void MinimalFrameSameGdiCalls(benchmark::State& state) {
    minimal_frame frame;
    for (auto _ : state) frame.draw();
}
BENCHMARK(MinimalFrameSameGdiCalls);

}  // namespace
