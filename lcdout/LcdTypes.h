// The frame that goes to the LCD Manager, and the LCD's geometry.
#pragma once

#include "win32.h"

constexpr int LCD_WIDTH = 160;
constexpr int LCD_HEIGHT = 43;
constexpr DWORD LCD_BITMAP_FORMAT_160X43X8 = 1;

// One frame: format code 1, then 160 × 43 pixel bytes, top row first, each row left to right.
// A byte of 0 to 128 is a dark pixel, 129 to 255 a lit one.
struct LcdBitmap {
    DWORD format;
    BYTE pixels[LCD_WIDTH * LCD_HEIGHT];
};
static_assert(sizeof(LcdBitmap) == 6884, "LcdBitmap is 6884 bytes");

// A pixel byte of a frame is lit from this value on.
constexpr BYTE LCD_PIXEL_LIT_THRESHOLD = 129;
