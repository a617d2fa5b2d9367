// USER of the native platform layer: rectangles filled, framed and inverted with brushes, and
// formatted text.
#pragma once

#include "win32_gdi.h"

#define WM_TIMER 0x0113
#define USER_TIMER_MINIMUM 0x0000000A

typedef void(CALLBACK* TIMERPROC)(HWND window, UINT message, UINT_PTR id, DWORD time);

struct DRAWTEXTPARAMS {
    UINT cbSize;
    int iTabLength;
    int iLeftMargin;
    int iRightMargin;
    UINT uiLengthDrawn;
};
typedef DRAWTEXTPARAMS* LPDRAWTEXTPARAMS;

#define DT_TOP 0x0
#define DT_LEFT 0x0
#define DT_CENTER 0x1
#define DT_RIGHT 0x2
#define DT_VCENTER 0x4
#define DT_BOTTOM 0x8
#define DT_WORDBREAK 0x10
#define DT_SINGLELINE 0x20
#define DT_NOCLIP 0x100
#define DT_CALCRECT 0x400
#define DT_NOPREFIX 0x800

extern "C" {
KEYLUME_PLATFORM_API int WINAPI DrawTextExW(HDC hdc, LPWSTR text, int length, LPRECT rect, UINT format,
                                           LPDRAWTEXTPARAMS params);
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
