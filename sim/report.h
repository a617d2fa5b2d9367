// Messages for the person running the simulator.
#pragma once

#include <string>

namespace keylume_sim {

// Writes "keylume-sim: MESSAGE" on standard error.
void report(const std::string& message);

}  // namespace keylume_sim
