// The playlist given on the command line: audio files, folders of audio files and playlist
// descriptions, in the order given.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "playlist.h"

namespace keylume_sim {

// Nothing given could be played. what() names what was given.
class nothing_to_play : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Builds the playlist: a file is a playlist description when its first entry is a [track] line,
// otherwise it is read as audio; a folder contributes the files with an audio file name
// extension found in it and its subfolders, in name order (hidden entries skipped). A file that
// cannot be used is skipped: `skipped` receives a message naming it. Throws nothing_to_play when
// no entry is left.
std::vector<keylume_players::playlist_entry> build_playlist(const std::vector<std::string>& inputs,
                                                            const std::function<void(const std::string&)>& skipped);

// Whether the text begins, after blank lines and comments, with a [track] line.
bool looks_like_playlist_description(const std::string& text);

}  // namespace keylume_sim
