#include "mpris_follower.h"

#include <algorithm>
#include <tuple>
#include <utility>

#include "player.h"

namespace velvox_host {

namespace {

const std::string player_object = "/org/mpris/MediaPlayer2";
const std::string player_interface = "org.mpris.MediaPlayer2.Player";
const std::string properties_interface = "org.freedesktop.DBus.Properties";
const std::string bus_name = "org.freedesktop.DBus";
const std::string bus_object = "/org/freedesktop/DBus";
constexpr std::string_view player_prefix = "org.mpris.MediaPlayer2.";
// The signals of every MPRIS player, and the players that come and go.
const std::string name_changes_match =
    "type='signal',sender='org.freedesktop.DBus',interface='org.freedesktop.DBus',"
    "member='NameOwnerChanged',arg0namespace='org.mpris.MediaPlayer2'";
const std::string properties_match =
    "type='signal',interface='org.freedesktop.DBus.Properties',"
    "member='PropertiesChanged',path='/org/mpris/MediaPlayer2',"
    "arg0='org.mpris.MediaPlayer2.Player'";
const std::string seeked_match =
    "type='signal',interface='org.mpris.MediaPlayer2.Player',member='Seeked',path='/org/mpris/MediaPlayer2'";

// How long the bus may take to answer at start-up.
constexpr std::chrono::seconds bus_patience{3};
// A call a player has not answered in this time counts as failed and is asked again later.
constexpr std::chrono::seconds call_timeout{1};
// How often the position of a playing player is read to stay in step with it.
constexpr std::chrono::seconds position_read_interval{5};

double seconds_of(int64_t microseconds) { return static_cast<double>(std::max<int64_t>(microseconds, 0)) / 1e6; }

}  // namespace

struct mpris_follower::watched_player {
    std::string name;   // the well-known name, org.mpris.MediaPlayer2.NAME
    std::string owner;  // its unique name, which signals come from
    int rank = 0;       // its place in the preferences
    // What the player last said.
    playback_status status = playback_status::unknown;
    mpris_metadata metadata;
    bool metadata_known = false;
    position_estimate position;
    // What changed since the last poll.
    bool started_playing = false;
    bool status_changed = false;
    bool metadata_changed = false;
    bool seeked = false;
    retried_read state_read;     // all its player properties
    retried_read position_read;  // its position, while followed
    // Last, so that it goes first: its calls still out are cancelled with it.
    std::unique_ptr<sdbus::IProxy> proxy;
};

mpris_follower::mpris_follower(host_playback_registry& registry, player_preferences wanted, clock_function clock)
    : m_registry(registry), m_wanted(std::move(wanted)), m_clock(std::move(clock)), m_now(m_clock()) {
    m_connection = open_session_bus(bus_patience);
    try {
        m_bus = sdbus::createProxy(*m_connection, bus_name, bus_object);
        add_matches();
    } catch (const sdbus::Error& error) {
        throw mpris_error("--follow cannot watch the D-Bus session bus for players: " + error.getMessage());
    }
    m_track = track_from_metadata({});
    m_names_read.want();
}

mpris_follower::~mpris_follower() {
    // The players' proxies and the matches go before the connection they use.
    m_players.clear();
    m_matches.clear();
    m_bus.reset();
}

template <typename Handler>
void mpris_follower::contained(Handler&& handler) {
    try {
        handler();
    } catch (const sdbus::Error&) {
        // a message that is not what MPRIS says: left out
    } catch (...) {
        // Nothing may unwind into sd-bus: poll() throws it once the dispatch is over.
        if (!m_handler_failure) m_handler_failure = std::current_exception();
    }
}

void mpris_follower::add_matches() {
    auto handled_by = [this](void (mpris_follower::*handler)(sdbus::Message&)) {
        return [this, handler](sdbus::Message& message) { contained([&] { (this->*handler)(message); }); };
    };
    m_matches.push_back(m_connection->addMatch(name_changes_match, handled_by(&mpris_follower::name_owner_changed)));
    m_matches.push_back(m_connection->addMatch(properties_match, handled_by(&mpris_follower::properties_changed)));
    m_matches.push_back(m_connection->addMatch(seeked_match, handled_by(&mpris_follower::seeked)));
}

std::optional<sdbus::IConnection::PollData> mpris_follower::poll_data() const {
    if (!m_connection) return std::nullopt;
    return m_connection->getEventLoopPollData();
}

void mpris_follower::poll() {
    m_now = m_clock();
    dispatch_messages();
    apply_name_changes();
    follow(choose());
    if (m_followed) apply_changes(*m_followed);
    for (const std::unique_ptr<watched_player>& player : m_players) player->started_playing = false;
    send_time_event();
    send_due_reads();
}

void mpris_follower::dispatch_messages() {
    try {
        for (int dispatched = 0; dispatched < messages_per_poll && m_connection->processPendingRequest();
             ++dispatched) {
        }
    } catch (const sdbus::Error& error) {
        throw mpris_error("lost the D-Bus session bus: " + error.getMessage());
    }
    if (m_handler_failure) std::rethrow_exception(std::exchange(m_handler_failure, nullptr));
}

// Sends a read's call; one that cannot be sent counts as failed.
template <typename Call>
void mpris_follower::send_read(retried_read& read, Call&& call) {
    read.sent();
    try {
        call();
    } catch (const sdbus::Error&) {
        read.failed(m_now);
    }
}

void mpris_follower::list_names() {
    send_read(m_names_read, [&] {
        m_bus->callMethodAsync("ListNames")
            .onInterface(bus_name)
            .withTimeout(call_timeout)
            .uponReplyInvoke([this](const sdbus::Error* error, const std::vector<std::string>& names) {
                contained([&] {
                    if (error) return m_names_read.failed(m_now);
                    m_names_read.answered();
                    for (const std::string& name : names)
                        if (m_wanted.rank(name) >= 0) ask_owner(name);
                });
            });
    });
}

void mpris_follower::ask_owner(const std::string& name) {
    try {
        m_bus->callMethodAsync("GetNameOwner")
            .onInterface(bus_name)
            .withTimeout(call_timeout)
            .withArguments(name)
            .uponReplyInvoke([this, name](const sdbus::Error* error, const std::string& owner) {
                // A name without an owner has gone again, which its owner change says too.
                contained([&] {
                    if (!error) m_name_changes.emplace_back(name, owner);
                });
            });
    } catch (const sdbus::Error&) {
        // the bus is lost, which the next dispatch reports
    }
}

void mpris_follower::name_owner_changed(sdbus::Message& signal) {
    std::string name, old_owner, new_owner;
    signal >> name >> old_owner >> new_owner;
    if (m_wanted.rank(name) >= 0) m_name_changes.emplace_back(name, new_owner);
}

void mpris_follower::properties_changed(sdbus::Message& signal) {
    watched_player* player = player_at(signal.getSender());
    if (!player) return;
    std::string interface;
    signal >> interface;
    if (interface != player_interface) return;
    mpris_metadata changed;
    signal >> changed;
    take_properties(*player, changed);
    // Properties named without their values are read again.
    std::vector<std::string> invalidated;
    signal >> invalidated;
    for (const std::string& name : invalidated)
        if (name == "PlaybackStatus" || name == "Metadata") player->state_read.want();
}

void mpris_follower::seeked(sdbus::Message& signal) {
    watched_player* player = player_at(signal.getSender());
    if (!player) return;
    int64_t microseconds = 0;
    signal >> microseconds;
    player->position.set(seconds_of(microseconds), m_now);
    player->seeked = true;
}

// Player properties from a reply or a signal: those of the wrong type are left out.
void mpris_follower::take_properties(watched_player& player, const mpris_metadata& properties) {
    auto status = properties.find("PlaybackStatus");
    const playback_status now = status == properties.end() ? playback_status::unknown : status_of(status->second);
    if (now != playback_status::unknown && now != player.status) {
        player.started_playing = now == playback_status::playing;
        player.status = now;
        player.status_changed = true;
    }
    auto metadata = properties.find("Metadata");
    if (metadata != properties.end() && metadata->second.containsValueOfType<mpris_metadata>()) {
        player.metadata = metadata->second.get<mpris_metadata>();
        player.metadata_known = true;
        player.metadata_changed = true;
    }
    auto rate = properties.find("Rate");
    if (rate != properties.end() && rate->second.containsValueOfType<double>())
        player.position.set_rate(rate->second.get<double>(), m_now);
    auto position = properties.find("Position");
    if (position != properties.end() && position->second.containsValueOfType<int64_t>())
        player.position.set(seconds_of(position->second.get<int64_t>()), m_now);
}

mpris_follower::watched_player* mpris_follower::player_at(const std::string& owner) {
    for (const std::unique_ptr<watched_player>& player : m_players)
        if (player->owner == owner) return player.get();
    return nullptr;
}

void mpris_follower::apply_name_changes() {
    std::vector<std::pair<std::string, std::string>> changes;
    changes.swap(m_name_changes);
    for (const auto& [name, owner] : changes) {
        auto known = std::find_if(m_players.begin(), m_players.end(),
                                  [&](const auto& player) { return player->name == name && player->owner == owner; });
        if (known != m_players.end()) continue;
        forget(name);
        if (!owner.empty()) watch(name, owner);
    }
}

void mpris_follower::watch(const std::string& name, const std::string& owner) {
    auto player = std::make_unique<watched_player>();
    player->name = name;
    player->owner = owner;
    player->rank = m_wanted.rank(name);
    try {
        player->proxy = sdbus::createProxy(*m_connection, owner, player_object);
    } catch (const sdbus::Error&) {
        return;  // a name sd-bus does not take: not a player to follow
    }
    player->state_read.want();
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

// The most preferred player that is playing or paused, or the one followed; among equals, one that
// just started playing, else the one followed, else the first playing, else the first paused one.
mpris_follower::watched_player* mpris_follower::choose() const {
    watched_player* chosen = nullptr;
    auto order = [this](const watched_player& player) {
        const bool followed = &player == m_followed;
        return std::make_tuple(player.rank, !(player.started_playing && !followed), !followed,
                               player.status != playback_status::playing);
    };
    for (const std::unique_ptr<watched_player>& player : m_players) {
        const bool candidate = player.get() == m_followed || player->status == playback_status::playing ||
                               player->status == playback_status::paused;
        if (candidate && (!chosen || order(*player) < order(*chosen))) chosen = player.get();
    }
    return chosen;
}

void mpris_follower::follow(watched_player* player) {
    if (player == m_followed) return;
    if (!stopped()) m_registry.playback_stopped(stopped_for_another);
    m_followed = player;
    m_status = playback_status::stopped;
    m_second = -1;
    if (!player) {
        m_track = track_from_metadata({});
        return;
    }
    m_track = track_from_metadata(player->metadata);
    player->position.set_length(m_track.record.length_seconds);
    player->metadata_changed = player->status_changed = player->seeked = false;
    take_status(player->status);
}

// What the followed player said since the last poll, once: its last metadata, then its last
// status, then its last seek.
void mpris_follower::apply_changes(watched_player& player) {
    if (std::exchange(player.metadata_changed, false)) take_metadata(player.metadata);
    if (std::exchange(player.status_changed, false)) take_status(player.status);
    if (std::exchange(player.seeked, false) && !stopped()) {
        const double seconds = player.position.at(m_now);
        m_second = static_cast<int64_t>(seconds);
        m_registry.position_sought(seconds);
    }
}

void mpris_follower::take_metadata(const mpris_metadata& metadata) {
    mpris_track track = track_from_metadata(metadata);
    m_followed->position.set_length(track.record.length_seconds);
    if (stopped() || !track.same_track(m_track)) {
        m_track = std::move(track);
        if (stopped()) return;
        m_second = -1;
        m_followed->position.set(0, m_now);
        m_followed->position_read.want();
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
    m_followed->position.set_moving(status == playback_status::playing, m_now);
    m_followed->position_read.want();
    m_next_position_read = m_now + position_read_interval;
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

// A time event at every whole second the followed player's position passes, from its estimate.
void mpris_follower::send_time_event() {
    if (!m_followed || stopped() || !m_followed->position.known()) return;
    const int64_t second = static_cast<int64_t>(m_followed->position.at(m_now));
    if (second == m_second) return;
    m_second = second;
    m_registry.time_advanced(static_cast<double>(second));
}

void mpris_follower::send_due_reads() {
    if (m_names_read.due(m_now)) list_names();
    for (const std::unique_ptr<watched_player>& player : m_players)
        if (player->state_read.due(m_now)) read_state(*player);
    if (!m_followed || stopped()) return;
    if (m_status == playback_status::playing && m_now >= m_next_position_read) {
        m_followed->position_read.want();
        m_next_position_read = m_now + position_read_interval;
    }
    if (m_followed->position_read.due(m_now)) read_position(*m_followed);
}

void mpris_follower::read_state(watched_player& player) {
    send_read(player.state_read, [&] {
        player.proxy->callMethodAsync("GetAll")
            .onInterface(properties_interface)
            .withTimeout(call_timeout)
            .withArguments(player_interface)
            .uponReplyInvoke([this, &player](const sdbus::Error* error, const mpris_metadata& properties) {
                contained([&] {
                    if (error) return player.state_read.failed(m_now);
                    player.state_read.answered();
                    take_properties(player, properties);
                });
            });
    });
}

void mpris_follower::read_position(watched_player& player) {
    send_read(player.position_read, [&] {
        player.proxy->callMethodAsync("Get")
            .onInterface(properties_interface)
            .withTimeout(call_timeout)
            .withArguments(player_interface, "Position")
            .uponReplyInvoke([this, &player](const sdbus::Error* error, const sdbus::Variant& position) {
                contained([&] {
                    if (error) return player.position_read.failed(m_now);
                    player.position_read.answered();
                    if (position.containsValueOfType<int64_t>())
                        player.position.set(seconds_of(position.get<int64_t>()), m_now);
                });
            });
    });
}

void mpris_follower::play_pause() { command("PlayPause"); }
void mpris_follower::next() { command("Next"); }
void mpris_follower::previous() { command("Previous"); }

void mpris_follower::seek_by(double seconds) {
    if (!m_followed) return;
    try {
        m_followed->proxy->callMethod("Seek")
            .onInterface(player_interface)
            .withArguments(static_cast<int64_t>(seconds * 1e6))
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
