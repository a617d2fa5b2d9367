#include "exception_probe_module.h"

#include <stdexcept>

namespace {

int g_cleanups = 0;

// A local whose destructor must run when an exception leaves the frame: the frame gets a landing
// pad, so it stays on the stack (no tail call) and unwinding through it needs this module's tables.
struct cleanup {
    ~cleanup() { ++g_cleanups; }
};

}  // namespace

void probe_throw(const char* message) { throw std::runtime_error(message); }

void probe_call(probe_callback callback) {
    cleanup on_the_way_out;
    callback();
}

bool probe_catch(probe_callback callback) {
    try {
        callback();
    } catch (const std::runtime_error&) {
        return true;
    }
    return false;
}

int probe_cleanups() { return g_cleanups; }
