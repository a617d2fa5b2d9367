// Signal handling on Windows: a signal becomes a non-continuable structured exception.
#include <csignal>
#include <cstdlib>

#include "signal_handlers.h"
#include "win32.h"

namespace {
constexpr DWORD signal_exception_code = 0x6F8E1DC8;
}

const int g_handled_signals[4] = {SIGINT, SIGTERM, SIGBREAK, SIGABRT};

void end_process_for_signal(int signal_number) {
    ULONG_PTR argument = static_cast<ULONG_PTR>(signal_number);
    RaiseException(signal_exception_code, EXCEPTION_NONCONTINUABLE, 1, &argument);
    // Continuing a non-continuable exception raises another one; nothing comes back here.
    std::abort();
}

namespace {

signal_handler previous_handlers[4];

// The C runtime tells the installed handler only by replacing it: it is replaced by the one asked
// about, and put back unless it was that one.
bool handler_is_installed(int signal_number, signal_handler handler) {
    signal_handler current = std::signal(signal_number, handler);
    if (current == SIG_ERR) return false;
    if (current != handler) std::signal(signal_number, current);
    return current == handler;
}

}  // namespace

// The C runtime keeps nothing with a handler but its address.
void replace_signal_handler(int index, signal_handler handler) {
    previous_handlers[index] = std::signal(g_handled_signals[index], handler);
}

void put_back_signal_handler(int index, signal_handler handler) {
    if (previous_handlers[index] != SIG_ERR && handler_is_installed(g_handled_signals[index], handler))
        std::signal(g_handled_signals[index], previous_handlers[index]);
}

// The C runtime's _set_abort_behavior came with the newer runtimes; the shared msvcrt.dll the
// host and the component use exports it only on some systems, so it is looked up there.
void clear_runtime_abort_behaviour() {
    using set_abort_behavior_fn = unsigned int(__cdecl*)(unsigned int flags, unsigned int mask);
    HMODULE runtime = GetModuleHandleA("msvcrt.dll");
    if (runtime == nullptr) return;
    auto set_abort_behavior = reinterpret_cast<set_abort_behavior_fn>(
        reinterpret_cast<void*>(GetProcAddress(runtime, "_set_abort_behavior")));
    constexpr unsigned int write_abort_message = 0x1;
    constexpr unsigned int call_report_fault = 0x2;
    if (set_abort_behavior != nullptr) set_abort_behavior(0, write_abort_message | call_report_fault);
}
