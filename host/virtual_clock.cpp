#include "virtual_clock.h"

#include <cstring>
#include <vector>

#ifdef _WIN32
#include "timer_table.h"
#else
#include "native/keylume_platform.h"
#endif

namespace keylume_host {
namespace {

#ifdef _WIN32
// The time of the modules the clock drives, and their timers.
DWORD g_ticks = 0;
keylume_timers::timer_table g_timers;

DWORD WINAPI clock_tick_count() { return g_ticks; }

// Only thread timers without a window are driven; a window's timer goes to the system.
UINT_PTR WINAPI clock_set_timer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    if (window != nullptr) return SetTimer(window, id, elapse, proc);
    return g_timers.set(id, elapse, proc, g_ticks);
}

BOOL WINAPI clock_kill_timer(HWND window, UINT_PTR id) {
    if (window != nullptr) return KillTimer(window, id);
    return g_timers.kill(id) ? TRUE : FALSE;
}

struct patched_import {
    void** slot;
    void* original;
};
std::vector<patched_import> g_patched;

void write_slot(void** slot, void* value) {
    DWORD protection = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
    *slot = value;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
}

// The import address table slot of `dll`!`function` in `module`, or null.
void** import_slot(HMODULE module, const char* dll, const char* function) {
    BYTE* base = reinterpret_cast<BYTE*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return nullptr;
    for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); entry->Name != 0;
         ++entry) {
        if (_stricmp(reinterpret_cast<const char*>(base + entry->Name), dll) != 0) continue;
        DWORD names_rva = entry->OriginalFirstThunk != 0 ? entry->OriginalFirstThunk : entry->FirstThunk;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + names_rva);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* by_name = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(by_name->Name), function) == 0)
                return reinterpret_cast<void**>(&slots->u1.Function);
        }
    }
    return nullptr;
}
#endif

}  // namespace

virtual_clock::virtual_clock(DWORD start) { set(start); }

virtual_clock::~virtual_clock() {
#ifdef _WIN32
    for (auto patch = g_patched.rbegin(); patch != g_patched.rend(); ++patch) write_slot(patch->slot, patch->original);
    g_patched.clear();
    g_timers = keylume_timers::timer_table{};
#endif
}

#ifdef _WIN32
namespace {
bool redirect(HMODULE module, const char* dll, const char* function, void* replacement) {
    void** slot = import_slot(module, dll, function);
    if (slot == nullptr) return false;
    if (*slot != replacement) {
        g_patched.push_back(patched_import{slot, *slot});
        write_slot(slot, replacement);
    }
    return true;
}
}  // namespace
#endif

bool virtual_clock::drive(HMODULE module) {
#ifdef _WIN32
    bool ticks = redirect(module, "KERNEL32.dll", "GetTickCount", reinterpret_cast<void*>(&clock_tick_count));
    bool set = redirect(module, "USER32.dll", "SetTimer", reinterpret_cast<void*>(&clock_set_timer));
    bool kill = redirect(module, "USER32.dll", "KillTimer", reinterpret_cast<void*>(&clock_kill_timer));
    return ticks || set || kill;
#else
    (void)module;
    return true;
#endif
}

// Natively the platform's tick source is the clock itself, so that the host and tests agree
// with whatever else drives it.
void virtual_clock::set(DWORD ticks) {
#ifdef _WIN32
    g_ticks = ticks;
#else
    keylume_set_tick_count(ticks);
#endif
}

void virtual_clock::advance(DWORD milliseconds) {
#ifdef _WIN32
    g_ticks += milliseconds;
#else
    keylume_advance_ticks(milliseconds);
#endif
}

DWORD virtual_clock::now() const {
#ifdef _WIN32
    return g_ticks;
#else
    return GetTickCount();
#endif
}

int virtual_clock::run_due_timers() {
#ifdef _WIN32
    return g_timers.run_due(g_ticks);
#else
    return keylume_run_due_timers();
#endif
}

}  // namespace keylume_host
