#include "mpris_follower.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "player.h"
#include "playlist.h"

namespace velvox_host {

namespace {

const std::string player_prefix = "org.mpris.MediaPlayer2.";
const std::string player_object = "/org/mpris/MediaPlayer2";
const std::string player_interface = "org.mpris.MediaPlayer2.Player";
const std::string properties_interface = "org.freedesktop.DBus.Properties";
const std::string bus_interface = "org.freedesktop.DBus";
// A player that does not answer in this time is not waited for: the display goes on ticking.
constexpr std::chrono::milliseconds call_timeout{250};
constexpr int64_t microseconds_per_second = 1000000;

std::string session_bus_address() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    return address && *address ? address : "not set";
}

}  // namespace

struct mpris_follower::watched_player {
    std::string name;                      // the well-known name, org.mpris.MediaPlayer2.NAME
    std::unique_ptr<sdbus::IProxy> proxy;  // addressed to the name's owner, so only its signals arrive
    playback_status status = playback_status::unknown;
    bool started_playing = false;  // since the last poll
};

mpris_follower::mpris_follower(host_playback_registry& registry, std::string wanted)
    : m_registry(registry), m_wanted(std::move(wanted)) {
    try {
        m_connection = sdbus::createSessionBusConnection();
    } catch (const sdbus::Error& error) {
        throw mpris_error("--follow cannot reach the D-Bus session bus (DBUS_SESSION_BUS_ADDRESS " +
                          session_bus_address() + "): " + error.getMessage());
    }
    m_bus = sdbus::createProxy(*m_connection, bus_interface, "/org/freedesktop/DBus");
    m_bus->registerSignalHandler(bus_interface, "NameOwnerChanged",
                                 [this](sdbus::Signal& signal) { name_owner_changed(signal); });
    m_bus->finishRegistration();
    std::vector<std::string> names;
    m_bus->callMethod("ListNames").onInterface(bus_interface).storeResultsTo(names);
    for (const std::string& name : names)
        if (is_wanted(name)) m_name_changes.emplace_back(name, owner_of(name));
}

mpris_follower::~mpris_follower() = default;

bool mpris_follower::is_wanted(const std::string& name) const {
    if (!name.starts_with(player_prefix)) return false;
    const std::string_view player = std::string_view(name).substr(player_prefix.size());
    return m_wanted.empty() || player == m_wanted || player.starts_with(m_wanted + ".");
}

std::string mpris_follower::owner_of(const std::string& name) {
    std::string owner;
    try {
        m_bus->callMethod("GetNameOwner")
            .onInterface(bus_interface)
            .withTimeout(call_timeout)
            .withArguments(name)
            .storeResultsTo(owner);
    } catch (const sdbus::Error&) {
        // gone again already
    }
    return owner;
}

void mpris_follower::poll() {
    try {
        while (m_connection->processPendingRequest()) {
        }
    } catch (const sdbus::Error& error) {
        throw mpris_error("lost the D-Bus session bus: " + error.getMessage());
    }
    apply_name_changes();
    follow(choose());
    for (const std::unique_ptr<watched_player>& player : m_players) player->started_playing = false;
    read_position();
}

void mpris_follower::name_owner_changed(sdbus::Signal& signal) {
    std::string name, old_owner, new_owner;
    try {
        signal >> name >> old_owner >> new_owner;
    } catch (const sdbus::Error&) {
        return;
    }
    if (is_wanted(name)) m_name_changes.emplace_back(name, new_owner);
}

void mpris_follower::properties_changed(watched_player& player, sdbus::Signal& signal) {
    std::string interface;
    mpris_metadata changed;
    try {
        signal >> interface >> changed;
    } catch (const sdbus::Error&) {
        return;
    }
    if (interface != player_interface) return;
    const bool followed = &player == m_followed;
    auto metadata = changed.find("Metadata");
    if (followed && metadata != changed.end() && metadata->second.containsValueOfType<mpris_metadata>())
        take_metadata(metadata->second.get<mpris_metadata>());
    auto status = changed.find("PlaybackStatus");
    if (status == changed.end()) return;
    const playback_status now = status_of(status->second);
    if (now == playback_status::unknown) return;
    if (now == playback_status::playing && player.status != playback_status::playing) player.started_playing = true;
    player.status = now;
    if (followed) take_status(now);
}

void mpris_follower::seeked(const watched_player& player, sdbus::Signal& signal) {
    int64_t microseconds = 0;
    try {
        signal >> microseconds;
    } catch (const sdbus::Error&) {
        return;
    }
    if (&player != m_followed || stopped()) return;
    m_second = std::max<int64_t>(microseconds, 0) / microseconds_per_second;
    m_registry.position_sought(static_cast<double>(std::max<int64_t>(microseconds, 0)) / microseconds_per_second);
}

void mpris_follower::apply_name_changes() {
    std::vector<std::pair<std::string, std::string>> changes;
    changes.swap(m_name_changes);
    for (const auto& [name, owner] : changes) {
        forget(name);
        if (!owner.empty()) watch(name, owner);
    }
}

void mpris_follower::watch(const std::string& name, const std::string& owner) {
    auto player = std::make_unique<watched_player>();
    watched_player& watched = *player;
    watched.name = name;
    watched.proxy = sdbus::createProxy(*m_connection, owner, player_object);
    watched.proxy->registerSignalHandler(
        properties_interface, "PropertiesChanged",
        [this, &watched](sdbus::Signal& signal) { properties_changed(watched, signal); });
    watched.proxy->registerSignalHandler(player_interface, "Seeked",
                                         [this, &watched](sdbus::Signal& signal) { seeked(watched, signal); });
    watched.proxy->finishRegistration();
    sdbus::Variant status;
    if (read_property(watched, "PlaybackStatus", status)) watched.status = status_of(status);
    watched.started_playing = watched.status == playback_status::playing;
    m_players.push_back(std::move(player));
}

// A player that leaves the bus stops playing.
void mpris_follower::forget(const std::string& name) {
    auto gone =
        std::find_if(m_players.begin(), m_players.end(), [&](const auto& player) { return player->name == name; });
    if (gone == m_players.end()) return;
    if (gone->get() == m_followed) {
        take_status(playback_status::stopped);
        m_followed = nullptr;
    }
    m_players.erase(gone);
}

// A player that just started playing; else the one followed; else the first playing, else the
// first paused one.
mpris_follower::watched_player* mpris_follower::choose() const {
    for (const std::unique_ptr<watched_player>& player : m_players)
        if (player->started_playing && player.get() != m_followed) return player.get();
    if (m_followed) return m_followed;
    for (playback_status wanted_status : {playback_status::playing, playback_status::paused})
        for (const std::unique_ptr<watched_player>& player : m_players)
            if (player->status == wanted_status) return player.get();
    return nullptr;
}

void mpris_follower::follow(watched_player* player) {
    if (player == m_followed) return;
    if (!stopped()) m_registry.playback_stopped(stopped_for_another);
    m_followed = player;
    m_status = playback_status::stopped;
    m_track = {};
    if (!player) return;
    sdbus::Variant metadata;
    if (read_property(*player, "Metadata", metadata) && metadata.containsValueOfType<mpris_metadata>())
        m_track = track_from_metadata(metadata.get<mpris_metadata>());
    take_status(player->status);
}

void mpris_follower::take_metadata(const mpris_metadata& metadata) {
    mpris_track track = track_from_metadata(metadata);
    if (stopped() || !track.same_track(m_track)) {
        m_track = std::move(track);
        if (stopped()) return;
        m_second = -1;
        m_registry.new_track(make_track_handle(m_track.record));
        return;
    }
    if (track.record == m_track.record) return;
    const std::string title = track.title();
    const bool title_only = with_stream_title(m_track.record, title) == with_stream_title(track.record, title);
    m_track = std::move(track);
    if (title_only)
        m_registry.stream_track_info_changed(host_track_info(m_track.record));
    else
        m_registry.track_edited(make_track_handle(m_track.record));
}

void mpris_follower::take_status(playback_status status) {
    if (status == playback_status::unknown || status == m_status) return;
    const bool was_stopped = stopped();
    m_status = status;
    if (status == playback_status::stopped) {
        m_second = -1;
        if (!was_stopped) m_registry.playback_stopped(stopped_by_user);
    } else if (was_stopped) {
        m_second = -1;
        m_registry.playback_starting(0, paused() ? 1 : 0);
        m_registry.new_track(make_track_handle(m_track.record));
    } else {
        m_registry.pause_changed(paused() ? 1 : 0);
    }
}

// MPRIS does not signal the position as it moves: it is read while playing, and every whole
// second it passes is a time event. A track followed while paused gets its position once.
void mpris_follower::read_position() {
    sdbus::Variant position;
    const bool due = m_status == playback_status::playing || (m_status == playback_status::paused && m_second < 0);
    if (!m_followed || !due || !read_property(*m_followed, "Position", position) ||
        !position.containsValueOfType<int64_t>())
        return;
    const int64_t second = std::max<int64_t>(position.get<int64_t>(), 0) / microseconds_per_second;
    if (second == m_second) return;
    m_second = second;
    m_registry.time_advanced(static_cast<double>(second));
}

bool mpris_follower::read_property(watched_player& player, const std::string& name, sdbus::Variant& value) {
    try {
        player.proxy->callMethod("Get")
            .onInterface(properties_interface)
            .withTimeout(call_timeout)
            .withArguments(player_interface, name)
            .storeResultsTo(value);
        return true;
    } catch (const sdbus::Error&) {
        return false;
    }
}

void mpris_follower::play_pause() { command("PlayPause"); }
void mpris_follower::next() { command("Next"); }
void mpris_follower::previous() { command("Previous"); }

void mpris_follower::seek_by(double seconds) {
    if (!m_followed) return;
    try {
        m_followed->proxy->callMethod("Seek")
            .onInterface(player_interface)
            .withArguments(static_cast<int64_t>(seconds * microseconds_per_second))
            .dontExpectReply();
    } catch (const sdbus::Error&) {
        // the player left; the name change says so at the next poll
    }
}

void mpris_follower::command(const std::string& method) {
    if (!m_followed) return;
    try {
        m_followed->proxy->callMethod(method).onInterface(player_interface).dontExpectReply();
    } catch (const sdbus::Error&) {
        // the player left; the name change says so at the next poll
    }
}

std::string mpris_follower::followed() const {
    return m_followed ? m_followed->name.substr(player_prefix.size()) : std::string();
}

mpris_follower::playback_status mpris_follower::status_of(const sdbus::Variant& value) {
    if (!value.containsValueOfType<std::string>()) return playback_status::unknown;
    const std::string status = value.get<std::string>();
    if (status == "Playing") return playback_status::playing;
    if (status == "Paused") return playback_status::paused;
    if (status == "Stopped") return playback_status::stopped;
    return playback_status::unknown;
}

}  // namespace velvox_host
