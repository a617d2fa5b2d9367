// Kernel helpers of the native platform layer.
#include <cstdint>

#include "native/win32_native.h"

namespace {
thread_local DWORD last_error = 0;
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

DWORD WINAPI GetLastError() { return last_error; }
void WINAPI SetLastError(DWORD code) { last_error = code; }

}  // extern "C"
