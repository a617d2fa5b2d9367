// Measures whether a C++ exception crosses between this program and a module with a C++ runtime
// of its own, in one of the directions a host and the component meet, named by the argument:
//   module_to_program        thrown in the module, caught in the program
//   program_through_module   thrown in the program, through the module's frames, caught in the program
//   program_to_module        thrown in the program, caught in the module
// Prints "NAME: " before the throw and "caught" or "not caught" after it, and exits with 0 when
// the exception was caught where it was meant to be. Where the two runtimes cannot unwind each
// other's frames, the throw ends the process with "terminate called" after "NAME: ".
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "exception_probe_module.h"

namespace {

void throw_in_program() { throw std::runtime_error("thrown in the program"); }

bool module_to_program() {
    try {
        probe_throw("thrown in the module");
    } catch (const std::runtime_error&) {
        return true;
    }
    return false;
}

// Caught, and the module's frame on the way was unwound (its local destroyed).
bool program_through_module() {
    try {
        probe_call(throw_in_program);
    } catch (const std::runtime_error&) {
        return probe_cleanups() == 1;
    }
    return false;
}

bool program_to_module() { return probe_catch(throw_in_program); }

struct crossing {
    const char* name;
    bool (*probe)();
};
const crossing crossings[] = {{"module_to_program", module_to_program},
                              {"program_through_module", program_through_module},
                              {"program_to_module", program_to_module}};

}  // namespace

int main(int argc, char** argv) {
    for (const crossing& each : crossings) {
        if (argc != 2 || std::strcmp(argv[1], each.name) != 0) continue;
        std::printf("%s: ", each.name);
        std::fflush(stdout);
        bool caught = each.probe();
        std::printf("%s\n", caught ? "caught" : "not caught");
        return caught ? 0 : 1;
    }
    std::fprintf(stderr,
                 "usage: exception_boundary_probe module_to_program|program_through_module|program_to_module\n");
    return 2;
}
