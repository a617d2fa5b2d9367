#include "signal_handlers.h"

#include <csignal>

namespace {
extern "C" void on_termination_signal(int signal_number) { end_process_for_signal(signal_number); }
}  // namespace

void install_signal_handlers() {
    for (int signal_number : g_handled_signals) std::signal(signal_number, on_termination_signal);
    clear_runtime_abort_behaviour();
}
