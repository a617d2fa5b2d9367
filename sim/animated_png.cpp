#include "animated_png.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "frame_picture.h"

namespace keylume_sim {
namespace {

void put_u32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void put_u16(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

void put_chunk(std::vector<uint8_t>& file, const char type[4], const std::vector<uint8_t>& data) {
    put_u32(file, static_cast<uint32_t>(data.size()));
    size_t type_at = file.size();
    file.insert(file.end(), type, type + 4);
    file.insert(file.end(), data.begin(), data.end());
    uLong crc = crc32(0L, file.data() + type_at, static_cast<uInt>(4 + data.size()));
    put_u32(file, static_cast<uint32_t>(crc));
}

std::vector<uint8_t> compress_rows(const std::vector<uint8_t>& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> out(size);
    if (compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), Z_BEST_COMPRESSION) != Z_OK)
        throw std::runtime_error("frame compression failed");
    out.resize(size);
    return out;
}

}  // namespace

animated_png::animated_png(int scale) : m_scale(scale) {}

// Rows of one bit per pixel, each led by PNG's filter byte 0; index 1 is a lit pixel. The gap
// between LCD pixels that the still pictures draw is kept.
std::vector<uint8_t> animated_png::scaled_rows(const LcdBitmap& frame) const {
    int width = LCD_WIDTH * m_scale, height = LCD_HEIGHT * m_scale;
    size_t row_bytes = static_cast<size_t>(width + 7) / 8;
    std::vector<uint8_t> raw(static_cast<size_t>(height) * (row_bytes + 1), 0);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = &raw[static_cast<size_t>(y) * (row_bytes + 1) + 1];
        for (int x = 0; x < width; ++x) {
            bool gap = m_scale >= 3 && (x % m_scale == m_scale - 1 || y % m_scale == m_scale - 1);
            bool lit = frame.pixels[(y / m_scale) * LCD_WIDTH + x / m_scale] >= LCD_PIXEL_LIT_THRESHOLD;
            if (!gap && lit) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
    }
    return raw;
}

void animated_png::add_frame(const LcdBitmap& frame, uint32_t tick) {
    if (!m_frames.empty() && std::memcmp(frame.pixels, m_last.pixels, sizeof frame.pixels) == 0) return;
    m_last = frame;
    m_frames.push_back({compress_rows(scaled_rows(frame)), tick});
}

void animated_png::write(const std::string& path, uint32_t last_frame_ms) const {
    if (m_frames.empty()) throw std::runtime_error("cannot write " + path + ": no frame was recorded");
    auto width = static_cast<uint32_t>(LCD_WIDTH * m_scale), height = static_cast<uint32_t>(LCD_HEIGHT * m_scale);
    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    put_u32(header, width);
    put_u32(header, height);
    header.insert(header.end(), {1, 3, 0, 0, 0});  // 1 bit, palette, deflate, no filter, no interlace
    put_chunk(file, "IHDR", header);
    put_chunk(file, "PLTE",
              {lcd_dark_rgb[0], lcd_dark_rgb[1], lcd_dark_rgb[2], lcd_lit_rgb[0], lcd_lit_rgb[1], lcd_lit_rgb[2]});
    std::vector<uint8_t> control;
    put_u32(control, static_cast<uint32_t>(m_frames.size()));
    put_u32(control, 0);  // play for ever
    put_chunk(file, "acTL", control);
    uint32_t sequence = 0;
    for (size_t i = 0; i < m_frames.size(); ++i) {
        uint32_t shown_ms =
            i + 1 < m_frames.size() ? m_frames[i + 1].start_tick - m_frames[i].start_tick : last_frame_ms;
        std::vector<uint8_t> frame_control;
        put_u32(frame_control, sequence++);
        put_u32(frame_control, width);
        put_u32(frame_control, height);
        put_u32(frame_control, 0);
        put_u32(frame_control, 0);
        put_u16(frame_control, static_cast<uint16_t>(std::min<uint32_t>(shown_ms, 65535)));
        put_u16(frame_control, 1000);  // the delay is in milliseconds
        frame_control.push_back(0);    // no disposal
        frame_control.push_back(0);    // replace the canvas
        put_chunk(file, "fcTL", frame_control);
        if (i == 0) {
            put_chunk(file, "IDAT", m_frames[i].compressed);
        } else {
            std::vector<uint8_t> data;
            put_u32(data, sequence++);
            data.insert(data.end(), m_frames[i].compressed.begin(), m_frames[i].compressed.end());
            put_chunk(file, "fdAT", data);
        }
    }
    put_chunk(file, "IEND", {});
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
}

}  // namespace keylume_sim
