// Kernel helpers of the native platform layer.
#include <chrono>
#include <cstdint>

#include "native/keylume_platform.h"
#include "native/win32_native.h"

namespace {
thread_local DWORD last_error = 0;
bool tick_count_fixed = false;
DWORD fixed_tick_count = 0;
}

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

// Milliseconds of the monotonic clock, wrapping at 32 bits, unless a test or the host fixed it.
DWORD WINAPI GetTickCount() {
    if (tick_count_fixed) return fixed_tick_count;
    auto since_start = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(since_start).count());
}

void keylume_set_tick_count(DWORD ticks) {
    tick_count_fixed = true;
    fixed_tick_count = ticks;
}

DWORD WINAPI GetLastError() { return last_error; }
void WINAPI SetLastError(DWORD code) { last_error = code; }

}  // extern "C"
