// Controls of the native platform layer that Win32 has no name for: what the host stand-in and
// the tests use to look inside or drive the platform. Native builds only.
#pragma once

#include <cstddef>

#include "win32_types.h"

extern "C" {
// Number of GDI objects (DCs, bitmaps, brushes, pens, fonts, regions) alive, stock ones excluded.
KEYLUME_PLATFORM_API size_t keylume_gdi_object_count();
// Fixes the value GetTickCount returns from now on, for the host's and the tests' own clocks.
KEYLUME_PLATFORM_API void keylume_set_tick_count(DWORD ticks);
}
