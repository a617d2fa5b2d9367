// Measures whether C++ exceptions cross between this program and a module with a C++ runtime of
// its own, in each direction a host and the component meet. Prints one line per case and exits
// with 0 when every exception was caught where it was meant to be. Where the two runtimes cannot
// unwind each other's frames (on i686 Windows each module brings its own DWARF-2 unwinder), the
// first throw ends the process with "terminate called".
#include <cstdio>
#include <stdexcept>

#include "exception_probe_module.h"

namespace {

void throw_in_program() { throw std::runtime_error("thrown in the program"); }

bool thrown_in_module_caught_in_program() {
    try {
        probe_throw("thrown in the module");
    } catch (const std::runtime_error&) {
        return true;
    }
    return false;
}

bool thrown_in_program_through_module_caught_in_program() {
    try {
        probe_call(throw_in_program);
    } catch (const std::runtime_error&) {
        return true;
    }
    return false;
}

bool thrown_in_program_caught_in_module() { return probe_catch(throw_in_program); }

bool report(const char* name, bool (*probe)()) {
    std::printf("%s: ", name);
    std::fflush(stdout);
    bool caught = probe();
    std::printf("%s\n", caught ? "caught" : "not caught");
    return caught;
}

}  // namespace

int main() {
    bool all_caught = report("thrown in the module, caught in the program", thrown_in_module_caught_in_program);
    all_caught &= report("thrown in the program, through the module, caught in the program",
                         thrown_in_program_through_module_caught_in_program);
    all_caught &= report("thrown in the program, caught in the module", thrown_in_program_caught_in_module);
    return all_caught ? 0 : 1;
}
