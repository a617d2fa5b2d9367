// The clock that following a player reads: the wall clock's steady time, which the tests replace
// with one they move by hand.
#pragma once

#include <chrono>

namespace keylume_players {

using follow_clock = std::chrono::steady_clock;

}  // namespace keylume_players
