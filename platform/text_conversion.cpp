// UTF-8 and UTF-16 conversions of the native platform layer (code page CP_UTF8 only). A length of
// -1 means the zero-terminated text including its terminator; a capacity of 0 asks for the size.
#include <string>

#include "native/win32_native.h"

namespace {

constexpr char32_t REPLACEMENT = 0xFFFD;

// The next code point of UTF-8 text; invalid or overlong sequences and surrogates read as one
// replacement character per bad byte.
char32_t next_code_point(const unsigned char*& at, const unsigned char* end) {
    unsigned char first = *at++;
    if (first < 0x80) return first;
    int length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC2 ? 2 : 0;
    if (length == 0 || first > 0xF4 || end - at < length - 1) return REPLACEMENT;
    char32_t code = first & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if ((at[i - 1] & 0xC0) != 0x80) return REPLACEMENT;
        code = (code << 6) | (at[i - 1] & 0x3F);
    }
    static constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return REPLACEMENT;
    at += length - 1;
    return code;
}

template <class Unit>
int deliver(const std::basic_string<Unit>& converted, Unit* out, int capacity) {
    if (capacity == 0) return static_cast<int>(converted.size());
    if (!out || capacity < static_cast<int>(converted.size())) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    converted.copy(out, converted.size());
    return static_cast<int>(converted.size());
}

}  // namespace

extern "C" {

int WINAPI MultiByteToWideChar(UINT code_page, DWORD, LPCSTR text, int bytes, LPWSTR wide, int units) {
    if (code_page != CP_UTF8 || !text || units < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t length = bytes < 0 ? std::char_traits<char>::length(text) + 1 : static_cast<size_t>(bytes);
    auto* at = reinterpret_cast<const unsigned char*>(text);
    const unsigned char* end = at + length;
    std::u16string converted;
    while (at < end) {
        char32_t code = next_code_point(at, end);
        if (code >= 0x10000) {
            converted.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
            converted.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        } else {
            converted.push_back(static_cast<char16_t>(code));
        }
    }
    return deliver(converted, wide, units);
}

int WINAPI WideCharToMultiByte(UINT code_page, DWORD, LPCWSTR wide, int units, LPSTR text, int bytes, LPCSTR,
                               BOOL* used_default) {
    if (used_default) *used_default = FALSE;
    if (code_page != CP_UTF8 || !wide || bytes < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t length = units < 0 ? std::char_traits<char16_t>::length(wide) + 1 : static_cast<size_t>(units);
    std::string converted;
    for (size_t i = 0; i < length; ++i) {
        char32_t code = wide[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < length && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF)
            code = 0x10000 + ((code - 0xD800) << 10) + (wide[++i] - 0xDC00);
        else if (code >= 0xD800 && code <= 0xDFFF)
            code = REPLACEMENT;
        if (code < 0x80) {
            converted += static_cast<char>(code);
        } else if (code < 0x800) {
            converted += static_cast<char>(0xC0 | (code >> 6));
            converted += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            converted += static_cast<char>(0xE0 | (code >> 12));
            converted += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            converted += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            converted += static_cast<char>(0xF0 | (code >> 18));
            converted += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            converted += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            converted += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return deliver(converted, text, bytes);
}

}  // extern "C"
