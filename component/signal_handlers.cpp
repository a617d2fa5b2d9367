#include "signal_handlers.h"

#include <csignal>

namespace {

extern "C" void on_termination_signal(int signal_number) { end_process_for_signal(signal_number); }

signal_handler previous_handlers[4];

}  // namespace

void install_signal_handlers() {
    for (int i = 0; i < 4; ++i) previous_handlers[i] = std::signal(g_handled_signals[i], on_termination_signal);
    clear_runtime_abort_behaviour();
}

// A handler that the host installed after loading the module stays: only the module's own handler
// makes way for the one before it.
void restore_signal_handlers() {
    for (int i = 0; i < 4; ++i) {
        if (previous_handlers[i] != SIG_ERR && handler_is_installed(g_handled_signals[i], on_termination_signal))
            std::signal(g_handled_signals[i], previous_handlers[i]);
    }
}
