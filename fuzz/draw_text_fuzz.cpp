// DrawTextExW of the platform layer on a memory DC with a 160 × 43 DIB section: random text
// (UTF-16 units, lone surrogates and control characters included), rectangles, formats,
// margins and fonts. It must never touch memory outside the text, the rectangle, the
// parameters and the surface, and a measured rectangle is never inverted.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz_input.h"
#include "win32.h"

namespace {

const WCHAR* const FACES[] = {WSTR("Small Fonts"), WSTR("Tahoma"), WSTR(""), WSTR("MS Shell Dlg"),
                              WSTR("No Such Face At All")};

struct surface {
    surface() {
        dc = CreateCompatibleDC(nullptr);
        struct {
            BITMAPINFOHEADER header;
            RGBQUAD colors[256];
        } info{};
        info.header.biSize = sizeof info.header;
        info.header.biWidth = 160;
        info.header.biHeight = -43;
        info.header.biPlanes = 1;
        info.header.biBitCount = 8;
        info.header.biClrUsed = 256;
        for (int i = 0; i < 256; ++i) info.colors[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
        void* bits = nullptr;
        dib = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
        if (dib == nullptr) std::abort();
        SelectObject(dc, dib);
    }
    HDC dc;
    HBITMAP dib;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static surface target;
    fuzz_input input(data, size);

    LOGFONTW logfont{};
    logfont.lfHeight = input.take<int8_t>();
    logfont.lfWeight = input.pick(10) * 100;
    logfont.lfItalic = input.take<uint8_t>() & 1;
    logfont.lfUnderline = input.take<uint8_t>() & 1;
    const WCHAR* face = FACES[input.pick(sizeof FACES / sizeof FACES[0])];
    for (int i = 0; i < LF_FACESIZE - 1 && face[i] != 0; ++i) logfont.lfFaceName[i] = face[i];
    HFONT font = CreateFontIndirectW(&logfont);

    RECT rect;
    rect.left = input.take<int16_t>() % 400;
    rect.top = input.take<int16_t>() % 200;
    rect.right = input.take<int16_t>() % 400;
    rect.bottom = input.take<int16_t>() % 200;
    UINT format = input.take<uint16_t>() & (DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM | DT_WORDBREAK |
                                            DT_SINGLELINE | DT_NOCLIP | DT_CALCRECT | DT_NOPREFIX);
    DRAWTEXTPARAMS params{sizeof params, 0, 0, 0, 0};
    params.iLeftMargin = input.take<int8_t>();
    params.iRightMargin = input.take<int8_t>();
    bool with_params = input.take<uint8_t>() & 1;
    bool counted = input.take<uint8_t>() & 1;
    SetTextColor(target.dc, input.take<uint8_t>() & 1 ? 0xFFFFFF : 0);
    SetBkMode(target.dc, input.take<uint8_t>() & 1 ? OPAQUE : TRANSPARENT);

    std::vector<WCHAR> text;
    while (input.left() >= 2) text.push_back(input.take<uint16_t>());
    // Counted text has no terminator behind it; uncounted text ends at its first 0.
    if (!counted) text.push_back(0);
    int length = counted ? static_cast<int>(text.size()) : -1;

    HGDIOBJ previous = SelectObject(target.dc, font);
    RECT drawn = rect;
    int height = DrawTextExW(target.dc, text.empty() ? nullptr : text.data(), length, &drawn, format,
                             with_params ? &params : nullptr);
    SelectObject(target.dc, previous);
    DeleteObject(font);
    if (height < 0) std::abort();
    // Without negative margins (which take width away), a measured rectangle is never inverted.
    bool margins_add = !with_params || (params.iLeftMargin >= 0 && params.iRightMargin >= 0);
    if ((format & DT_CALCRECT) && height > 0 && margins_add && (drawn.right < drawn.left || drawn.bottom < drawn.top))
        std::abort();
    return 0;
}
