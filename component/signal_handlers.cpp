#include "signal_handlers.h"

#include <csignal>

namespace {

extern "C" void on_termination_signal(int signal_number) { end_process_for_signal(signal_number); }

using signal_handler = void (*)(int);
signal_handler previous_handlers[4];

}  // namespace

void install_signal_handlers() {
    for (int i = 0; i < 4; ++i) previous_handlers[i] = std::signal(g_handled_signals[i], on_termination_signal);
    clear_runtime_abort_behaviour();
}

void restore_signal_handlers() {
    for (int i = 0; i < 4; ++i) {
        if (previous_handlers[i] != SIG_ERR) std::signal(g_handled_signals[i], previous_handlers[i]);
    }
}
