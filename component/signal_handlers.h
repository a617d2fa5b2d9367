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

// The four signals, in installation order.
extern const int g_handled_signals[4];

// Installs `handler` for the signal at `index` of g_handled_signals, keeping what was installed
// before (with everything the platform keeps with a handler).
void replace_signal_handler(int index, signal_handler handler);

// Puts back what replace_signal_handler kept for the signal at `index`, if `handler` is still
// the one installed.
void put_back_signal_handler(int index, signal_handler handler);

// Ends the process for a signal; never returns. Runs inside the signal handler, so it does only
// what is safe there.
[[noreturn]] void end_process_for_signal(int signal_number);

void clear_runtime_abort_behaviour();
