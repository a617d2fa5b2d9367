#include "test_clock.h"

#include "virtual_clock.h"

namespace keylume_test {

// One clock for the test program, driving the program's own imports: the toolkit is linked in.
void set_ticks(DWORD ticks) {
    static keylume_host::virtual_clock clock(ticks);
    static bool driving = clock.drive(GetModuleHandleA(nullptr));
    (void)driving;
    clock.set(ticks);
}

}  // namespace keylume_test
