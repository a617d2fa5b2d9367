// The playlist that plays when no files are given: needs no files, shows what the display does.
#pragma once

#include <vector>

#include "playlist.h"

namespace keylume_sim {

// Short and long titles, accented Latin, Cyrillic and Japanese, a track without tags, and a
// stream whose title changes while it plays.
std::vector<keylume_players::playlist_entry> demo_playlist();

}  // namespace keylume_sim
