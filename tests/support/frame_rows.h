// Frames as rows of text for tests: '#' for a lit pixel, '.' for a dark one. Expected pictures
// read as what the LCD shows, and a failure prints the picture it got.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "CLCDGfx.h"

namespace keylume_test {

struct rows : std::vector<std::string> {
    using std::vector<std::string>::vector;
};
void PrintTo(const rows& picture, std::ostream* out);

// Rows top to bottom of the area [left, right) × [top, bottom) of a frame.
rows frame_rows(const LcdBitmap& frame, int left, int top, int right, int bottom);

// The whole frame.
rows frame_rows(const LcdBitmap& frame);

// Number of lit pixels of a frame.
int lit_pixels(const LcdBitmap& frame);

// A surface with an open frame, cleared to black, for drawing with GDI calls; `finish` closes the
// frame and returns it.
class open_surface {
public:
    open_surface();
    HDC dc() const { return m_gfx.DeviceContext(); }
    CLCDGfx& gfx() { return m_gfx; }
    const LcdBitmap& finish();

private:
    CLCDGfx m_gfx;
};

}  // namespace keylume_test
