#include "exception_probe_module.h"

#include <stdexcept>

void probe_throw(const char* message) { throw std::runtime_error(message); }

void probe_call(probe_callback callback) { callback(); }

bool probe_catch(probe_callback callback) {
    try {
        callback();
    } catch (const std::runtime_error&) {
        return true;
    }
    return false;
}
