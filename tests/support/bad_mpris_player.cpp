// A media player on the session bus for the tests, doing what mpv cannot be made to do. It runs
// until it is ended.
//
//   (no options)      org.mpris.MediaPlayer2.broken, which describes its track badly: Metadata
//                     entries of the wrong types, an album name of a megabyte, a file URL whose
//                     name is not UTF-8, a Position of the wrong type; ten times a second it also
//                     signals changes that make no sense
//   --title TITLE     a player that describes its track well: TITLE, four minutes long, playing
//                     from the start, its position moving with the clock
//   --name NAME       its bus name is org.mpris.MediaPlayer2.NAME
//   --paused          paused at 0 instead of playing
//   --from S          its track's position is S seconds at the start instead of 0
//   --silent-for S    answers nothing for its first S seconds, as a player busy loading does
//   --flood N         ten times a second, N signals that the title changed ("TITLE 1", ...)
#include <poll.h>
#include <sdbus-c++/sdbus-c++.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

using properties = std::map<std::string, sdbus::Variant>;
const std::string player_interface = "org.mpris.MediaPlayer2.Player";
const std::string properties_interface = "org.freedesktop.DBus.Properties";

struct player_options {
    std::string name = "broken";
    std::string title;  // empty: the badly described track
    bool paused = false;
    double silent_seconds = 0;
    double from_seconds = 0;
    int flood = 0;
};

player_options read_options(int argc, char** argv) {
    player_options options;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--paused") {
            options.paused = true;
            continue;
        }
        const std::string value = i + 1 < argc ? argv[++i] : "";
        if (option == "--name") {
            options.name = value;
        } else if (option == "--title") {
            options.title = value;
        } else if (option == "--silent-for") {
            options.silent_seconds = std::atof(value.c_str());
        } else if (option == "--from") {
            options.from_seconds = std::atof(value.c_str());
        } else if (option == "--flood") {
            options.flood = std::atoi(value.c_str());
        } else {
            std::fprintf(stderr, "bad_mpris_player: unknown option %s\n", option.c_str());
            std::exit(2);
        }
    }
    return options;
}

properties bad_metadata() {
    return {
        {"mpris:trackid", sdbus::Variant(std::string("not an object path"))},
        {"xesam:title", sdbus::Variant(int32_t{7})},
        {"xesam:artist", sdbus::Variant(std::string("Solo Artist"))},  // one text, not a list
        {"xesam:album", sdbus::Variant(std::string(1 << 20, 'A'))},
        {"xesam:genre", sdbus::Variant(std::vector<int32_t>{1, 2})},
        {"xesam:trackNumber", sdbus::Variant(std::string("seven"))},
        {"xesam:contentCreated", sdbus::Variant(int32_t{1999})},
        {"mpris:length", sdbus::Variant(std::string("three minutes"))},
        {"xesam:url", sdbus::Variant(std::string("file:///music/%FF%FEname%2.mp3"))},
    };
}

properties good_metadata(const std::string& title) {
    return {
        {"mpris:trackid", sdbus::Variant(sdbus::ObjectPath("/org/keylume/track/1"))},
        {"xesam:title", sdbus::Variant(title)},
        {"xesam:artist", sdbus::Variant(std::vector<std::string>{"Nina Ray"})},
        {"mpris:length", sdbus::Variant(int64_t{240000000})},
    };
}

void signal_nonsense(sdbus::IObject& object) {
    object.emitSignal("PropertiesChanged")
        .onInterface(properties_interface)
        .withArguments(
            player_interface,
            properties{{"Metadata", sdbus::Variant(int32_t{42})}, {"PlaybackStatus", sdbus::Variant(int32_t{3})}},
            std::vector<std::string>{"Metadata"});
    object.emitSignal("PropertiesChanged").onInterface(properties_interface).withArguments(int32_t{1});
    object.emitSignal("Seeked").onInterface(player_interface).withArguments(std::string("later"));
}

void signal_titles(sdbus::IObject& object, const player_options& options, int& sent) {
    for (int i = 0; i < options.flood; ++i)
        object.emitSignal("PropertiesChanged")
            .onInterface(properties_interface)
            .withArguments(
                player_interface,
                properties{{"Metadata", sdbus::Variant(good_metadata(options.title + " " + std::to_string(++sent)))}},
                std::vector<std::string>{});
}

}  // namespace

int main(int argc, char** argv) {
    const player_options options = read_options(argc, argv);
    auto connection = sdbus::createSessionBusConnection("org.mpris.MediaPlayer2." + options.name);
    std::this_thread::sleep_for(std::chrono::duration<double>(options.silent_seconds));
    const auto started = std::chrono::steady_clock::now();
    const bool bad = options.title.empty();
    auto object = sdbus::createObject(*connection, "/org/mpris/MediaPlayer2");
    object->registerProperty("PlaybackStatus").onInterface(player_interface).withGetter([&] {
        return std::string(options.paused ? "Paused" : "Playing");
    });
    object->registerProperty("Metadata").onInterface(player_interface).withGetter([&] {
        return bad ? bad_metadata() : good_metadata(options.title);
    });
    object->registerProperty("Rate").onInterface(player_interface).withGetter([] { return 1.0; });
    if (bad)
        object->registerProperty("Position").onInterface(player_interface).withGetter([] {
            return std::string("soon");
        });
    else
        object->registerProperty("Position").onInterface(player_interface).withGetter([&] {
            const auto played =
                options.paused ? std::chrono::steady_clock::duration{} : std::chrono::steady_clock::now() - started;
            return static_cast<int64_t>(options.from_seconds * 1e6) +
                   static_cast<int64_t>(std::chrono::duration_cast<std::chrono::microseconds>(played).count());
        });
    object->finishRegistration();
    auto next_signal = std::chrono::steady_clock::now();
    int titles_sent = 0;
    for (;;) {
        while (connection->processPendingRequest()) {
        }
        if (std::chrono::steady_clock::now() >= next_signal) {
            if (bad)
                signal_nonsense(*object);
            else
                signal_titles(*object, options, titles_sent);
            next_signal += std::chrono::milliseconds(100);
        }
        sdbus::IConnection::PollData bus = connection->getEventLoopPollData();
        pollfd wait{bus.fd, static_cast<short>(bus.events), 0};
        poll(&wait, 1, 10);
    }
}
