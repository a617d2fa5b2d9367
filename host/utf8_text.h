// UTF-8 text handling for the title-format language: characters are code points; a byte that does
// not belong to a valid UTF-8 sequence is one character of its own and is carried through as it is.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velvox_host::utf8 {

// One character of a UTF-8 text.
struct character {
    char32_t code;     // the code point; for an invalid byte, the byte's value
    std::size_t size;  // bytes it takes (1 for an invalid byte)
    bool valid;
};

character decode_at(std::string_view text, std::size_t offset);
void append_code_point(std::string& out, char32_t code);

std::size_t count(std::string_view text);
// Byte offset just after the first `characters` characters (the text's size when it is shorter).
std::size_t offset_of(std::string_view text, std::size_t characters);
// The longest prefix of `text` of at most `limit` bytes that does not split a character.
std::string_view cut_to_bytes(std::string_view text, std::size_t limit);

char32_t to_upper(char32_t code);
char32_t to_lower(char32_t code);
std::string upper(std::string_view text);
std::string lower(std::string_view text);
// Upper-cases the first letter of each word and lower-cases the rest.
std::string capitalise_words(std::string_view text);

}  // namespace velvox_host::utf8
