// The component library as the host stand-in runs it, as a test fixture for tests of the whole
// (see hosted_component.h), with a sample track and the frame checks those tests share.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "support/frame_rows.h"
#include "support/hosted_component.h"

namespace keylume_test {

// A track with title, artist "Nina Ray", album "Lanterns", date 2019 and the given length.
inline velvox_host::track_record sample_track(const std::string& title, double length,
                                              const std::string& file = "song.mp3") {
    velvox_host::track_record record;
    record.path = "/music/" + file;
    record.file_name = file;
    record.tags.set("title", title);
    record.tags.set("artist", "Nina Ray");
    record.tags.set("album", "Lanterns");
    record.tags.set("date", "2019");
    record.length_seconds = length;
    return record;
}

class component_on_host : public ::testing::Test, public hosted_component {
protected:
    // The tick count starts at `start_ticks`.
    explicit component_on_host(DWORD start_ticks = 1000000) : hosted_component(start_ticks) {}

    void SetUp() override { attach(host_version); }
    void TearDown() override { detach(); }

    // One 100 ms tick of the host's message loop; the frame the keyboard got (valid until the
    // stand-in's frames are cleared).
    const LcdBitmap& tick() {
        EXPECT_EQ(advance_tick(), 1);
        const lcd_server_frame* frame = server.control().last_frame();
        EXPECT_NE(frame, nullptr);
        return frame->bitmap;
    }
    DWORD last_priority() { return server.control().last_frame()->priority; }
    // Line 0, 1 or 2 of a frame: eleven rows.
    rows line(const LcdBitmap& frame, int index) { return frame_rows(frame, 0, index * 11, 160, index * 11 + 11); }

    // The version text of the host's version information; set before SetUp to change it.
    std::string host_version = default_host_version;
};

}  // namespace keylume_test
