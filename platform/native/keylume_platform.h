// Controls of the native platform layer that Win32 has no name for: what the host stand-in and
// the tests use to look inside or drive the platform. Native builds only.
#pragma once

#include <cstddef>

#include "win32_types.h"

extern "C" {
// Number of GDI objects (DCs, bitmaps, brushes, pens, fonts, regions) alive, stock ones excluded.
KEYLUME_PLATFORM_API size_t keylume_gdi_object_count();
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
}
