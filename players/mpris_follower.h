// Follows a media player on the session bus over MPRIS (org.mpris.MediaPlayer2.*) and sends what
// it plays as the host's playback events (see playback_bridge.h for which).
//
// Which player: see player_choice.h. At most most_players players are watched at once: when
// another comes, the least preferred of those not followed gives way to it, the one seen first
// among equals, unless the newcomer is less preferred still.
//
// It never waits, not even for the bus: the bus is opened on a helper thread (see session_bus.h)
// while the caller's loop goes on. Every call is asynchronous and its answer, like every signal,
// only updates the record kept for that player (see mpris_player.h). The play position moves on
// with the clock at the player's rate between reads; it is read again on a track, status or
// player change and every few seconds.
//
// Everything happens in poll(), on the caller's thread: at most messages_per_poll messages are
// dispatched and calls_per_poll calls sent there, and what changed is applied once, so a bus
// full of players, or one player that floods it, costs a bounded time per poll.
#pragma once

#include <sdbus-c++/sdbus-c++.h>

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bus_name_watcher.h"
#include "mpris_player.h"
#include "playback_bridge.h"
#include "player_preferences.h"
#include "session_bus.h"

namespace keylume_players {

class mpris_follower {
public:
    using clock_function = std::function<follow_clock::time_point()>;

    // The most messages one poll dispatches.
    static constexpr int messages_per_poll = 64;
    // The most calls one poll sends.
    static constexpr int calls_per_poll = 16;
    // The most players watched at once.
    static constexpr std::size_t most_players = 64;

    // Starts opening the session bus; poll() throws mpris_error when it cannot be reached.
    mpris_follower(velvox_host::host_playback_registry& registry, player_preferences wanted,
                   clock_function clock = follow_clock::now);
    mpris_follower(const mpris_follower&) = delete;
    mpris_follower& operator=(const mpris_follower&) = delete;

    // Dispatches what the bus and the players said since the last call, follows the player that
    // should be followed, sends the events due and the calls due. Never waits. Throws
    // mpris_error when the bus is not reached within a few seconds, or lost.
    void poll();
    // What an event loop watches to know when poll() has something to do; nothing while the bus
    // is not open yet.
    std::optional<sdbus::IConnection::PollData> poll_data() const;

    // The followed player's commands; nothing while none is followed.
    void play_pause();
    void next();
    void previous();
    void seek_by(double seconds);

    // Whether the session bus is open yet.
    bool connected() const { return m_bus != nullptr; }
    // The followed player's name without the MPRIS prefix (mpv, vlc.instance1234, ...); empty
    // while waiting for one.
    std::string followed() const;
    const player_preferences& wanted() const { return m_wanted; }
    bool stopped() const { return m_bridge.stopped(); }
    bool paused() const { return m_bridge.paused(); }
    const mpris_track& track() const { return m_bridge.track(); }
    // Whole seconds of the followed track's play position.
    int64_t position() const { return m_bridge.position(); }

private:
    void take_bus();
    void dispatch_messages();
    void contained(const std::function<void()>& handler);
    sdbus::message_handler handled_by(void (mpris_follower::*handler)(sdbus::Message&));
    void name_owner_changed(sdbus::Message& signal);
    void properties_changed(sdbus::Message& signal);
    void seeked(sdbus::Message& signal);
    mpris_player* player_at(const std::string& owner);
    mpris_player* followed_player();
    void apply_name_changes();
    void watch(const std::string& name, const std::string& owner);
    bool make_room_for(int rank);
    void forget(const std::string& name);
    void follow_chosen();
    void send_due_calls();
    void command(const std::string& method);

    player_preferences m_wanted;
    clock_function m_clock;
    follow_clock::time_point m_now;  // of the current poll
    reply_context m_replies;
    playback_bridge m_bridge;
    // From here on, what uses the connection comes after it, and so goes before it.
    std::unique_ptr<session_bus_opening> m_opening;  // until the bus is open
    std::unique_ptr<open_bus> m_bus;
    std::unique_ptr<sdbus::IProxy> m_bus_object;
    std::unique_ptr<bus_name_watcher> m_names;
    std::vector<std::unique_ptr<mpris_player>> m_players;  // in the order they were seen
    std::exception_ptr m_handler_failure;                  // what a message handler could not handle, thrown by poll()
    follow_clock::time_point m_next_position_read{};
};

}  // namespace keylume_players
