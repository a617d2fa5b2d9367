// The whole display running as in the host, for measuring: the component library loaded by the
// host stand-in, the LCD Manager stand-in receiving its frames, the virtual clock driving the
// component's timer, and tracks whose three lines are all too wide, so that three marquees run.
#pragma once

#include "hosted_component.h"

class playback_scene : public keylume_test::hosted_component {
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
    bool m_other_track = false;
};
