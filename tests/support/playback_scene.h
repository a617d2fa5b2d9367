// The whole display running as in the host, for measuring: the component library loaded by the
// host stand-in, the LCD Manager stand-in receiving its frames, the virtual clock driving the
// component's timer, and tracks whose three lines are all too wide, so that three marquees run.
#pragma once

#include <memory>

#include "component_services.h"
#include "loaded_component.h"
#include "playback_host.h"
#include "support/server_registration.h"
#include "virtual_clock.h"

class playback_scene {
public:
    // Starts the component and plays the first track until its marquees are moving.
    playback_scene();
    ~playback_scene();

    // One 100 ms tick of the host's loop: advance, render, send, poll.
    void tick();
    // The other of the two tracks starts playing: three compiles and formats.
    void change_track();
    // The frame the keyboard got at the last tick.
    const lcd_server_frame& last_frame();

private:
    keylume_test::loaded_server m_server;
    host_api_object m_api;
    service_ptr_t<velvox_host::host_playback_registry> m_registry;
    std::unique_ptr<loaded_component> m_component;
    keylume_host::virtual_clock m_clock{1000000};  // gives the imports back before the component goes
    initquit* m_hooks = nullptr;
    bool m_other_track = false;
};
