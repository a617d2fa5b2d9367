// USER of the native platform layer: rectangles filled, framed and inverted with brushes.
#pragma once

#include "win32_gdi.h"

extern "C" {
KEYLUME_PLATFORM_API int WINAPI FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
KEYLUME_PLATFORM_API int WINAPI FrameRect(HDC hdc, const RECT* rect, HBRUSH brush);
KEYLUME_PLATFORM_API BOOL WINAPI InvertRect(HDC hdc, const RECT* rect);
KEYLUME_PLATFORM_API BOOL WINAPI SetRect(LPRECT rect, int left, int top, int right, int bottom);
KEYLUME_PLATFORM_API BOOL WINAPI IsRectEmpty(const RECT* rect);
KEYLUME_PLATFORM_API BOOL WINAPI IntersectRect(LPRECT out, const RECT* a, const RECT* b);
}
