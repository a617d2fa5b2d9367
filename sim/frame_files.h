// Every frame sent, as files in a folder: frame-NNNNNN.png for each (scaled up, in the LCD's
// colours) and frames.log with one line per frame: index, tick count, priority, file name.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "LcdTypes.h"

namespace keylume_sim {

class frame_files {
public:
    // Creates the folder when needed and starts its log. Throws std::runtime_error naming the
    // folder or the log when they cannot be written.
    explicit frame_files(const std::string& folder);

    // Writes the frame's picture and its log line.
    void add(const LcdBitmap& frame, DWORD tick, DWORD priority);

    size_t count() const { return m_count; }

private:
    std::string m_folder;
    std::unique_ptr<FILE, int (*)(FILE*)> m_log;
    size_t m_count = 0;
};

}  // namespace keylume_sim
