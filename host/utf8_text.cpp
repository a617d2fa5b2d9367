#include "utf8_text.h"

namespace velvox_host::utf8 {

namespace {

bool is_continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Latin Extended-A pairs: in these ranges the upper-case letter is at the even (or odd) code point
// and its lower-case partner follows it.
struct case_pair_range {
    char32_t first, last;
    bool upper_is_even;
};
constexpr case_pair_range latin_extended_a[] = {
    {0x0100, 0x012F, true}, {0x0132, 0x0137, true},  {0x0139, 0x0148, false},
    {0x014A, 0x0177, true}, {0x0179, 0x017E, false},
};

// Code points whose upper and lower case differ by a fixed offset: [first, last] are upper case.
struct case_offset_range {
    char32_t first, last;
    char32_t offset;
};
constexpr case_offset_range offset_ranges[] = {
    {U'A', U'Z', 32},     {0x00C0, 0x00D6, 32}, {0x00D8, 0x00DE, 32}, {0x0388, 0x038A, 37},
    {0x038E, 0x038F, 63}, {0x0391, 0x03A1, 32}, {0x03A3, 0x03A9, 32}, {0x0400, 0x040F, 80},
    {0x0410, 0x042F, 32}, {0x0386, 0x0386, 38}, {0x038C, 0x038C, 64},
};

}  // namespace

character decode_at(std::string_view text, std::size_t offset) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[offset + i]); };
    const unsigned char lead = byte(0);
    const character invalid{lead, 1, false};
    if (lead < 0x80) return {lead, 1, true};
    std::size_t size;
    char32_t code, minimum;
    if (lead >= 0xC2 && lead <= 0xDF) {
        size = 2, code = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        size = 3, code = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        size = 4, code = lead & 0x07, minimum = 0x10000;
    } else {
        return invalid;
    }
    if (text.size() - offset < size) return invalid;
    for (std::size_t i = 1; i < size; ++i) {
        if (!is_continuation(byte(i))) return invalid;
        code = (code << 6) | (byte(i) & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return invalid;
    return {code, size, true};
}

void append_code_point(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::size_t count(std::string_view text) {
    std::size_t characters = 0;
    for (std::size_t offset = 0; offset < text.size(); offset += decode_at(text, offset).size) ++characters;
    return characters;
}

std::size_t offset_of(std::string_view text, std::size_t characters) {
    std::size_t offset = 0;
    for (; characters > 0 && offset < text.size(); --characters) offset += decode_at(text, offset).size;
    return offset;
}

std::string_view cut_to_bytes(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return text;
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t next = end + decode_at(text, end).size;
        if (next > limit) break;
        end = next;
    }
    return text.substr(0, end);
}

char32_t to_lower(char32_t code) {
    for (const auto& range : offset_ranges)
        if (code >= range.first && code <= range.last) return code + range.offset;
    for (const auto& range : latin_extended_a)
        if (code >= range.first && code <= range.last && ((code % 2 == 0) == range.upper_is_even)) return code + 1;
    if (code == 0x0178) return 0x00FF;
    return code;
}

char32_t to_upper(char32_t code) {
    for (const auto& range : offset_ranges)
        if (code >= range.first + range.offset && code <= range.last + range.offset) return code - range.offset;
    for (const auto& range : latin_extended_a)
        if (code >= range.first && code <= range.last && ((code % 2 == 0) != range.upper_is_even)) return code - 1;
    if (code == 0x00FF) return 0x0178;
    if (code == 0x03C2) return 0x03A3;  // final sigma
    return code;
}

namespace {

template <typename map_character>
std::string map_text(std::string_view text, map_character&& map) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t offset = 0; offset < text.size();) {
        const character c = decode_at(text, offset);
        if (c.valid)
            append_code_point(out, map(c.code));
        else
            out += text[offset];
        offset += c.size;
    }
    return out;
}

bool starts_word(char32_t previous) {
    return previous == U' ' || previous == U'\t' || previous == U'(' || previous == U'[' || previous == U'/' ||
           previous == U'-' || previous == U'"';
}

}  // namespace

std::string upper(std::string_view text) { return map_text(text, to_upper); }
std::string lower(std::string_view text) { return map_text(text, to_lower); }

std::string capitalise_words(std::string_view text) {
    char32_t previous = U' ';
    return map_text(text, [&](char32_t code) {
        const char32_t mapped = starts_word(previous) ? to_upper(code) : to_lower(code);
        previous = code;
        return mapped;
    });
}

}  // namespace velvox_host::utf8
