// keylume-sim: the Velvox stand-in, the Keylume component and the LCD Manager stand-in in one
// process. It loads the component library as the host does, registers the LCD Manager stand-in
// in the registry, starts the component, plays a built-in demo playlist and shows the keyboard's
// LCD in the terminal, ten frames a second.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "animated_png.h"
#include "component_services.h"
#include "frame_picture.h"
#include "lcd_server_control.h"
#include "lcdclient.h"
#include "loaded_component.h"
#include "playback_host.h"
#include "terminal.h"
#include "virtual_clock.h"

namespace {

using velvox_host::track_record;

struct options {
    long ticks = -1;  // a bounded run without a terminal when not negative
    double speed = 1.0;
    std::string snapshot;
    std::string record;
};

void usage() {
    std::printf(
        "usage: keylume-sim [--ticks N] [--speed X] [--snapshot FILE.png] [--record FILE.png]\n"
        "\n"
        "Plays a demo playlist through the Keylume component and shows the keyboard's LCD.\n"
        "  --ticks N        run N display ticks (100 ms each) without waiting, then stop\n"
        "  --speed X        run X times faster than real time\n"
        "  --snapshot FILE  write the last frame as a PNG\n"
        "  --record FILE    write the whole session as an animated PNG\n"
        "Keys: 1-4 soft buttons, space pause, n / p next / previous track, q quit.\n");
}

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "keylume-sim: %s\n", message.c_str());
    std::exit(2);
}

options parse_options(int argc, char** argv) {
    options chosen;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) fail(argument + " needs a value (see --help)");
            return argv[++i];
        };
        if (argument == "--help" || argument == "-h") {
            usage();
            std::exit(0);
        } else if (argument == "--ticks") {
            std::string text = value();
            char* end = nullptr;
            chosen.ticks = std::strtol(text.c_str(), &end, 10);
            if (*end || chosen.ticks < 0) fail("--ticks needs a whole number of ticks, not '" + text + "'");
        } else if (argument == "--speed") {
            std::string text = value();
            char* end = nullptr;
            chosen.speed = std::strtod(text.c_str(), &end);
            if (*end || !(chosen.speed > 0)) fail("--speed needs a positive number, not '" + text + "'");
        } else if (argument == "--snapshot") {
            chosen.snapshot = value();
        } else if (argument == "--record") {
            chosen.record = value();
        } else {
            fail("unknown argument '" + argument + "' (see --help)");
        }
    }
    return chosen;
}

track_record demo_track(const char* title, const char* artist, const char* album, const char* date, double length,
                        const char* file) {
    track_record record;
    record.path = std::string("/demo/") + file;
    record.file_name = file;
    if (title) record.tags.set("title", title);
    if (artist) record.tags.set("artist", artist);
    if (album) record.tags.set("album", album);
    if (date) record.tags.set("date", date);
    record.length_seconds = length;
    record.technical.codec = "MP3";
    record.technical.mp3_stereo_mode = "joint stereo";
    return record;
}

std::vector<track_record> demo_playlist() {
    return {
        demo_track("Lanterns", "Nina Ray", "Small Hours", "2019", 184, "lanterns.mp3"),
        demo_track("A Very Long Title That Has To Run Across The Display As A Marquee", "The Long Names Orchestra",
                   "Overtures", "2021", 247, "long.mp3"),
        demo_track("Café Noir à Montréal", "Zoë Brontë", "Été", "2018", 203, "cafe.mp3"),
        demo_track("Звёздная ночь", "Ансамбль Мир", "Огни", "2015", 221, "zvezda.mp3"),
        demo_track("夜の光", "山田 花子", "東京", "2020", 198, "yoru.mp3"),
        demo_track(nullptr, "Unknown Artist", nullptr, nullptr, 95, "untagged_track.mp3"),
    };
}

std::string folder_of_program() {
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return ".";
    std::string text(path, static_cast<size_t>(length));
    return text.substr(0, text.find_last_of('/'));
}

// Plays the playlist: a new-track event per track, a time event every second.
class demo_player {
public:
    demo_player(velvox_host::host_playback_registry& registry, std::vector<track_record> playlist)
        : m_registry(registry), m_playlist(std::move(playlist)) {}

    void play(size_t index) {
        m_index = index % m_playlist.size();
        m_position_ms = 0;
        m_paused = false;
        m_registry.new_track(velvox_host::make_track_handle(m_playlist[m_index]));
    }
    void next() { play(m_index + 1); }
    void previous() { play(m_index + m_playlist.size() - 1); }
    void toggle_pause() { m_paused = !m_paused; }

    void advance(DWORD milliseconds) {
        if (m_paused) return;
        m_position_ms += milliseconds;
        if (m_position_ms % 1000 < milliseconds) m_registry.time_advanced(m_position_ms / 1000.0);
        if (m_position_ms / 1000.0 >= m_playlist[m_index].length_seconds) next();
    }
    const track_record& current() const { return m_playlist[m_index]; }
    double position() const { return m_position_ms / 1000.0; }
    bool paused() const { return m_paused; }

private:
    velvox_host::host_playback_registry& m_registry;
    std::vector<track_record> m_playlist;
    size_t m_index = 0;
    uint64_t m_position_ms = 0;
    bool m_paused = false;
};

std::string status_line(const demo_player& player, DWORD priority) {
    const track_record& track = player.current();
    std::vector<std::string> titles = track.tags.values("title");
    char position[32];
    std::snprintf(position, sizeof position, "%d:%02d", static_cast<int>(player.position()) / 60,
                  static_cast<int>(player.position()) % 60);
    return (titles.empty() ? track.file_name : titles.front()) + "  " + position + (player.paused() ? " (paused)" : "") +
           "  priority " + std::to_string(priority) + "\nkeys: 1-4 soft buttons, space pause, n/p track, q quit\n";
}

}  // namespace

int main(int argc, char** argv) {
    options chosen = parse_options(argc, argv);
    std::string folder = folder_of_program();
    try {
        std::string server_path = folder + "/keylume_lcdserver.so";
        HMODULE server = LoadLibraryA(server_path.c_str());
        if (!server) fail("cannot load the LCD Manager stand-in " + server_path);
        auto control_of = reinterpret_cast<lcd_server_control_function>(
            reinterpret_cast<void (*)()>(GetProcAddress(server, LCD_SERVER_CONTROL_EXPORT)));
        if (!control_of) fail(server_path + " has no " LCD_SERVER_CONTROL_EXPORT);
        lcd_server_control& keyboard = *control_of();
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, LCDCLIENT_SERVER_KEY, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                            nullptr) != ERROR_SUCCESS ||
            RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(server_path.c_str()),
                           static_cast<DWORD>(server_path.size() + 1)) != ERROR_SUCCESS)
            fail("cannot register the LCD Manager stand-in");
        RegCloseKey(key);

        host_api_object api;
        add_standard_host_services(api);
        service_ptr_t<velvox_host::host_playback_registry> registry = velvox_host::add_playback_services(api);
        loaded_component component(folder + "/libkeylume.so", api);
        keylume_host::virtual_clock clock(1000000);  // gone before the component is unloaded
        clock.drive(component.instance());
        auto& hooks = static_cast<initquit&>(*component.find_service(initquit::class_guid));

        demo_player player(*registry, demo_playlist());
        keylume_sim::animated_png recording;
        std::unique_ptr<keylume_sim::terminal_session> terminal;
        if (chosen.ticks < 0) terminal = std::make_unique<keylume_sim::terminal_session>();

        hooks.on_startup();
        auto next_frame = std::chrono::steady_clock::now();
        DWORD buttons_held = 0;
        for (long tick = 0; chosen.ticks < 0 || tick < chosen.ticks; ++tick) {
            if (tick == 20) player.play(0);  // two seconds of splash view first
            if (tick > 20) player.advance(100);
            clock.advance(100);
            clock.run_due_timers();
            if (buttons_held) keyboard.release_buttons(buttons_held), buttons_held = 0;
            const lcd_server_frame* frame = keyboard.last_frame();
            if (frame && !chosen.record.empty()) recording.add_frame(frame->bitmap, clock.now());
            if (!terminal) continue;
            if (frame) {
                bool narrow = terminal->columns() < 162;
                terminal->show((narrow ? keylume_sim::frame_as_braille(frame->bitmap)
                                       : keylume_sim::frame_as_half_blocks(frame->bitmap)) +
                               status_line(player, frame->priority));
            }
            for (const keylume_sim::key& key : terminal->pending_keys()) {
                if (key.kind != keylume_sim::key_kind::character) continue;
                if (key.character >= '1' && key.character <= '4') {
                    buttons_held = 1u << (key.character - '1');
                    keyboard.press_buttons(buttons_held);
                } else if (key.character == ' ') {
                    player.toggle_pause();
                } else if (key.character == 'n') {
                    player.next();
                } else if (key.character == 'p') {
                    player.previous();
                } else if (key.character == 'q') {
                    keylume_sim::stop_requested = 1;
                }
            }
            if (keylume_sim::stop_requested) break;
            next_frame += std::chrono::microseconds(static_cast<long>(100000 / chosen.speed));
            std::this_thread::sleep_until(next_frame);
        }
        terminal.reset();
        hooks.on_shutdown();
        if (const lcd_server_frame* frame = keyboard.last_frame(); frame && !chosen.snapshot.empty()) {
            keylume_sim::write_frame_png(frame->bitmap, chosen.snapshot);
            std::printf("last frame written to %s\n", chosen.snapshot.c_str());
        }
        if (!chosen.record.empty()) {
            recording.write(chosen.record);
            std::printf("session written to %s (%zu frames)\n", chosen.record.c_str(), recording.frame_count());
        }
    } catch (const std::exception& error) {
        fail(error.what());
    }
    return 0;
}
