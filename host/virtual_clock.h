// The tick count that the component sees, driven by the host and by tests instead of the wall
// clock. Natively it drives the platform layer's tick source, which every module of the process
// shares. On Windows it redirects the import KERNEL32.dll!GetTickCount of each module it is
// given (the test program itself, or a loaded DLL such as the component) to the clock's value.
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

    // Makes GetTickCount in `module` read this clock. Returns false when the module does not
    // import GetTickCount from KERNEL32.dll (always true natively, where all modules share it).
    bool drive(HMODULE module);

    void set(DWORD ticks);
    void advance(DWORD milliseconds);
    DWORD now() const;
};

}  // namespace keylume_host
