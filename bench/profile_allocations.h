// Heap allocation counts for the profile programs: the process's allocations where the allocation
// counter is linked in (KEYLUME_COUNT_ALLOCATIONS), "-" where they cannot be counted.
#pragma once

#include <cstddef>
#include <string>

#ifdef KEYLUME_COUNT_ALLOCATIONS
#include "allocation_counter.h"
#endif

namespace keylume_bench {

inline std::size_t allocations_now() {
#ifdef KEYLUME_COUNT_ALLOCATIONS
    return keylume_test::allocations_made();
#else
    return 0;
#endif
}

inline std::string allocations_since(std::size_t before) {
#ifdef KEYLUME_COUNT_ALLOCATIONS
    return std::to_string(keylume_test::allocations_made() - before);
#else
    (void)before;
    return "-";
#endif
}

}  // namespace keylume_bench
