#include "test_clock.h"

#ifdef _WIN32
#include <cstring>
#include <stdexcept>

namespace {

DWORD current_ticks = 0;

DWORD WINAPI controlled_tick_count() { return current_ticks; }

// Points the test program's import of KERNEL32!GetTickCount at the controlled clock. The
// component is linked statically into the test program, so its calls go through this entry.
void patch_import() {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
    for (; import->Name; ++import) {
        if (_stricmp(reinterpret_cast<const char*>(base + import->Name), "kernel32.dll") != 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->OriginalFirstThunk);
        auto* addresses = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++addresses) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* by_name = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(by_name->Name), "GetTickCount") != 0) continue;
            DWORD protection = 0;
            VirtualProtect(&addresses->u1.Function, sizeof(addresses->u1.Function), PAGE_READWRITE, &protection);
            addresses->u1.Function = reinterpret_cast<ULONG_PTR>(&controlled_tick_count);
            VirtualProtect(&addresses->u1.Function, sizeof(addresses->u1.Function), protection, &protection);
            return;
        }
    }
    throw std::runtime_error("the test program does not import KERNEL32!GetTickCount");
}

}  // namespace

namespace keylume_test {

void set_ticks(DWORD ticks) {
    static bool patched = (patch_import(), true);
    (void)patched;
    current_ticks = ticks;
}

}  // namespace keylume_test

#else
#include "native/keylume_platform.h"

namespace keylume_test {

void set_ticks(DWORD ticks) { keylume_set_tick_count(ticks); }

}  // namespace keylume_test
#endif
