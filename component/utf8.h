// UTF-8 decoding and conversion to the zero-terminated UTF-16 text of Windows controls and the LCD.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "pfc_string.h"
#include "win32.h"

namespace pfc {

// Decodes one character from at most max_bytes bytes. Returns the number of bytes it took, 0 for
// an invalid sequence, for a zero byte and when no byte is available; code_point is 0 then.
size_t utf8_decode_char(const char* text, uint32_t& code_point, size_t max_bytes = infinite_size);

// A zero-terminated UTF-16 text.
class wide_string {
public:
    wide_string() : m_units(1, 0) {}
    const WCHAR* get() const { return m_units.data(); }
    size_t length() const { return m_units.size() - 1; }

private:
    friend wide_string wide_from_utf8(const char* text, size_t max_bytes);
    std::vector<WCHAR> m_units;
};

// Converts UTF-8 until the input ends, a sequence is invalid or a zero is met. Code points up to
// U+FFFF give one unit, U+10000 to U+FFFFF a surrogate pair, higher ones "?".
wide_string wide_from_utf8(const char* text, size_t max_bytes = infinite_size);

}  // namespace pfc
