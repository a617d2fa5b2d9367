// A media player on the session bus that describes its track badly, for keylume-sim to cope
// with: Metadata entries of the wrong types, an album name of a megabyte, a file URL whose name
// is not UTF-8, and a Position of the wrong type. Ten times a second it also signals changes that
// make no sense. It runs, as org.mpris.MediaPlayer2.broken, until it is ended.
#include <poll.h>
#include <sdbus-c++/sdbus-c++.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace {

const std::string player_interface = "org.mpris.MediaPlayer2.Player";
const std::string properties_interface = "org.freedesktop.DBus.Properties";

std::map<std::string, sdbus::Variant> bad_metadata() {
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

void signal_nonsense(sdbus::IObject& object) {
    object.emitSignal("PropertiesChanged")
        .onInterface(properties_interface)
        .withArguments(player_interface,
                       std::map<std::string, sdbus::Variant>{{"Metadata", sdbus::Variant(int32_t{42})},
                                                             {"PlaybackStatus", sdbus::Variant(int32_t{3})}},
                       std::vector<std::string>{"Metadata"});
    object.emitSignal("PropertiesChanged").onInterface(properties_interface).withArguments(int32_t{1});
    object.emitSignal("Seeked").onInterface(player_interface).withArguments(std::string("later"));
}

}  // namespace

int main() {
    auto connection = sdbus::createSessionBusConnection("org.mpris.MediaPlayer2.broken");
    auto object = sdbus::createObject(*connection, "/org/mpris/MediaPlayer2");
    object->registerProperty("PlaybackStatus").onInterface(player_interface).withGetter([] {
        return std::string("Playing");
    });
    object->registerProperty("Metadata").onInterface(player_interface).withGetter([] { return bad_metadata(); });
    object->registerProperty("Position").onInterface(player_interface).withGetter([] { return std::string("soon"); });
    object->finishRegistration();
    auto next_signal = std::chrono::steady_clock::now();
    for (;;) {
        while (connection->processPendingRequest()) {
        }
        if (std::chrono::steady_clock::now() >= next_signal) {
            signal_nonsense(*object);
            next_signal += std::chrono::milliseconds(100);
        }
        sdbus::IConnection::PollData bus = connection->getEventLoopPollData();
        pollfd wait{bus.fd, static_cast<short>(bus.events), 0};
        poll(&wait, 1, 10);
    }
}
