// Counts the heap allocations of the whole process (every module's malloc, calloc, realloc and
// operator new end in the C library's allocator, which is wrapped here). Native builds without
// the address sanitizer only: it brings its own allocator.
#pragma once

#include <cstddef>

namespace keylume_test {

// Allocations made since the process started.
size_t allocations_made();

}  // namespace keylume_test
