// Kernel of the native platform layer.
#pragma once

#include "win32_types.h"

extern "C" {
KEYLUME_PLATFORM_API DWORD WINAPI GetTickCount();
KEYLUME_PLATFORM_API int WINAPI MulDiv(int number, int numerator, int denominator);
KEYLUME_PLATFORM_API DWORD WINAPI GetLastError();
KEYLUME_PLATFORM_API void WINAPI SetLastError(DWORD code);
}
