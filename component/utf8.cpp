#include "utf8.h"

namespace pfc {

namespace {

// Sequence length fixed by a lead byte of 110xxxxx to 1111110x; 0 when it is none of these.
size_t sequence_length(uint8_t lead) {
    for (size_t n = 2; n <= 6; ++n) {
        uint8_t pattern_mask = static_cast<uint8_t>(0xFF << (7 - n));
        uint8_t pattern = static_cast<uint8_t>(0xFF << (8 - n));
        if ((lead & pattern_mask) == pattern) return n;
    }
    return 0;
}

// Calls emit with each UTF-16 unit of the text; returns the unit count.
template <typename sink>
size_t convert(const char* text, size_t max_bytes, sink emit) {
    size_t units = 0;
    while (max_bytes > 0) {
        uint32_t code_point;
        size_t taken = utf8_decode_char(text, code_point, max_bytes);
        if (taken == 0) break;
        text += taken;
        max_bytes -= taken;
        if (code_point < 0x10000) {
            emit(static_cast<WCHAR>(code_point));
            units += 1;
        } else if (code_point <= 0xFFFFF) {
            emit(static_cast<WCHAR>(0xD800 + (((code_point - 0x10000) >> 10) & 0x3FF)));
            emit(static_cast<WCHAR>(0xDC00 + (code_point & 0x3FF)));
            units += 2;
        } else {
            emit(static_cast<WCHAR>('?'));
            units += 1;
        }
    }
    return units;
}

}  // namespace

size_t utf8_decode_char(const char* text, uint32_t& code_point, size_t max_bytes) {
    code_point = 0;
    if (max_bytes == 0) return 0;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(text);
    if (bytes[0] < 0x80) {
        code_point = bytes[0];
        return bytes[0] == 0 ? 0 : 1;
    }
    size_t n = sequence_length(bytes[0]);
    if (n == 0 || n > max_bytes) return 0;
    if (n == 2 && (bytes[0] == 0xC0 || bytes[0] == 0xC1)) return 0;
    uint32_t value = bytes[0] & ((1u << (7 - n)) - 1);
    for (size_t i = 1; i < n; ++i) {
        if ((bytes[i] & 0xC0) != 0x80) return 0;
        // Overlong check: a sequence of three or more whose first two bytes carry no bits must
        // carry some in the third.
        if (i == 2 && value == 0 && ((bytes[2] & 0x7F) >> (7 - n)) == 0) return 0;
        value = (value << 6) | (bytes[i] & 0x3F);
    }
    code_point = value;
    return n;
}

wide_string wide_from_utf8(const char* text, size_t max_bytes) {
    size_t units = convert(text, max_bytes, [](WCHAR) {});
    wide_string result;
    result.m_units.clear();
    result.m_units.reserve(checked_add(units, 1));
    convert(text, max_bytes, [&](WCHAR unit) { result.m_units.push_back(unit); });
    result.m_units.push_back(0);
    return result;
}

}  // namespace pfc
