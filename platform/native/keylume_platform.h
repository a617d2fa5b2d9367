// Controls of the native platform layer that Win32 has no name for: what the host stand-in and
// the tests use to look inside or drive the platform. Native builds only.
#pragma once

#include <cstddef>

#include "win32_types.h"

// The tick count GetTickCount returns until it is set: a fixed, non-zero value, so that runs
// are repeatable and a time stamp of 0 never occurs by accident.
#define KEYLUME_INITIAL_TICK_COUNT 10000u

extern "C" {
// Number of GDI objects (DCs, bitmaps, brushes, pens, fonts, regions) alive, stock ones excluded.
KEYLUME_PLATFORM_API size_t keylume_gdi_object_count();

// The process's tick count, as GetTickCount reports it. Time moves only when it is set or
// advanced (wrapping at 2^32 like the real count).
KEYLUME_PLATFORM_API void keylume_set_tick_count(DWORD ticks);
KEYLUME_PLATFORM_API void keylume_advance_ticks(DWORD milliseconds);

// Fills the in-process registry from a text file in the style of a .reg file:
//   ; comment
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Some\Key]
//   @="default value"
//   "Name"="string value"
// Keys and values are added to what is there. Returns null on success, otherwise a message
// naming the file and line (valid until the next call).
KEYLUME_PLATFORM_API const char* keylume_registry_load(const char* path);

// Empties the in-process registry.
KEYLUME_PLATFORM_API void keylume_registry_clear();

// The thread timers' message pump: calls the procedure of every timer due at the current tick
// count, once each, as dispatching their WM_TIMER messages would. Returns how many were called.
KEYLUME_PLATFORM_API int keylume_run_due_timers();
}

// One resource of a module, as the resource compiler lays it out: its type and name (an ordinal,
// or a string when `name` is set), and its bytes in the layout Windows gives the same resource.
struct keylume_resource {
    unsigned type;
    unsigned id;
    const char16_t* name;
    const unsigned char* data;
    size_t size;
};

extern "C" {
// Registers the resources of the module that contains `address_in_module`; generated resource
// sources call it while the module is loaded.
KEYLUME_PLATFORM_API void keylume_register_resources(const void* address_in_module, const keylume_resource* table,
                                                     size_t count);
// Forgets them again when the module is unloaded, before its bytes go.
KEYLUME_PLATFORM_API void keylume_unregister_resources(const void* address_in_module);
}
