// UTF-16 strings held in fixed buffers: length, equality, and a copy and a comparison that
// truncate safely. The C library's wide-string functions do not serve here, as wchar_t is not 16
// bits on every target.
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

// The number of units of source that fit a buffer of capacity units with its terminator: at most
// capacity - 1, and a surrogate pair that the limit would cut is left out whole.
inline size_t truncated_length(size_t capacity, const WCHAR* source) {
    if (capacity == 0) return 0;
    size_t count = 0;
    while (count + 1 < capacity && source[count]) ++count;
    if (count > 0 && source[count] && is_high_surrogate(source[count - 1])) --count;
    return count;
}

// Copies what fits of source (truncated_length) into destination and terminates it. Returns the
// number of units copied.
inline size_t copy_truncated(WCHAR* destination, size_t capacity, const WCHAR* source) {
    if (capacity == 0) return 0;
    size_t count = truncated_length(capacity, source);
    for (size_t i = 0; i < count; ++i) destination[i] = source[i];
    destination[count] = 0;
    return count;
}

// Whether a buffer of capacity units already holds what copy_truncated would make of source: the
// source is cut first and then compared, so a text longer than the buffer equals its stored copy.
inline bool equal_truncated(const WCHAR* stored, size_t capacity, const WCHAR* source) {
    size_t count = truncated_length(capacity, source);
    for (size_t i = 0; i < count; ++i) {
        if (stored[i] != source[i]) return false;
    }
    return stored[count] == 0;
}

}  // namespace wide_text
