// The followed player's changes as the host's playback events, in the order a player sends them:
//
//   a new track id or URL in Metadata        new_track (playback_starting first when it was stopped)
//   the same track with another title         stream_track_info_changed (a station's song change)
//   the same track with other information     track_edited (a length that arrives late, say)
//   PlaybackStatus                            pause_changed, or playback_stopped(by user) for Stopped
//   the Seeked signal                         position_sought
//   the play position                         time_advanced at every whole second it passes
//                                             (and once for a track followed while paused)
//   no player followed any more               playback_stopped(by user)
//   another player followed instead           playback_stopped(for another), then its track
//
// Only the last metadata and status of a burst count: changes are applied once a poll.
#pragma once

#include <cstdint>

#include "mpris_metadata.h"
#include "playback_host.h"
#include "player_state.h"

namespace keylume_players {

class playback_bridge {
public:
    explicit playback_bridge(velvox_host::host_playback_registry& registry);

    // Follows `player` from now on (nullptr: none), with the events that switch to it.
    void follow(player_state* player);
    // What the followed player said since the last call, once: its last track, then its last
    // status, then its last seek; then the time event due at `now`.
    void apply_changes(follow_clock::time_point now);

    player_state* followed() const { return m_followed; }
    bool stopped() const { return m_status != playback_status::playing && m_status != playback_status::paused; }
    bool paused() const { return m_status == playback_status::paused; }
    const mpris_track& track() const { return m_track; }
    // Whole seconds of the followed track's play position.
    int64_t position() const { return m_second < 0 ? 0 : m_second; }
    // Whether the followed player's position should be read now (a new track, status or player);
    // true once.
    bool take_position_wanted();

private:
    void take_track(const mpris_track& track);
    void take_status(playback_status status);
    void send_time_event(follow_clock::time_point now);

    velvox_host::host_playback_registry& m_registry;
    player_state* m_followed = nullptr;
    mpris_track m_track;
    playback_status m_status = playback_status::stopped;
    int64_t m_second = -1;  // whole seconds of the last time event; -1: none for this track yet
    bool m_position_wanted = false;
};

}  // namespace keylume_players
