// Reference pictures for the moving texts: a text in "Small Fonts" 7 points drawn in one
// DrawTextExW call inside a box, moved by (dx, dy), as the frame's rows of the box with one
// column of margin on either side.
#pragma once

#include <string>

#include "frame_rows.h"

namespace keylume_test {

LOGFONTW small_fonts_7();
int small_fonts_width(const WCHAR* text);
rows drawn_text(const std::u16string& text, RECT box, int dx, int dy, UINT format = DT_LEFT);
// The same rows of a frame.
rows box_rows(const LcdBitmap& frame, RECT box);

}  // namespace keylume_test
