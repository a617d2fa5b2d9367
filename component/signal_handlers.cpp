#include "signal_handlers.h"

namespace {

extern "C" void on_termination_signal(int signal_number) { end_process_for_signal(signal_number); }

}  // namespace

void install_signal_handlers() {
    for (int i = 0; i < 4; ++i) replace_signal_handler(i, on_termination_signal);
    clear_runtime_abort_behaviour();
}

// A handler that the host installed after loading the module stays: only the module's own handler
// makes way for the one before it.
void restore_signal_handlers() {
    for (int i = 0; i < 4; ++i) put_back_signal_handler(i, on_termination_signal);
}
