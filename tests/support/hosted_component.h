// The component library as the host stand-in runs it: the host's services, the component
// attached to them, the LCD Manager stand-in registered, and the virtual clock driving the
// component's 100 ms timer. The tests of the whole (component_on_host.h) and the benchmarks
// (playback_scene.h) both run it. Header-only: each program names the component's file with
// KEYLUME_COMPONENT_FILE.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "blob_builder.h"
#include "component_services.h"
#include "component_test_support.h"
#include "loaded_component.h"
#include "playback_host.h"
#include "streams.h"
#include "support/server_registration.h"
#include "virtual_clock.h"

namespace keylume_test {

class hosted_component {
public:
    // The tick count starts at `start_ticks`.
    explicit hosted_component(DWORD start_ticks = 1000000) : clock(start_ticks) {}
    hosted_component(const hosted_component&) = delete;
    hosted_component& operator=(const hosted_component&) = delete;

    // Registers the LCD Manager stand-in and loads the component into a host whose version
    // information gives `host_version`.
    void attach(const std::string& host_version = default_host_version) {
        register_server_module(server.path());
        add_standard_host_services(api, host_version);
        registry = velvox_host::add_playback_services(api);
        component = std::make_unique<loaded_component>(component_library_path(), api);
        clock.drive(component->instance());
    }
    // Shuts the component down when it is running and takes the stand-in's registration back.
    void detach() {
        if (started) stop();
        unregister_server_module();
    }

    initquit& hooks() { return static_cast<initquit&>(*component->find_service(initquit::class_guid)); }
    // Stored settings handed over, as the host does before start-up.
    void store(const std::vector<setting_row>& rows) { store(settings_blob(rows)); }
    void store(const blob_bytes& blob) {
        memory_reader reader(blob);
        abort_flag never;
        cxx_boundary::call_out([&] { component->client().load_configuration(reader, never); });
    }
    // The configuration blob the host would store now.
    blob_bytes saved() {
        memory_writer writer;
        abort_flag never;
        cxx_boundary::call_out([&] { component->client().save_configuration(writer, never); });
        return writer.bytes();
    }
    void start() {
        cxx_boundary::call_out([&] { hooks().on_startup(); });
        started = true;
    }
    void stop() {
        cxx_boundary::call_out([&] { hooks().on_shutdown(); });
        started = false;
    }
    // One 100 ms tick of the host's message loop: the number of timers that ran (the
    // component's, once).
    int advance_tick() {
        clock.advance(100);
        return clock.run_due_timers();
    }

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
