#include "report.h"

#include <cstdio>

#include "terminal_text.h"

namespace keylume_sim {

void report(const std::string& message) {
    // Messages name files and players: what they hold is made visible and bounded.
    constexpr int longest_message_columns = 1000;
    static const terminal_charset charset = locale_charset();
    std::fprintf(stderr, "keylume-sim: %s\n", terminal_line(message, longest_message_columns, charset).c_str());
}

}  // namespace keylume_sim
