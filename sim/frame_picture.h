// Pictures of LCD frames for people: Unicode half blocks for a terminal, scaled-up PNG files in
// the LCD's colours.
#pragma once

#include <string>

#include "LcdTypes.h"
#include "terminal_text.h"

namespace keylume_sim {

// The LCD's colours: pale blue-white segments on dark blue-grey glass.
inline constexpr unsigned char lcd_lit_rgb[3] = {0xD8, 0xF0, 0xFF};
inline constexpr unsigned char lcd_dark_rgb[3] = {0x12, 0x1E, 0x2A};

// The frame as terminal text: two pixel rows per character row, with a frame around it; 162
// columns and 24 rows. Unicode half blocks, or in ASCII ' . : and a frame of + - |.
std::string frame_as_half_blocks(const LcdBitmap& frame, terminal_charset charset = terminal_charset::utf8);
inline constexpr int half_blocks_columns = LCD_WIDTH + 2;
inline constexpr int half_blocks_rows = (LCD_HEIGHT + 1) / 2 + 2;

// The frame in braille dots, two columns and four rows of pixels per character: 80 columns and
// 11 rows, for narrow terminals. In ASCII each cell is a character as dense as its lit dots.
std::string frame_as_braille(const LcdBitmap& frame, terminal_charset charset = terminal_charset::utf8);
inline constexpr int braille_columns = LCD_WIDTH / 2;
inline constexpr int braille_rows = (LCD_HEIGHT + 3) / 4;

// Writes the frame as a PNG, each LCD pixel drawn as a scale × scale block. Throws
// std::runtime_error naming the file when it cannot be written.
void write_frame_png(const LcdBitmap& frame, const std::string& path, int scale = 4);

}  // namespace keylume_sim
