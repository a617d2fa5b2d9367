// Follows a media player on the session bus over MPRIS (org.mpris.MediaPlayer2.*) and sends what
// it plays as the host's playback events, in the order a player sends them:
//
//   a new track id or URL in Metadata        new_track (playback_starting first when it was stopped)
//   the same track with another title         stream_track_info_changed (a station's song change)
//   the same track with other information     track_edited (a length that arrives late, say)
//   PlaybackStatus                            pause_changed, or playback_stopped(by user) for Stopped
//   the Seeked signal                         position_sought
//   the play position                         time_advanced at every whole second it passes
//                                             (and once for a track followed while paused)
//   the player leaves the bus                 playback_stopped(by user)
//   another player is followed instead        playback_stopped(for another), then its track
//
// Which player: of the players the preferences take, the most preferred that is playing or
// paused; among equally preferred ones the one playing, else the first paused one, moving to
// another when that one starts playing.
//
// It never waits for a player. Every call is asynchronous and its answer, like every signal, only
// updates the record kept for that player (status, metadata, rate, position and when it was read).
// A read that fails or is not answered is asked again later, until the player answers or leaves.
// The play position moves on with the clock at the player's rate between reads; it is read again
// on a track or status change and every few seconds. A player that stops answering keeps its last
// known state.
//
// Everything happens in poll(), on the caller's thread: at most a fixed number of messages are
// dispatched there, then what changed is applied once (only the last metadata and status of a
// burst count), so a player that floods the bus costs a bounded time per poll.
#pragma once

#include <sdbus-c++/sdbus-c++.h>

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mpris_metadata.h"
#include "playback_host.h"
#include "player_preferences.h"
#include "position_estimate.h"
#include "retried_read.h"
#include "session_bus.h"

namespace velvox_host {

class mpris_follower {
public:
    using clock_function = std::function<follow_clock::time_point()>;

    // The most messages one poll dispatches.
    static constexpr int messages_per_poll = 64;

    // Throws mpris_error when the session bus cannot be reached within a few seconds.
    mpris_follower(host_playback_registry& registry, player_preferences wanted,
                   clock_function clock = follow_clock::now);
    ~mpris_follower();
    mpris_follower(const mpris_follower&) = delete;
    mpris_follower& operator=(const mpris_follower&) = delete;

    // Dispatches what the players said since the last call (up to messages_per_poll messages),
    // follows the player that should be followed and sends the events due. Never waits. Throws
    // mpris_error when the bus is lost.
    void poll();

    // What an event loop watches to call poll() when the bus has something: the connection's
    // descriptor, events and timeout. Empty while not connected.
    std::optional<sdbus::IConnection::PollData> poll_data() const;

    // The followed player's commands; nothing while none is followed.
    void play_pause();
    void next();
    void previous();
    void seek_by(double seconds);

    // The followed player's name without the MPRIS prefix (mpv, vlc.instance1234, ...); empty
    // while waiting for one.
    std::string followed() const;
    const player_preferences& wanted() const { return m_wanted; }
    bool stopped() const { return m_status != playback_status::playing && m_status != playback_status::paused; }
    bool paused() const { return m_status == playback_status::paused; }
    const mpris_track& track() const { return m_track; }
    // Whole seconds of the followed track's play position.
    int64_t position() const { return m_second < 0 ? 0 : m_second; }

private:
    enum class playback_status { unknown, stopped, playing, paused };
    struct watched_player;

    void dispatch_messages();
    template <typename Handler>
    void contained(Handler&& handler);
    template <typename Call>
    void send_read(retried_read& read, Call&& call);
    void add_matches();
    void list_names();
    void ask_owner(const std::string& name);
    void name_owner_changed(sdbus::Message& signal);
    void properties_changed(sdbus::Message& signal);
    void seeked(sdbus::Message& signal);
    void take_properties(watched_player& player, const mpris_metadata& properties);
    watched_player* player_at(const std::string& owner);
    void apply_name_changes();
    void watch(const std::string& name, const std::string& owner);
    void forget(const std::string& name);
    watched_player* choose() const;
    void follow(watched_player* player);
    void apply_changes(watched_player& player);
    void take_metadata(const mpris_metadata& metadata);
    void take_status(playback_status status);
    void send_time_event();
    void send_due_reads();
    void read_state(watched_player& player);
    void read_position(watched_player& player);
    void command(const std::string& method);
    static playback_status status_of(const sdbus::Variant& value);

    host_playback_registry& m_registry;
    player_preferences m_wanted;
    clock_function m_clock;
    follow_clock::time_point m_now;  // of the current poll
    std::unique_ptr<sdbus::IConnection> m_connection;
    std::unique_ptr<sdbus::IProxy> m_bus;
    std::vector<sdbus::Slot> m_matches;
    retried_read m_names_read;
    std::vector<std::unique_ptr<watched_player>> m_players;           // in the order they appeared
    std::vector<std::pair<std::string, std::string>> m_name_changes;  // (name, its new owner or empty)
    std::exception_ptr m_handler_failure;  // what a message handler could not handle, thrown by poll()
    watched_player* m_followed = nullptr;
    mpris_track m_track;
    playback_status m_status = playback_status::stopped;
    int64_t m_second = -1;  // whole seconds of the last time event; -1: none for this track yet
    follow_clock::time_point m_next_position_read{};
};

}  // namespace velvox_host
