// Measures whether a C++ exception crosses between this program and a module with a C++ runtime
// of its own, both speaking the module boundary as the host and the component do
// (cxx_boundary.h), in one of the directions a host and the component meet, named by the argument:
//   module_to_program        thrown in the module, caught in the program as its class
//   program_through_module   thrown in the program, through the module's frames (unwound), caught
//                            in the program as a base of its class
//   program_to_module        thrown in the program, caught in the module with its text
// Prints "NAME: " before the throw and "caught" or "not caught" after it, and exits with 0 when
// the exception was caught where it was meant to be. An exception that no one takes ends the
// process after "NAME: ".
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include "cxx_boundary.h"
#include "exception_probe_module.h"
#include "pfc_exceptions.h"

namespace {

// The callbacks are operations that the module calls.
void throw_truncation_in_program() {
    cxx_boundary::entry([] { throw velvox_io::exception_io_data_truncation(); });
}

void throw_in_program() {
    cxx_boundary::entry([] { throw std::runtime_error("thrown in the program"); });
}

bool module_to_program() {
    try {
        cxx_boundary::call_out([] { probe_throw(); });
    } catch (const velvox_io::exception_aborted& error) {
        return std::string(error.what()) == "User abort";
    }
    return false;
}

// Caught, and the module's frame on the way was unwound (its local destroyed).
bool program_through_module() {
    try {
        cxx_boundary::call_out([] { probe_call(throw_truncation_in_program); });
    } catch (const velvox_io::exception_io_data& error) {
        return probe_cleanups() == 1 && std::string(error.what()) == "Unsupported format or corrupted file";
    }
    return false;
}

bool program_to_module() {
    return cxx_boundary::call_out([] { return probe_catch(throw_in_program); });
}

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
