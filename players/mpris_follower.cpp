#include "mpris_follower.h"

#include <algorithm>
#include <utility>

#include "mpris_names.h"
#include "player_choice.h"

namespace keylume_players {

namespace {

// The signals of every MPRIS player.
const std::string properties_match =
    "type='signal',interface='org.freedesktop.DBus.Properties',"
    "member='PropertiesChanged',path='/org/mpris/MediaPlayer2',"
    "arg0='org.mpris.MediaPlayer2.Player'";
const std::string seeked_match =
    "type='signal',interface='org.mpris.MediaPlayer2.Player',member='Seeked',path='/org/mpris/MediaPlayer2'";

// How long the bus may take to open, its Hello and match rules included.
constexpr std::chrono::seconds bus_patience{5};
// How often the position of a playing player is read to stay in step with it.
constexpr std::chrono::seconds position_read_interval{5};

}  // namespace

mpris_follower::mpris_follower(velvox_host::host_playback_registry& registry, player_preferences wanted,
                               clock_function clock)
    : m_wanted(std::move(wanted)),
      m_clock(std::move(clock)),
      m_now(m_clock()),
      m_replies{m_now, [this](const std::function<void()>& handler) { contained(handler); }},
      m_bridge(registry) {
    m_opening = std::make_unique<session_bus_opening>(
        std::vector<bus_match>{{bus_name_watcher::match_rule, handled_by(&mpris_follower::name_owner_changed)},
                               {properties_match, handled_by(&mpris_follower::properties_changed)},
                               {seeked_match, handled_by(&mpris_follower::seeked)}},
        bus_patience);
}

sdbus::message_handler mpris_follower::handled_by(void (mpris_follower::*handler)(sdbus::Message&)) {
    return [this, handler](sdbus::Message& message) { contained([&] { (this->*handler)(message); }); };
}

void mpris_follower::contained(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const sdbus::Error&) {
        // a message that is not what MPRIS says: left out
    } catch (...) {
        // Nothing may unwind into sd-bus: poll() throws it once the dispatch is over.
        if (!m_handler_failure) m_handler_failure = std::current_exception();
    }
}

void mpris_follower::poll() {
    m_now = m_clock();
    if (!m_bus) take_bus();
    if (!m_bus) return;
    dispatch_messages();
    apply_name_changes();
    follow_chosen();
    m_bridge.apply_changes(m_now);
    for (const std::unique_ptr<mpris_player>& player : m_players) player->state().started_playing = false;
    send_due_calls();
}

std::optional<sdbus::IConnection::PollData> mpris_follower::poll_data() const {
    if (!m_bus) return std::nullopt;
    return m_bus->connection().getEventLoopPollData();
}

void mpris_follower::take_bus() {
    m_bus = m_opening->take();
    if (!m_bus) return;
    m_opening.reset();
    try {
        m_bus_object = sdbus::createProxy(m_bus->connection(), bus_name, bus_object);
    } catch (const sdbus::Error& error) {
        throw mpris_error("--follow cannot watch the D-Bus session bus for players: " + error.getMessage());
    }
    m_names = std::make_unique<bus_name_watcher>(*m_bus_object, m_wanted, m_replies);
}

void mpris_follower::dispatch_messages() {
    try {
        for (int dispatched = 0; dispatched < messages_per_poll && m_bus->connection().processPendingRequest();
             ++dispatched) {
        }
    } catch (const sdbus::Error& error) {
        throw mpris_error("lost the D-Bus session bus: " + error.getMessage());
    }
    if (m_handler_failure) std::rethrow_exception(std::exchange(m_handler_failure, nullptr));
}

void mpris_follower::name_owner_changed(sdbus::Message& signal) {
    if (m_names) m_names->name_owner_changed(signal);
}

void mpris_follower::properties_changed(sdbus::Message& signal) {
    mpris_player* player = player_at(signal.getSender());
    if (!player) return;
    std::string interface;
    signal >> interface;
    if (interface != player_interface) return;
    mpris_metadata changed;
    signal >> changed;
    player->state().take_properties(changed, m_now);
    // Properties named without their values are read again.
    std::vector<std::string> invalidated;
    signal >> invalidated;
    for (const std::string& name : invalidated)
        if (name == "PlaybackStatus" || name == "Metadata") player->want_state();
}

void mpris_follower::seeked(sdbus::Message& signal) {
    mpris_player* player = player_at(signal.getSender());
    if (!player) return;
    int64_t microseconds = 0;
    signal >> microseconds;
    player->state().take_seek(microseconds, m_now);
}

mpris_player* mpris_follower::player_at(const std::string& owner) {
    for (const std::unique_ptr<mpris_player>& player : m_players)
        if (player->owner() == owner) return player.get();
    return nullptr;
}

mpris_player* mpris_follower::followed_player() {
    for (const std::unique_ptr<mpris_player>& player : m_players)
        if (&player->state() == m_bridge.followed()) return player.get();
    return nullptr;
}

void mpris_follower::apply_name_changes() {
    for (const name_change& change : m_names->take_changes()) {
        auto known = std::find_if(m_players.begin(), m_players.end(), [&](const auto& player) {
            return player->state().name == change.name && player->owner() == change.owner;
        });
        if (known != m_players.end()) continue;
        forget(change.name);
        if (!change.owner.empty()) watch(change.name, change.owner);
    }
}

void mpris_follower::watch(const std::string& name, const std::string& owner) {
    const int rank = m_wanted.rank(name);
    if (!make_room_for(rank)) return;
    try {
        m_players.push_back(std::make_unique<mpris_player>(m_bus->connection(), m_replies, name, owner, rank));
    } catch (const sdbus::Error&) {
        // a name sd-bus does not take: not a player to follow
    }
}

// Below most_players watched, or one fewer by letting go of the least preferred player not
// followed, the one seen first among equals; false when all are preferred to `rank`.
bool mpris_follower::make_room_for(int rank) {
    if (m_players.size() < most_players) return true;
    auto least = m_players.end();
    for (auto player = m_players.begin(); player != m_players.end(); ++player)
        if (&(*player)->state() != m_bridge.followed() &&
            (least == m_players.end() || (*player)->state().rank > (*least)->state().rank))
            least = player;
    if (least == m_players.end() || (*least)->state().rank < rank) return false;
    m_players.erase(least);
    return true;
}

// A player that leaves the bus stops playing.
void mpris_follower::forget(const std::string& name) {
    auto gone = std::find_if(m_players.begin(), m_players.end(),
                             [&](const auto& player) { return player->state().name == name; });
    if (gone == m_players.end()) return;
    if (&(*gone)->state() == m_bridge.followed()) m_bridge.follow(nullptr);
    m_players.erase(gone);
}

void mpris_follower::follow_chosen() {
    std::vector<player_state*> states;
    states.reserve(m_players.size());
    for (const std::unique_ptr<mpris_player>& player : m_players) states.push_back(&player->state());
    m_bridge.follow(choose_player(states, m_bridge.followed()));
}

// The followed player's reads first, then the names', then the other players'.
void mpris_follower::send_due_calls() {
    int budget = calls_per_poll;
    if (mpris_player* followed = followed_player(); followed && !m_bridge.stopped()) {
        if (m_bridge.take_position_wanted() || (!m_bridge.paused() && m_now >= m_next_position_read)) {
            followed->want_position();
            m_next_position_read = m_now + position_read_interval;
        }
        budget -= followed->send_due_read() ? 1 : 0;
    }
    budget -= m_names->send_due_calls(budget);
    for (const std::unique_ptr<mpris_player>& player : m_players)
        if (budget > 0 && player->send_due_read()) --budget;
}

void mpris_follower::play_pause() { command("PlayPause"); }
void mpris_follower::next() { command("Next"); }
void mpris_follower::previous() { command("Previous"); }

void mpris_follower::seek_by(double seconds) {
    if (mpris_player* player = followed_player()) player->seek(static_cast<int64_t>(seconds * 1e6));
}

void mpris_follower::command(const std::string& method) {
    if (mpris_player* player = followed_player()) player->command(method);
}

std::string mpris_follower::followed() const {
    const player_state* followed = m_bridge.followed();
    return followed ? followed->name.substr(player_prefix.size()) : std::string();
}

}  // namespace keylume_players
