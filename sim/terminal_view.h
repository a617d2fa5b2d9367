// The session run from a plain loop: shown in the terminal (half blocks or braille, the status
// lines below), or, for a bounded run, without a view at all.
#pragma once

#include "session.h"

namespace keylume_sim {

// Runs until the session is over or SIGINT / SIGTERM arrive. `in_terminal`: show the LCD in
// the terminal and read its keys, paced at the session's speed; otherwise the ticks run at
// once unless the playback keeps real time.
void run_in_terminal(session& running, bool in_terminal);

}  // namespace keylume_sim
