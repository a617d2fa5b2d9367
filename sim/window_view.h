// The session shown in a desktop window (GTK 4): the LCD pixel for pixel at a whole scale, the
// four soft buttons below it, the status line, and the track's title as the window's. The ticks
// and the followed player's bus run on the GLib main loop; nothing waits.
#pragma once

#include "options.h"
#include "session.h"

namespace keylume_sim {

// Connects to the display. Throws std::runtime_error saying so when there is none.
void open_display();

// Runs until the window is closed, q is typed or SIGINT / SIGTERM arrive; a bounded run stops
// ticking at its end and keeps its last frame until then. open_display must have succeeded.
// Throws what the playback throws (a bus lost, say) once the window is gone.
void run_in_window(session& running, const run_options& options);

}  // namespace keylume_sim
