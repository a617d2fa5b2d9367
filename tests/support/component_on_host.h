// The component library as the host stand-in runs it, for tests of the whole: the host's
// services, the component attached to them, the LCD Manager stand-in registered, and the
// virtual clock driving the component's 100 ms timer. Header-only: each test program names the
// component's file with KEYLUME_COMPONENT_FILE.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "blob_builder.h"
#include "component_services.h"
#include "component_test_support.h"
#include "loaded_component.h"
#include "playback_host.h"
#include "streams.h"
#include "support/frame_rows.h"
#include "support/server_registration.h"
#include "virtual_clock.h"

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

class component_on_host : public ::testing::Test {
protected:
    // The tick count starts at `start_ticks`.
    explicit component_on_host(DWORD start_ticks = 1000000) : clock(start_ticks) {}

    void SetUp() override {
        register_server_module(server.path());
        add_standard_host_services(api, host_version);
        registry = velvox_host::add_playback_services(api);
        component = std::make_unique<loaded_component>(component_library_path(), api);
        clock.drive(component->instance());
    }
    void TearDown() override {
        if (started) hooks().on_shutdown();
        unregister_server_module();
    }

    initquit& hooks() { return static_cast<initquit&>(*component->find_service(initquit::class_guid)); }
    // Stored settings handed over, as the host does before start-up.
    void store(const std::vector<setting_row>& rows) { store(settings_blob(rows)); }
    void store(const blob_bytes& blob) {
        memory_reader reader(blob);
        abort_flag never;
        component->client().load_configuration(reader, never);
    }
    // The configuration blob the host would store now.
    blob_bytes saved() {
        memory_writer writer;
        abort_flag never;
        component->client().save_configuration(writer, never);
        return writer.bytes();
    }
    void start() {
        hooks().on_startup();
        started = true;
    }
    void stop() {
        hooks().on_shutdown();
        started = false;
    }
    // One 100 ms tick of the host's message loop; the frame the keyboard got (valid until the
    // stand-in's frames are cleared).
    const LcdBitmap& tick() {
        clock.advance(100);
        EXPECT_EQ(clock.run_due_timers(), 1);
        const lcd_server_frame* frame = server.control().last_frame();
        EXPECT_NE(frame, nullptr);
        return frame->bitmap;
    }
    DWORD last_priority() { return server.control().last_frame()->priority; }
    // Line 0, 1 or 2 of a frame: eleven rows.
    rows line(const LcdBitmap& frame, int index) { return frame_rows(frame, 0, index * 11, 160, index * 11 + 11); }

    // The version text of the host's version information; set before SetUp to change it.
    std::string host_version = default_host_version;
    loaded_server server;
    host_api_object api;
    service_ptr_t<velvox_host::host_playback_registry> registry;
    std::unique_ptr<loaded_component> component;
    // Declared after the component: the clock gives the component's imports back before the
    // component is unloaded.
    keylume_host::virtual_clock clock;
    bool started = false;
};

}  // namespace keylume_test
