// A recording of LCD frames as an animated PNG (APNG): each frame is shown for the time until the
// next one arrived, frames equal to the one before only lengthen it, and players without APNG
// support show the first frame.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "LcdTypes.h"

namespace keylume_sim {

class animated_png {
public:
    explicit animated_png(int scale = 4);

    // Adds a frame that appeared at `tick` (milliseconds, any origin).
    void add_frame(const LcdBitmap& frame, uint32_t tick);

    size_t frame_count() const { return m_frames.size(); }

    // Writes the recording; the last frame is shown for `last_frame_ms`. Throws std::runtime_error
    // naming the file when it cannot be written or nothing was recorded.
    void write(const std::string& path, uint32_t last_frame_ms = 100) const;

private:
    struct recorded_frame {
        std::vector<uint8_t> compressed;  // zlib stream of the scaled 1-bit rows
        uint32_t start_tick;
    };
    std::vector<uint8_t> scaled_rows(const LcdBitmap& frame) const;

    int m_scale;
    std::vector<recorded_frame> m_frames;
    LcdBitmap m_last{};
};

}  // namespace keylume_sim
