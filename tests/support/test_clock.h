// The tick count the component reads with GetTickCount, under the test's control on both targets.
#pragma once

#include "win32.h"

namespace keylume_test {

// From now on GetTickCount returns `ticks`.
void set_ticks(DWORD ticks);

}  // namespace keylume_test
