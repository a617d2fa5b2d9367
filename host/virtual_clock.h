// The tick count and the thread timers that the component sees, driven by the host and by tests
// instead of the wall clock. Natively it drives the platform layer's tick source and timer pump,
// which every module of the process shares. On Windows it redirects the imports
// KERNEL32.dll!GetTickCount and USER32.dll!SetTimer / KillTimer of each module it is given (the
// test program itself, or a loaded DLL such as the component) to the clock and its own timers.
#pragma once

#include "win32.h"

namespace keylume_host {

class virtual_clock {
public:
    // Starts at `start`. The clock is process-wide: there is one at a time.
    explicit virtual_clock(DWORD start);
    ~virtual_clock();
    virtual_clock(const virtual_clock&) = delete;
    virtual_clock& operator=(const virtual_clock&) = delete;

    // Makes GetTickCount, SetTimer and KillTimer in `module` use this clock. Returns false when
    // the module imports none of them (always true natively, where all modules share them).
    // Timers set before this call stay with the system.
    bool drive(HMODULE module);

    // The message pump of the driven timers: calls the procedure of every timer due now, once
    // each. Returns how many were called.
    int run_due_timers();

    void set(DWORD ticks);
    void advance(DWORD milliseconds);
    DWORD now() const;
};

}  // namespace keylume_host
