// The player: plays a playlist and sends the playback events in the order a media player does.
// Time passes only through advance(), which the host's message loop calls, so a run is exactly
// as fast as whoever drives it.
//
//   play:        playback_starting, new_track, then the stream titles due at 0 s
//   while playing: time_advanced at every whole second of play time, stream titles at their times
//   end of a track: new_track of the next one (no stop between tracks); after the last track,
//                playback_stopped(end of file), or the first track again when repeating
//   another track chosen while playing: playback_stopped(starting another) first
//   seek:        position_sought, then time events from there
//   pause:       pause_changed(1), and play time stands still until pause_changed(0)
//   stop:        playback_stopped(user)
//   edit:        track_edited with the edited track
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "playback_host.h"
#include "playlist.h"

namespace keylume_players {

class player {
public:
    // Throws std::invalid_argument for an empty playlist.
    player(velvox_host::host_playback_registry& registry, std::vector<playlist_entry> playlist, bool repeat = false);

    // Plays entry `index` of the playlist (wrapping around) from its start.
    void play(size_t index);
    void next();
    void previous();
    // Stopped: nothing. Playing: pauses or resumes.
    void set_paused(bool paused);
    void toggle_pause() { set_paused(!m_paused); }
    // Moves the play position of a track with a length, held to 0..length; a position at the end
    // goes on to the next track as playing to the end does. A stream cannot be sought.
    void seek(double seconds);
    void stop();
    // The current track's information changed (its tags were edited).
    void edit_current(velvox_host::track_record edited);
    // Play time passes.
    void advance(uint32_t milliseconds);

    bool playing() const { return m_playing; }
    bool paused() const { return m_paused; }
    size_t index() const { return m_index; }
    const playlist_entry& current() const { return m_playlist[m_index]; }
    double position() const { return static_cast<double>(m_position_ms) / 1000.0; }
    // What a status line shows: the stream's latest title, else the title tag, else the file name.
    std::string current_title() const;

private:
    bool is_stream() const { return !current().stream_titles.empty(); }
    uint64_t length_ms() const;
    void finish_track();
    void send_due_stream_titles();

    velvox_host::host_playback_registry& m_registry;
    std::vector<playlist_entry> m_playlist;
    bool m_repeat;
    size_t m_index = 0;
    bool m_playing = false;
    bool m_paused = false;
    uint64_t m_position_ms = 0;
    size_t m_titles_sent = 0;  // stream titles of the current entry already delivered
};

}  // namespace keylume_players
