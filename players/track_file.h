// Reading a track record from an audio file with TagLib (native builds only; on Windows the host
// takes its tracks from playlist descriptions).
#pragma once

#include <stdexcept>
#include <string>

#include "track_info.h"

namespace keylume_players {

// A file that is missing, unreadable or not audio. what() names the file.
class track_file_error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads tags, length and technical information (MP3, FLAC, Ogg Vorbis, MP4 and whatever else
// TagLib knows). Tag names come as TagLib gives them (TITLE, ARTIST, TRACKNUMBER, ...); the tag map
// is case-insensitive.
velvox_host::track_record read_track_file(const std::string& path);

// Whether the file name ends in an extension of a format TagLib reads (.mp3, .flac, .ogg, .m4a,
// ...), compared without regard to case.
bool has_audio_file_extension(const std::string& path);

}  // namespace keylume_players
