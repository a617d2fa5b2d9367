#include "session.h"

#include <cstdio>
#include <stdexcept>

#include "frame_picture.h"
#include "report.h"

namespace keylume_sim {

namespace {

constexpr double seek_step_seconds = 5;

}  // namespace

session::session(keylume_host::virtual_clock& clock, playback_driver& playback, lcd_server_control* keyboard,
                 const run_options& options)
    : m_clock(clock), m_playback(playback), m_keyboard(keyboard), m_options(options) {
    if (!options.frames_directory.empty()) m_frame_files = std::make_unique<frame_files>(options.frames_directory);
    if (!options.record.empty()) m_recording = std::make_unique<animated_png>();
}

bool session::over() const { return m_quit || (m_options.ticks >= 0 && m_ticks >= m_options.ticks); }

bool session::turn() {
    if (over()) return false;
    if (m_ticks == 0 && !m_keyboard)
        say("this LCD Manager server has no control side: the LCD is not shown here, and the soft buttons and u "
            "are not available");
    for (const scripted_key& scripted : m_options.keys)
        if (scripted.tick == m_ticks) press(scripted.key);
    if (m_quit) return false;
    tick();
    ++m_ticks;
    return true;
}

tick_schedule::clock::duration session::tick_interval() const {
    return std::chrono::microseconds(static_cast<long>(tick_ms * 1000 / m_options.speed));
}

// One turn of the host's message loop: play time passes, the component's timer fires, and a held
// soft button is let go after the tick that read it.
void session::tick() {
    m_playback.tick(m_ticks);
    m_clock.advance(tick_ms);
    m_clock.run_due_timers();
    if (m_keyboard && m_buttons_held) m_keyboard->release_buttons(m_buttons_held), m_buttons_held = 0;
    collect_frames();
}

// Takes the frames the keyboard got since the last tick and lets the stand-in forget them.
void session::collect_frames() {
    if (!m_keyboard) return;
    for (size_t i = 0; i < m_keyboard->frame_count(); ++i) {
        const lcd_server_frame& frame = *m_keyboard->frame(i);
        if (m_frame_files) m_frame_files->add(frame.bitmap, m_clock.now(), frame.priority);
        if (m_recording) m_recording->add_frame(frame.bitmap, m_clock.now());
        m_last_frame = frame;
    }
    m_keyboard->clear_frames();
}

void session::press(const std::string& key) {
    if (key.size() == 1 && key[0] >= '1' && key[0] <= '4') {
        if (!m_keyboard) {
            say("soft buttons need the LCD Manager stand-in's control side");
            return;
        }
        m_buttons_held |= 1u << (key[0] - '1');
        m_keyboard->press_buttons(m_buttons_held);
    } else if (key == "u") {
        if (!m_keyboard) {
            say("unplugging needs the LCD Manager stand-in's control side");
        } else if (m_keyboard->keyboard_plugged()) {
            m_keyboard->unplug_keyboard();
        } else {
            m_keyboard->plug_keyboard();
        }
    } else if (key == "space") {
        m_playback.toggle_pause();
    } else if (key == "n") {
        m_playback.next();
    } else if (key == "p") {
        m_playback.previous();
    } else if (key == "left" || key == "right") {
        m_playback.seek_by(key == "left" ? -seek_step_seconds : seek_step_seconds);
    } else if (key == "q") {
        m_quit = true;
    }
}

void session::say(const std::string& message) {
    m_message = message;
    if (!m_messages_in_view) report(message);
}

const LcdBitmap* session::shown_frame() const {
    if (!m_last_frame || !m_keyboard || !m_keyboard->keyboard_plugged()) return nullptr;
    return &m_last_frame->bitmap;
}

std::vector<std::string> session::status_lines() const {
    std::string status = m_playback.status();
    if (m_last_frame) status += "  priority " + std::to_string(m_last_frame->priority);
    if (m_keyboard) status += m_keyboard->keyboard_plugged() ? "  keyboard plugged in" : "  keyboard UNPLUGGED (u)";
    std::vector<std::string> lines = {status};
    if (!m_message.empty()) lines.push_back(m_message);
    lines.push_back("keys: 1-4 screens, space pause, n/p track, left/right seek, u unplug, q quit");
    return lines;
}

void session::write_pictures() {
    if (!m_options.snapshot.empty()) {
        if (!m_last_frame)
            throw std::runtime_error("no frame was sent, so there is none to write to " + m_options.snapshot);
        write_frame_png(m_last_frame->bitmap, m_options.snapshot);
        std::printf("last frame written to %s\n", m_options.snapshot.c_str());
    }
    if (m_recording) {
        m_recording->write(m_options.record);
        std::printf("session written to %s (%zu frames)\n", m_options.record.c_str(), m_recording->frame_count());
    }
    if (m_frame_files)
        std::printf("%zu frames written to %s\n", m_frame_files->count(), m_options.frames_directory.c_str());
}

}  // namespace keylume_sim
