// Messages for the person running the simulator.
#pragma once

#include <string>

namespace keylume_sim {

// Writes "keylume-sim: MESSAGE" on standard error, its control characters made visible and its
// length bounded.
void report(const std::string& message);

}  // namespace keylume_sim
