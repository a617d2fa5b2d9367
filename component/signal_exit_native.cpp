// Signal handling natively. There are no structured exceptions: the handler puts the signal's
// default action back and raises the signal again, so the process ends killed by that signal
// (what a parent sees carries the signal number, as the exception argument does on Windows).
// signal(), sigprocmask(), raise() and _Exit() are all async-signal-safe. Linux has no break signal; its terminal's
// break key (Ctrl+\) sends SIGQUIT, which takes that place.
#include <signal.h>

#include <csignal>
#include <cstdlib>

#include "signal_handlers.h"

const int g_handled_signals[4] = {SIGINT, SIGTERM, SIGQUIT, SIGABRT};

void end_process_for_signal(int signal_number) {
    std::signal(signal_number, SIG_DFL);
    // The handler runs with its signal blocked: unblock it so that the raised signal is delivered.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, signal_number);
    sigprocmask(SIG_UNBLOCK, &signals, nullptr);
    std::raise(signal_number);
    // Only a signal whose default action is to be ignored comes back here; none of the four is.
    _Exit(128 + signal_number);
}

namespace {

// What each signal had before the module's handler: handler or action, flags and mask.
struct sigaction previous_actions[4];
bool kept[4];

}  // namespace

// sigaction keeps what std::signal would lose: a host's SA_SIGINFO handler comes back with its
// flag, so it is called with a real siginfo again, and with its mask.
void replace_signal_handler(int index, signal_handler handler) {
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    kept[index] = sigaction(g_handled_signals[index], &action, &previous_actions[index]) == 0;
}

void put_back_signal_handler(int index, signal_handler handler) {
    struct sigaction current {};
    if (!kept[index] || sigaction(g_handled_signals[index], nullptr, &current) != 0) return;
    if ((current.sa_flags & SA_SIGINFO) == 0 && current.sa_handler == handler)
        sigaction(g_handled_signals[index], &previous_actions[index], nullptr);
}

// glibc's abort() writes no message and makes no fault report: there are no flags to clear.
void clear_runtime_abort_behaviour() {}
