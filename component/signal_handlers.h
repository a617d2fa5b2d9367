// The handlers of the runtime's termination signals, installed first at module load.
#pragma once

// Installs one handler for each of the interrupt, termination, break and abort signals, then
// clears the runtime's abort-behaviour flags (no abort message, no fault report).
void install_signal_handlers();

// Puts back the handlers that were installed before, for each signal whose handler is still the
// module's own: the module's handler must not outlive the module's code when the host unloads
// it, and a handler the host installed since then is the host's.
void restore_signal_handlers();

using signal_handler = void (*)(int);

// Whether `handler` is the one now installed for the signal; afterwards the installed one is as
// it was.
bool handler_is_installed(int signal_number, signal_handler handler);

// Ends the process for a signal; never returns. Runs inside the signal handler, so it does only
// what is safe there.
[[noreturn]] void end_process_for_signal(int signal_number);

// The four signals, in installation order.
extern const int g_handled_signals[4];

void clear_runtime_abort_behaviour();
