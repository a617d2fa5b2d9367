#include "exception_probe_module.h"

#include <string>

#include "cxx_boundary.h"
#include "pfc_exceptions.h"

namespace {

int g_cleanups = 0;

// A local whose destructor must run when an exception leaves the frame: the frame gets a landing
// pad, so it stays on the stack (no tail call) and unwinding through it needs this module's tables.
struct cleanup {
    ~cleanup() { ++g_cleanups; }
};

}  // namespace

void probe_throw() {
    cxx_boundary::entry([] { throw velvox_io::exception_aborted(); });
}

void probe_call(probe_callback callback) {
    cxx_boundary::entry([&] {
        cleanup on_the_way_out;
        cxx_boundary::call_out(callback);
    });
}

bool probe_catch(probe_callback callback) {
    return cxx_boundary::entry([&] {
        try {
            cxx_boundary::call_out(callback);
        } catch (const std::exception& error) {
            return std::string(error.what()) == "thrown in the program";
        }
        return false;
    });
}

int probe_cleanups() { return g_cleanups; }
