// The call-path function of the host's shared library.
#include <string>
#include <vector>

#include "call_path.h"
#include "shared_api.h"

namespace {

// Main thread only, as every call between host and component.
struct call_path {
    std::vector<std::string> steps;
    std::string text;

    void update() {
        text.clear();
        for (const std::string& step : steps) {
            if (!text.empty()) text += " > ";
            text += step;
        }
    }
};

call_path& current_path() {
    static call_path path;
    return path;
}

}  // namespace

extern "C" {

SHARED_EXPORT void shared_enter_call_path(const char* step) {
    current_path().steps.emplace_back(step);
    current_path().update();
}

SHARED_EXPORT void shared_leave_call_path() {
    if (current_path().steps.empty()) return;
    current_path().steps.pop_back();
    current_path().update();
}

SHARED_EXPORT const char* uGetCallStackPath() { return current_path().text.c_str(); }

}  // extern "C"
