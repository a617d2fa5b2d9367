// The host's title-format language: templates that turn a track's fields into one line of text.
//
// Syntax
//   plain text        copied as it is; "," is plain text except where it separates the arguments
//                     of a call (inside a section within an argument it is plain text again)
//   %name%            the value of field `name` (names are case-insensitive); "?" when unknown
//   'text'            literal text: %, $, [, ], (, ), and , lose their meaning inside; '' inside a
//                     literal, and '' on its own, is one quote character
//   [ ... ]           optional section: shown when its content is true (see below), else empty
//   $name(a, b, ...)  a function call; arguments are templates themselves, separated by commas
//   "(" and ")" only delimit function arguments; a bare one is a compile error (quote it).
//
// Truth values. Every piece of a template gives a text and a truth value:
//   - plain and quoted text is false;
//   - %field% is true when the field is known;
//   - a sequence of pieces (a whole template, an argument, a section's content) is true when any of
//     its pieces is true;
//   - a section is true when its content is true (and then shows the content);
//   - $if, $if2, $if3, $ifequal and $ifgreater give the text and truth of the branch they choose;
//   - the predicates $and, $or, $not, $xor, $greater, $strcmp and $stricmp give an empty text and
//     their answer as truth;
//   - every other function gives its computed text with the truth of its first argument.
//
// Functions (n, m: numbers; positions and counts are in characters, 1-based):
//   $if(c,then[,else])  $if2(a,else)  $if3(a1,a2,...,else): first true ai, else the last argument
//   $ifequal(a,b,then,else)  $ifgreater(a,b,then,else): compare a and b as numbers
//   $upper(s) $lower(s) $caps(s): first letter of each word upper case, the rest lower case
//   $left(s,n) $cut(s,n) $right(s,n) $substr(s,from,to) $insert(s,text,n): text after n characters
//   $pad(s,n[,c]): s filled up to n characters with c (default space) on the right;
//   $pad_right(s,n[,c]): the same on the left
//   $num(n,len): n with leading zeros to len characters, the sign included
//   $len(s) $trim(s): without leading and trailing spaces and tabs; $repeat(s,n)
//   $replace(s,a,b[,a2,b2...]): every a by b, then every a2 by b2, ...
//   $abbr(s[,n]): the first letter or digit of each word (only when s is longer than n)
//   $strchr(s,c) $strstr(s,t): position of the first c or t in s, 0 when there is none
//   $and(...) $or(...) $xor(...) $not(a) $greater(a,b) $strcmp(a,b) $stricmp(a,b): predicates
//   $add $sub $mul $div $mod $max $min (two or more arguments, applied left to right)
//
// Numbers: an argument's text read as a decimal integer (leading spaces and a sign allowed, anything
// after the digits ignored, no digits = 0), saturated to 64 bits. Arithmetic saturates too; division
// or remainder by zero leaves the left operand unchanged.
//
// Text is UTF-8; character counts and positions ($len, $left, $pad, ...) count code points, and a
// byte that is not part of valid UTF-8 counts as one character and is carried through unchanged.
// Case mapping covers ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic.
//
// Bounds: templates nest at most max_nesting levels of sections and calls (deeper ones fail to
// compile), and every text an evaluation produces is cut at max_text_bytes (at a character
// boundary), so huge $pad or $repeat counts give bounded output.
#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace velvox_host {

inline constexpr int max_nesting = 64;
inline constexpr std::size_t max_text_bytes = 65536;

// Answers the fields a template asks for.
class field_source {
public:
    virtual ~field_source() = default;
    // `name` is the field name in ASCII lower case. Sets `value` and returns true when the field is
    // known; returns false (leaving `value` alone) when it is not.
    virtual bool lookup(std::string_view name, std::string& value) const = 0;
};

// A template that does not parse. what() names the fault and its byte position.
class title_format_error : public std::runtime_error {
public:
    title_format_error(const std::string& fault, std::size_t position);
    const std::string& fault() const { return m_fault; }
    std::size_t position() const { return m_position; }

private:
    std::string m_fault;
    std::size_t m_position;
};

// A compiled template: immutable, cheap to copy.
class title_format_program {
public:
    struct body;
    explicit title_format_program(std::shared_ptr<const body> compiled) : m_body(std::move(compiled)) {}
    const body& compiled() const { return *m_body; }

private:
    std::shared_ptr<const body> m_body;
};

// Compiles UTF-8 template text. Throws title_format_error when it does not parse.
title_format_program compile_title_format(std::string_view text);

// Evaluates a compiled template against the fields of `source`, giving UTF-8 text.
std::string evaluate_title_format(const title_format_program& program, const field_source& source);

}  // namespace velvox_host
