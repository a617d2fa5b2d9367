// What a player on the bus last said about itself, as its replies and signals tell it: its
// status, its track and its play position, and what of these changed since they were last
// looked at. Free of the bus, so that choosing a player is tested without one.
#pragma once

#include <sdbus-c++/sdbus-c++.h>

#include <cstdint>
#include <string>

#include "follow_clock.h"
#include "mpris_metadata.h"
#include "position_estimate.h"

namespace keylume_players {

enum class playback_status { unknown, stopped, playing, paused };

struct player_state {
    std::string name;  // the well-known name, org.mpris.MediaPlayer2.NAME
    int rank = 0;      // its place in the preferences, 0 the most wanted
    playback_status status = playback_status::unknown;
    mpris_track track;  // from its last Metadata
    position_estimate position;
    // What changed since they were last looked at.
    bool started_playing = false;
    bool status_changed = false;
    bool track_changed = false;
    bool seeked = false;

    // Player properties from a reply or a signal (PlaybackStatus, Metadata, Rate, Position): those
    // of the wrong type are left out. A new track starts at 0 unless a position comes with it.
    void take_properties(const mpris_metadata& properties, follow_clock::time_point now);
    // The Seeked signal: the player is at `microseconds`.
    void take_seek(int64_t microseconds, follow_clock::time_point now);
};

// A PlaybackStatus value; unknown for one of another type or text.
playback_status status_of(const sdbus::Variant& value);

}  // namespace keylume_players
