// How far a moving text travels: the arithmetic that the scrolling and the streaming texts share.
#pragma once

#include "win32.h"

// Pixels travelled in `milliseconds` at `pixelsPerSecond`: the rate times the time as an unsigned
// 32-bit product (it wraps as the tick count does), divided by 1000, as a float.
inline float PixelsTravelled(DWORD pixelsPerSecond, DWORD milliseconds) {
    return static_cast<float>(static_cast<DWORD>(pixelsPerSecond * milliseconds) / 1000.0);
}
