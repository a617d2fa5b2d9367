// Thread timers of the native platform layer, fired by keylume_run_due_timers at the time of the
// process's tick count. Windows' timers belong to the thread that sets them; the component sets
// and runs its timers on the host's main thread, so one table serves the process.
#include "native/keylume_platform.h"
#include "timer_table.h"

namespace {
keylume_timers::timer_table& timers() {
    static keylume_timers::timer_table table;
    return table;
}
}  // namespace

extern "C" {

// A window's timers would need window messages, which this layer does not deliver.
UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    if (window != nullptr) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return 0;
    }
    if (proc == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return timers().set(id, elapse, proc, GetTickCount());
}

BOOL WINAPI KillTimer(HWND window, UINT_PTR id) {
    if (window != nullptr || !timers().kill(id)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

int keylume_run_due_timers() { return timers().run_due(GetTickCount()); }

}  // extern "C"
