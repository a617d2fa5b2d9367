#include "report.h"

#include <cstdio>

namespace keylume_sim {

void report(const std::string& message) { std::fprintf(stderr, "keylume-sim: %s\n", message.c_str()); }

}  // namespace keylume_sim
