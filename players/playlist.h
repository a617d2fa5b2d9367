// Playlist descriptions: tracks given as text instead of read from audio files.
//
// The format (UTF-8, lines end in LF or CR LF):
//
//   # a comment; blank lines are ignored
//   [track]
//   path = /music/One.mp3        where the track lives (sets the file name too)
//   title = One                  any name other than those below is a tag; repeat a
//   artist = Someone             name to give the tag several values
//   length = 245.7               seconds, a number of 0 or more
//   codec = MP3
//   bitrate = 128                kbps        } whole numbers of 0 or more
//   samplerate = 44100           Hz          }
//   channels = 2                             }
//   stereo_mode = joint stereo   "stereo", "joint stereo", "dual channel" or "mono"
//   stream = 0 Station jingle    a title change of a stream: the play time in seconds at
//   stream = 95.5 Artist - Song  which it arrives, then the new title; times never decrease
//
// Each "[track]" line starts a track; names and values are trimmed of surrounding spaces and names
// are case-insensitive. A track with stream entries is a station whose title changes while it plays.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "track_info.h"

namespace keylume_players {

struct stream_title {
    double at_seconds;
    std::string title;
};

struct playlist_entry {
    velvox_host::track_record track;
    std::vector<stream_title> stream_titles;  // empty for a track that is not a stream
};

// A description that does not parse or cannot be read. what() reads "file:line: fault".
class playlist_error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses a description; `source_name` names it in error messages.
std::vector<playlist_entry> parse_playlist(std::string_view text, std::string_view source_name);
// Reads and parses the description in the file at `path` (UTF-8).
std::vector<playlist_entry> load_playlist(const std::string& path);

// The information a stream delivers when its title changes: the station's record with the new title.
velvox_host::track_record with_stream_title(const velvox_host::track_record& station, std::string_view title);

}  // namespace keylume_players
