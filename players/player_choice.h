// Which player to follow: of the players that are playing or paused, the most preferred; among
// equally preferred ones, one playing before one paused; among those, one that has just started
// playing, else the one followed, else the first seen. A followed player that stops or leaves so
// gives way at once.
#pragma once

#include <span>

#include "player_state.h"

namespace keylume_players {

// The player to follow of `players` (in the order they were seen), or nullptr for none.
// `followed`: the one followed until now, or nullptr.
player_state* choose_player(std::span<player_state* const> players, const player_state* followed);

}  // namespace keylume_players
