// Font descriptions for the text objects, which change a font one attribute at a time: the
// current font's LOGFONTW with another face name, point size or weight.
#pragma once

#include "wide_text.h"
#include "win32.h"

namespace font_description {

constexpr int SCREEN_DPI = 96;  // pixels per inch, the LCD's as the screen's
constexpr int POINTS_PER_INCH = 72;
constexpr int DEFAULT_POINT_SIZE = 8;
// The face that draws a text holding characters the text's own face lacks.
inline const WCHAR* const FALLBACK_FACE = WSTR("Tahoma");

// The font's description: a zero-filled LOGFONTW that GetObjectW fills from the font.
inline LOGFONTW of(HFONT font) {
    LOGFONTW logfont{};
    GetObjectW(font, sizeof(LOGFONTW), &logfont);
    return logfont;
}

// The face name is cut to 31 characters.
inline LOGFONTW with_face_name(HFONT font, const WCHAR* name) {
    LOGFONTW logfont = of(font);
    wide_text::copy_truncated(logfont.lfFaceName, LF_FACESIZE, name);
    return logfont;
}

// The height of a point size: -MulDiv(points, 96, 72), the nearest whole pixel.
inline LOGFONTW with_point_size(HFONT font, int points) {
    LOGFONTW logfont = of(font);
    logfont.lfHeight = -MulDiv(points, SCREEN_DPI, POINTS_PER_INCH);
    return logfont;
}

inline LOGFONTW with_weight(HFONT font, int weight) {
    LOGFONTW logfont = of(font);
    logfont.lfWeight = weight;
    return logfont;
}

}  // namespace font_description
