// Follows a media player on the session bus over MPRIS (org.mpris.MediaPlayer2.*) and sends what
// it plays as the host's playback events, in the order a player sends them:
//
//   a new track id or URL in Metadata        new_track (playback_starting first when it was stopped)
//   the same track with another title         stream_track_info_changed (a station's song change)
//   the same track with other information     track_edited (a length that arrives late, say)
//   PlaybackStatus                            pause_changed, or playback_stopped(by user) for Stopped
//   the Seeked signal                         position_sought
//   Position, read at every poll              time_advanced at every whole second it passes
//                                             (and once for a track followed while paused)
//   the player leaves the bus                 playback_stopped(by user)
//   another player is followed instead        playback_stopped(for another), then its track
//
// Which player: with a name, only players whose bus name is org.mpris.MediaPlayer2.NAME (or one
// of its instances, NAME.instanceN); otherwise any. Of those it follows the one that is playing
// or else the first paused one, and moves to another player when that one starts playing.
//
// Everything happens in poll(), on the caller's thread: the messages that arrived since the last
// poll are dispatched there, so events reach the component between the host's timer ticks.
#pragma once

#include <sdbus-c++/sdbus-c++.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "mpris_metadata.h"
#include "playback_host.h"

namespace velvox_host {

// The session bus cannot be reached.
class mpris_error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class mpris_follower {
public:
    // `wanted`: the name of the one player to follow, empty for any. Throws mpris_error.
    mpris_follower(host_playback_registry& registry, std::string wanted);
    ~mpris_follower();
    mpris_follower(const mpris_follower&) = delete;
    mpris_follower& operator=(const mpris_follower&) = delete;

    // Dispatches what the players said since the last call, follows the player that should be
    // followed and reads its position, sending the events due.
    void poll();

    // The followed player's commands; nothing while none is followed.
    void play_pause();
    void next();
    void previous();
    void seek_by(double seconds);

    // The followed player's name without the MPRIS prefix (mpv, vlc.instance1234, ...); empty
    // while waiting for one.
    std::string followed() const;
    const std::string& wanted() const { return m_wanted; }
    bool stopped() const { return m_status != playback_status::playing && m_status != playback_status::paused; }
    bool paused() const { return m_status == playback_status::paused; }
    const mpris_track& track() const { return m_track; }
    // Whole seconds of the followed track's play position.
    int64_t position() const { return m_second < 0 ? 0 : m_second; }

private:
    enum class playback_status { unknown, stopped, playing, paused };
    struct watched_player;

    bool is_wanted(const std::string& name) const;
    std::string owner_of(const std::string& name);
    void name_owner_changed(sdbus::Signal& signal);
    void properties_changed(watched_player& player, sdbus::Signal& signal);
    void seeked(const watched_player& player, sdbus::Signal& signal);
    void watch(const std::string& name, const std::string& owner);
    void forget(const std::string& name);
    void apply_name_changes();
    watched_player* choose() const;
    void follow(watched_player* player);
    void take_metadata(const mpris_metadata& metadata);
    void take_status(playback_status status);
    void read_position();
    void time_at(int64_t microseconds);
    void command(const std::string& method);
    static bool read_property(watched_player& player, const std::string& name, sdbus::Variant& value);
    static playback_status status_of(const sdbus::Variant& value);

    host_playback_registry& m_registry;
    std::string m_wanted;
    std::unique_ptr<sdbus::IConnection> m_connection;
    std::unique_ptr<sdbus::IProxy> m_bus;
    std::vector<std::unique_ptr<watched_player>> m_players;           // in the order they appeared
    std::vector<std::pair<std::string, std::string>> m_name_changes;  // (name, its new owner or empty)
    watched_player* m_followed = nullptr;
    mpris_track m_track;
    playback_status m_status = playback_status::stopped;
    int64_t m_second = -1;  // whole seconds of the last time event; -1: none for this track yet
};

}  // namespace velvox_host
