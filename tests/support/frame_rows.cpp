#include "frame_rows.h"

#include <ostream>
#include <stdexcept>

namespace keylume_test {

rows frame_rows(const LcdBitmap& frame, int left, int top, int right, int bottom) {
    rows picture;
    for (int y = top; y < bottom; ++y) {
        std::string line;
        for (int x = left; x < right; ++x)
            line += frame.pixels[y * LCD_WIDTH + x] >= LCD_PIXEL_LIT_THRESHOLD ? '#' : '.';
        picture.push_back(line);
    }
    return picture;
}

rows frame_rows(const LcdBitmap& frame) { return frame_rows(frame, 0, 0, LCD_WIDTH, LCD_HEIGHT); }

int lit_pixels(const LcdBitmap& frame) {
    int count = 0;
    for (BYTE pixel : frame.pixels) count += pixel >= LCD_PIXEL_LIT_THRESHOLD;
    return count;
}

open_surface::open_surface() {
    if (FAILED(m_gfx.CreateSurface(LCD_WIDTH, LCD_HEIGHT))) throw std::runtime_error("surface not created");
    m_gfx.StartFrame();
    m_gfx.FillBlack();
}

const LcdBitmap& open_surface::finish() {
    m_gfx.FinishFrame();
    return *m_gfx.BuildLcdBitmap();
}

// GoogleTest prints pictures line by line.
void PrintTo(const rows& picture, std::ostream* out) {
    *out << "\n";
    for (const std::string& line : picture) *out << "    \"" << line << "\"\n";
}

}  // namespace keylume_test
