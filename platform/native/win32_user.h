// USER of the native platform layer: rectangles filled, framed and inverted with brushes.
#pragma once

#include "win32_gdi.h"

#define WM_TIMER 0x0113
#define USER_TIMER_MINIMUM 0x0000000A

typedef void(CALLBACK* TIMERPROC)(HWND window, UINT message, UINT_PTR id, DWORD time);

extern "C" {
KEYLUME_PLATFORM_API int WINAPI FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
KEYLUME_PLATFORM_API int WINAPI FrameRect(HDC hdc, const RECT* rect, HBRUSH brush);
KEYLUME_PLATFORM_API BOOL WINAPI InvertRect(HDC hdc, const RECT* rect);
KEYLUME_PLATFORM_API BOOL WINAPI SetRect(LPRECT rect, int left, int top, int right, int bottom);
KEYLUME_PLATFORM_API BOOL WINAPI IsRectEmpty(const RECT* rect);
KEYLUME_PLATFORM_API BOOL WINAPI IntersectRect(LPRECT out, const RECT* a, const RECT* b);

// Thread timers: only without a window and with a TIMERPROC. They fire from
// keylume_run_due_timers (keylume_platform.h) at the tick count's time.
KEYLUME_PLATFORM_API UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc);
KEYLUME_PLATFORM_API BOOL WINAPI KillTimer(HWND window, UINT_PTR id);
}
