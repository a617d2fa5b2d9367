// UTF-16 strings held in fixed buffers: length, equality and a copy that truncates safely. The C
// library's wide-string functions do not serve here, as wchar_t is not 16 bits on every target.
#pragma once

#include <cstddef>

#include "win32.h"

namespace wide_text {

// Number of code units before the terminator.
inline size_t length(const WCHAR* text) {
    size_t count = 0;
    while (text[count]) ++count;
    return count;
}

// Unit-for-unit equality of two zero-terminated strings.
inline bool equal(const WCHAR* a, const WCHAR* b) {
    size_t i = 0;
    for (; a[i] && a[i] == b[i]; ++i) {
    }
    return a[i] == b[i];
}

inline bool is_high_surrogate(WCHAR unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

// Copies at most capacity - 1 units of source into destination and terminates it. A surrogate pair
// that would be cut by the limit is left out whole. Returns the number of units copied.
inline size_t copy_truncated(WCHAR* destination, size_t capacity, const WCHAR* source) {
    if (capacity == 0) return 0;
    size_t count = 0;
    while (count + 1 < capacity && source[count]) ++count;
    if (count > 0 && source[count] && is_high_surrogate(source[count - 1])) --count;
    for (size_t i = 0; i < count; ++i) destination[i] = source[i];
    destination[count] = 0;
    return count;
}

}  // namespace wide_text
