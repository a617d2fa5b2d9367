// The simulator's main loop: the host's message loop ticking the component every 100 ms, the
// player moving on, keys from the terminal or from a script, and the frames the keyboard got
// going to the terminal, the frames folder and the recording.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "animated_png.h"
#include "frame_files.h"
#include "lcd_server_control.h"
#include "options.h"
#include "playback_driver.h"
#include "terminal.h"
#include "terminal_text.h"
#include "virtual_clock.h"

namespace keylume_sim {

class session {
public:
    // `keyboard` is the LCD Manager stand-in's control side, null for another server module: then
    // the frames are not seen here, and the soft buttons and unplugging are not available.
    session(keylume_host::virtual_clock& clock, playback_driver& playback, lcd_server_control* keyboard,
            const run_options& options);

    // Runs until the bounded run ends, q is typed or SIGINT / SIGTERM arrive.
    void run();

    // Writes the snapshot and the recording asked for; says where on standard output.
    void write_pictures();

private:
    void tick(long index);
    void collect_frames();
    void press(const std::string& key);
    void show();
    // A message for the person: on the status line in the terminal, on standard error otherwise.
    void say(const std::string& message);
    std::vector<std::string> status_lines() const;

    keylume_host::virtual_clock& m_clock;
    playback_driver& m_playback;
    lcd_server_control* m_keyboard;
    const run_options& m_options;
    std::unique_ptr<terminal_session> m_terminal;
    terminal_charset m_charset = terminal_charset::utf8;
    std::unique_ptr<frame_files> m_frame_files;
    std::unique_ptr<animated_png> m_recording;
    std::optional<lcd_server_frame> m_last_frame;
    DWORD m_buttons_held = 0;
    std::string m_message;
    bool m_quit = false;
};

}  // namespace keylume_sim
