// Kernel helpers of the native platform layer.
#include <cstdint>

#include "native/keylume_platform.h"
#include "native/win32_native.h"

namespace {
thread_local DWORD last_error = 0;
// The one tick source of the process; moved only by the controls below.
DWORD tick_count = KEYLUME_INITIAL_TICK_COUNT;
}  // namespace

extern "C" {

// number × numerator / denominator with a 64-bit intermediate, rounded half away from zero;
// -1 for a zero denominator or a result outside 32 bits.
int WINAPI MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) return -1;
    if (denominator < 0) {
        number = -number;
        denominator = -denominator;
    }
    int64_t product = static_cast<int64_t>(number) * numerator;
    int64_t half = denominator / 2;
    int64_t result = product >= 0 ? (product + half) / denominator : (product - half) / denominator;
    if (result > 2147483647LL || result < -2147483647LL) return -1;
    return static_cast<int>(result);
}

DWORD WINAPI GetLastError() { return last_error; }
void WINAPI SetLastError(DWORD code) { last_error = code; }

LONG WINAPI InterlockedIncrement(LONG volatile* value) { return __atomic_add_fetch(value, 1, __ATOMIC_SEQ_CST); }
LONG WINAPI InterlockedDecrement(LONG volatile* value) { return __atomic_sub_fetch(value, 1, __ATOMIC_SEQ_CST); }

DWORD WINAPI GetTickCount() { return __atomic_load_n(&tick_count, __ATOMIC_SEQ_CST); }
void keylume_set_tick_count(DWORD ticks) { __atomic_store_n(&tick_count, ticks, __ATOMIC_SEQ_CST); }
void keylume_advance_ticks(DWORD milliseconds) { __atomic_add_fetch(&tick_count, milliseconds, __ATOMIC_SEQ_CST); }

}  // extern "C"
