// UTF-8 to UTF-16 on arbitrary bytes: never reads beyond the given bytes, and the units agree with
// the decoder character by character.
#include <cstdint>
#include <cstdlib>

#include "utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    pfc::wide_string wide = pfc::wide_from_utf8(text, size);
    const WCHAR* unit = wide.get();
    if (unit[wide.length()] != 0) std::abort();

    size_t offset = 0;
    size_t index = 0;
    for (;;) {
        uint32_t code_point;
        size_t taken = pfc::utf8_decode_char(text + offset, code_point, size - offset);
        if (taken > size - offset || taken > 6 || (taken == 0 && code_point != 0)) std::abort();
        if (taken == 0) break;
        offset += taken;
        if (code_point < 0x10000) {
            if (unit[index++] != code_point) std::abort();
        } else if (code_point <= 0xFFFFF) {
            uint32_t high = unit[index++], low = unit[index++];
            if (high < 0xD800 || high > 0xDBFF || low < 0xDC00 || low > 0xDFFF) std::abort();
            if (((high - 0xD800) << 10 | (low - 0xDC00)) + 0x10000 != code_point) std::abort();
        } else if (unit[index++] != '?') {
            std::abort();
        }
    }
    if (index != wide.length()) std::abort();
    return 0;
}
