#include "frame_picture.h"

#include <png.h>

#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

namespace keylume_sim {
namespace {

bool lit(const LcdBitmap& frame, int x, int y) { return frame.pixels[y * LCD_WIDTH + x] >= LCD_PIXEL_LIT_THRESHOLD; }

// The UTF-8 form of a code point of the Basic Multilingual Plane.
void append_utf8(std::string& text, unsigned code_point) {
    if (code_point < 0x80) {
        text += static_cast<char>(code_point);
    } else if (code_point < 0x800) {
        text += static_cast<char>(0xC0 | (code_point >> 6));
        text += static_cast<char>(0x80 | (code_point & 0x3F));
    } else {
        text += static_cast<char>(0xE0 | (code_point >> 12));
        text += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code_point & 0x3F));
    }
}

}  // namespace

std::string frame_as_half_blocks(const LcdBitmap& frame, terminal_charset charset) {
    struct glyphs {
        const char *top_left, *top_right, *bottom_left, *bottom_right, *horizontal, *vertical;
        const char* cells[4];  // by lit pixels: none, top, bottom, both
    };
    static constexpr glyphs unicode = {"┌", "┐", "└", "┘", "─", "│", {" ", "▀", "▄", "█"}};
    static constexpr glyphs ascii = {"+", "+", "+", "+", "-", "|", {" ", "'", ".", ":"}};
    const glyphs& drawn = charset == terminal_charset::utf8 ? unicode : ascii;
    auto border = [&](const char* left, const char* right) {
        std::string line = left;
        for (int x = 0; x < LCD_WIDTH; ++x) line += drawn.horizontal;
        return line + right + "\n";
    };
    std::string text = border(drawn.top_left, drawn.top_right);
    for (int y = 0; y < LCD_HEIGHT; y += 2) {
        text += drawn.vertical;
        for (int x = 0; x < LCD_WIDTH; ++x) {
            const bool top = lit(frame, x, y);
            const bool bottom = y + 1 < LCD_HEIGHT && lit(frame, x, y + 1);
            text += drawn.cells[(top ? 1 : 0) + (bottom ? 2 : 0)];
        }
        text += drawn.vertical;
        text += "\n";
    }
    return text + border(drawn.bottom_left, drawn.bottom_right);
}

std::string frame_as_braille(const LcdBitmap& frame, terminal_charset charset) {
    // Dot bits of a braille cell by pixel offset within it (column, row).
    static constexpr unsigned dot_bits[4][2] = {{0x01, 0x08}, {0x02, 0x10}, {0x04, 0x20}, {0x40, 0x80}};
    // ASCII characters by the number of lit dots, from none to all eight.
    static constexpr char density[] = " .:-=+*#@";
    std::string text;
    for (int y = 0; y < LCD_HEIGHT; y += 4) {
        for (int x = 0; x < LCD_WIDTH; x += 2) {
            unsigned cell = 0;
            for (int row = 0; row < 4 && y + row < LCD_HEIGHT; ++row)
                for (int column = 0; column < 2; ++column)
                    if (lit(frame, x + column, y + row)) cell |= dot_bits[row][column];
            if (charset == terminal_charset::utf8)
                append_utf8(text, 0x2800 + cell);
            else
                text += density[std::popcount(cell)];
        }
        text += '\n';
    }
    return text;
}

void write_frame_png(const LcdBitmap& frame, const std::string& path, int scale) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!file) throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        throw std::runtime_error("cannot write " + path + ": out of memory");
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("cannot write " + path + ": PNG encoding failed");
    }
    int width = LCD_WIDTH * scale, height = LCD_HEIGHT * scale;
    png_init_io(png, file.get());
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            // A thin gap between pixels makes the dot matrix visible.
            bool gap = scale >= 3 && (x % scale == scale - 1 || y % scale == scale - 1);
            const png_byte* colour = !gap && lit(frame, x / scale, y / scale) ? lcd_lit_rgb : lcd_dark_rgb;
            std::memcpy(&row[static_cast<size_t>(x) * 3], colour, 3);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fflush(file.get()) != 0) throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
}

}  // namespace keylume_sim
