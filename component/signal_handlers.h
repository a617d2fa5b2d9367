// The handlers of the runtime's termination signals, installed first at module load.
#pragma once

// Installs one handler for each of the interrupt, termination, break and abort signals, then
// clears the runtime's abort-behaviour flags (no abort message, no fault report).
void install_signal_handlers();

// Puts back the handlers that were installed before: the module's handler must not outlive the
// module's code when the host unloads it.
void restore_signal_handlers();

// Ends the process for a signal; never returns. Runs inside the signal handler, so it does only
// what is safe there.
[[noreturn]] void end_process_for_signal(int signal_number);

// The four signals, in installation order.
extern const int g_handled_signals[4];

void clear_runtime_abort_behaviour();
