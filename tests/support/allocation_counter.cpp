#include "allocation_counter.h"

#include <atomic>

// The C library's own entry points, which the wrappers below hand every call to.
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* memory, size_t size);
}

namespace {
std::atomic<size_t> counted{0};
}

extern "C" {
void* malloc(size_t size) {
    counted.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
    counted.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(count, size);
}
void* realloc(void* memory, size_t size) {
    counted.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(memory, size);
}
}

namespace keylume_test {

size_t allocations_made() { return counted.load(std::memory_order_relaxed); }

}  // namespace keylume_test
