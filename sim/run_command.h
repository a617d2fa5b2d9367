// keylume-sim's run: the component playing a playlist, shown on the LCD Manager's keyboard.
#pragma once

#include "options.h"

namespace keylume_sim {

// Loads the server module and the component, plays and stores the settings at the end. Throws
// std::runtime_error with a message for the person when something given cannot be used.
void run_simulator(const run_options& options);

}  // namespace keylume_sim
