// The simulator's session, shared by its views: the host's message loop ticking the component
// every 100 ms, the player moving on, keys from a view or from a script, and the frames the
// keyboard got going to the frames folder and the recording. A view (the terminal or the window)
// drives the ticks from its own loop and shows the last frame and the status lines.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "animated_png.h"
#include "frame_files.h"
#include "lcd_server_control.h"
#include "options.h"
#include "playback_driver.h"
#include "virtual_clock.h"

namespace keylume_sim {

// When the next tick is due. A tick that came late moves the schedule on: the ticks missed are
// not made up in a burst.
class tick_schedule {
public:
    using clock = std::chrono::steady_clock;
    explicit tick_schedule(clock::duration interval) : m_interval(interval), m_next(clock::now()) {}
    // After a tick that ran at `now`: when the next one is due.
    clock::time_point after_tick(clock::time_point now) {
        m_next = std::max(m_next + m_interval, now);
        return m_next;
    }

private:
    clock::duration m_interval;
    clock::time_point m_next;
};

class session {
public:
    // `keyboard` is the LCD Manager stand-in's control side, null for another server module: then
    // the frames are not seen here, and the soft buttons and unplugging are not available.
    session(keylume_host::virtual_clock& clock, playback_driver& playback, lcd_server_control* keyboard,
            const run_options& options);

    // One turn of the loop: the keys scripted for this tick, then, unless one of them quits, the
    // tick. False once the session is over (q, or the bounded run's end).
    bool turn();
    bool over() const;
    // True once q was typed or scripted.
    bool quitting() const { return m_quit; }
    // A key as the terminal names it ("1".."4", "space", "n", "p", "u", "left", "right", "q").
    void press(const std::string& key);

    // The time between two ticks at the speed asked for.
    tick_schedule::clock::duration tick_interval() const;
    // True when the ticks must keep time with the wall clock even without a view.
    bool real_time() const { return m_playback.real_time(); }
    playback_driver& playback() { return m_playback; }

    // The frame the keyboard shows: the last one it got while it is plugged in; null otherwise.
    const LcdBitmap* shown_frame() const;
    // The status line, the last message if any, and the keys' line.
    std::vector<std::string> status_lines() const;
    // The track's title, as the playback gives it (text from outside: make it safe to show).
    std::string title() const { return m_playback.title(); }

    // Messages for the person go to the view's status lines once a view takes them; to standard
    // error before.
    void show_messages_in_view() { m_messages_in_view = true; }

    // Writes the snapshot and the recording asked for; says where on standard output.
    void write_pictures();

private:
    void tick();
    void collect_frames();
    void say(const std::string& message);

    keylume_host::virtual_clock& m_clock;
    playback_driver& m_playback;
    lcd_server_control* m_keyboard;
    const run_options& m_options;
    std::unique_ptr<frame_files> m_frame_files;
    std::unique_ptr<animated_png> m_recording;
    std::optional<lcd_server_frame> m_last_frame;
    long m_ticks = 0;
    DWORD m_buttons_held = 0;
    std::string m_message;
    bool m_messages_in_view = false;
    bool m_quit = false;
};

}  // namespace keylume_sim
