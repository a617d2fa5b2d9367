#include "title_format.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "utf8_text.h"

namespace velvox_host {

namespace {

enum class function_id {
    if_,
    if2,
    if3,
    ifequal,
    ifgreater,
    upper,
    lower,
    caps,
    left,
    right,
    pad,
    pad_right,
    num,
    len,
    trim,
    replace,
    abbr,
    substr,
    repeat,
    insert,
    strchr,
    strstr,
    and_,
    or_,
    not_,
    xor_,
    greater,
    strcmp,
    stricmp,
    add,
    sub,
    mul,
    div,
    mod,
    max,
    min,
};

constexpr int unlimited = std::numeric_limits<int>::max();

struct function_info {
    std::string_view name;
    function_id id;
    int min_arguments, max_arguments;
};

constexpr function_info functions[] = {
    {"if", function_id::if_, 2, 3},
    {"if2", function_id::if2, 2, 2},
    {"if3", function_id::if3, 2, unlimited},
    {"ifequal", function_id::ifequal, 4, 4},
    {"ifgreater", function_id::ifgreater, 4, 4},
    {"upper", function_id::upper, 1, 1},
    {"lower", function_id::lower, 1, 1},
    {"caps", function_id::caps, 1, 1},
    {"left", function_id::left, 2, 2},
    {"cut", function_id::left, 2, 2},
    {"right", function_id::right, 2, 2},
    {"pad", function_id::pad, 2, 3},
    {"pad_right", function_id::pad_right, 2, 3},
    {"num", function_id::num, 2, 2},
    {"len", function_id::len, 1, 1},
    {"trim", function_id::trim, 1, 1},
    {"replace", function_id::replace, 3, unlimited},
    {"abbr", function_id::abbr, 1, 2},
    {"substr", function_id::substr, 3, 3},
    {"repeat", function_id::repeat, 2, 2},
    {"insert", function_id::insert, 3, 3},
    {"strchr", function_id::strchr, 2, 2},
    {"strstr", function_id::strstr, 2, 2},
    {"and", function_id::and_, 1, unlimited},
    {"or", function_id::or_, 1, unlimited},
    {"not", function_id::not_, 1, 1},
    {"xor", function_id::xor_, 1, unlimited},
    {"greater", function_id::greater, 2, 2},
    {"strcmp", function_id::strcmp, 2, 2},
    {"stricmp", function_id::stricmp, 2, 2},
    {"add", function_id::add, 2, unlimited},
    {"sub", function_id::sub, 2, unlimited},
    {"mul", function_id::mul, 2, unlimited},
    {"div", function_id::div, 2, unlimited},
    {"mod", function_id::mod, 2, unlimited},
    {"max", function_id::max, 2, unlimited},
    {"min", function_id::min, 2, unlimited},
};

enum class node_kind { text, field, section, call };

struct node;
using sequence = std::vector<node>;

struct node {
    node_kind kind;
    std::string text;  // the literal text, or the field name in lower case
    const function_info* function = nullptr;
    std::vector<sequence> parts;  // a section's content (one part) or a call's arguments
};

std::string ascii_lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool is_name_character(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

std::string argument_count_text(const function_info& f) {
    if (f.min_arguments == f.max_arguments) return std::to_string(f.min_arguments);
    if (f.max_arguments == unlimited) return "at least " + std::to_string(f.min_arguments);
    return std::to_string(f.min_arguments) + " or " + std::to_string(f.max_arguments);
}

// Recursive descent over the template text. Each nested section or call is one level.
class parser {
public:
    explicit parser(std::string_view text) : m_text(text) {}

    sequence parse_template() { return parse_sequence(context::top); }

private:
    enum class context { top, section, argument };

    [[noreturn]] void fail(const std::string& fault, std::size_t position) {
        throw title_format_error(fault, position);
    }

    void enter(std::size_t position) {
        if (++m_depth > max_nesting) fail("nesting deeper than " + std::to_string(max_nesting) + " levels", position);
    }

    static void append_text(sequence& out, std::string_view text) {
        if (out.empty() || out.back().kind != node_kind::text) out.push_back({node_kind::text, {}, nullptr, {}});
        out.back().text += text;
    }

    // Parses up to the end of the text or the closing character of `where`, which it leaves unread.
    sequence parse_sequence(context where) {
        sequence out;
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos];
            if (c == ']') {
                if (where == context::section) return out;
                fail("']' without '['", m_pos);
            }
            if (c == ')') {
                if (where == context::argument) return out;
                if (where == context::section && m_calls > 0) return out;  // the caller reports the open '['
                fail("')' without a function call", m_pos);
            }
            if (c == ',' && where == context::argument) return out;
            switch (c) {
                case '%':
                    out.push_back(parse_field());
                    break;
                case '\'':
                    append_text(out, parse_quote());
                    break;
                case '[':
                    out.push_back(parse_section());
                    break;
                case '$':
                    out.push_back(parse_call());
                    break;
                case '(':
                    fail("'(' outside a function call (quote it as '(')", m_pos);
                default: {
                    const std::size_t start = m_pos;
                    while (m_pos < m_text.size() &&
                           std::string_view("%'[]$(),").find(m_text[m_pos]) == std::string_view::npos)
                        ++m_pos;
                    if (m_pos == start) ++m_pos;  // a ',' outside arguments is plain text
                    append_text(out, m_text.substr(start, m_pos - start));
                }
            }
        }
        return out;
    }

    node parse_field() {
        const std::size_t start = m_pos++;
        const std::size_t end = m_text.find('%', m_pos);
        if (end == std::string_view::npos) fail("unterminated field: no closing '%'", start);
        if (end == m_pos) fail("empty field name '%%'", start);
        node field{node_kind::field, ascii_lower(m_text.substr(m_pos, end - m_pos)), nullptr, {}};
        m_pos = end + 1;
        return field;
    }

    std::string parse_quote() {
        const std::size_t start = m_pos++;
        if (m_pos < m_text.size() && m_text[m_pos] == '\'') {
            ++m_pos;
            return "'";
        }
        std::string literal;
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos++];
            if (c != '\'') {
                literal += c;
            } else if (m_pos < m_text.size() && m_text[m_pos] == '\'') {
                literal += '\'';
                ++m_pos;
            } else {
                return literal;
            }
        }
        fail("unterminated quote: no closing '", start);
    }

    node parse_section() {
        const std::size_t start = m_pos++;
        enter(start);
        node section{node_kind::section, {}, nullptr, {}};
        section.parts.push_back(parse_sequence(context::section));
        if (m_pos >= m_text.size() || m_text[m_pos] != ']') fail("unclosed '['", start);
        ++m_pos;
        --m_depth;
        return section;
    }

    node parse_call() {
        const std::size_t start = m_pos++;
        const std::size_t name_start = m_pos;
        while (m_pos < m_text.size() && is_name_character(m_text[m_pos])) ++m_pos;
        const std::string name = ascii_lower(m_text.substr(name_start, m_pos - name_start));
        if (name.empty() || m_pos >= m_text.size() || m_text[m_pos] != '(')
            fail("'$' must be followed by a function name and '('", start);
        const auto found = std::find_if(std::begin(functions), std::end(functions),
                                        [&](const function_info& f) { return f.name == name; });
        if (found == std::end(functions)) fail("unknown function $" + name, start);
        ++m_pos;
        enter(start);
        ++m_calls;
        node call{node_kind::call, {}, &*found, {}};
        while (true) {
            call.parts.push_back(parse_sequence(context::argument));
            if (m_pos >= m_text.size()) fail("unclosed '$" + name + "('", start);
            if (m_text[m_pos++] == ')') break;
        }
        --m_calls;
        --m_depth;
        const int count = static_cast<int>(call.parts.size());
        if (count < found->min_arguments || count > found->max_arguments)
            fail("$" + name + " takes " + argument_count_text(*found) + " arguments, not " + std::to_string(count),
                 start);
        return call;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    int m_depth = 0;
    int m_calls = 0;
};

struct value {
    std::string text;
    bool truth = false;
};

// Appends as much of `piece` as fits within max_text_bytes.
void bounded_append(std::string& out, std::string_view piece) {
    if (out.size() >= max_text_bytes) return;
    out += utf8::cut_to_bytes(piece, max_text_bytes - out.size());
}

std::int64_t to_number(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    std::int64_t n = 0;
    constexpr std::int64_t limit = std::numeric_limits<std::int64_t>::max();
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        n = n > (limit - digit) / 10 ? limit : n * 10 + digit;
    }
    return negative ? -n : n;
}

// The result of a checked operation, or the bound it overflowed.
template <typename checked_operation>
std::int64_t saturated(checked_operation&& operation, bool positive_overflow) {
    std::int64_t result = 0;
    if (!operation(result)) return result;
    return positive_overflow ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
}

std::int64_t arithmetic(function_id id, std::int64_t a, std::int64_t b) {
    switch (id) {
        case function_id::add:
            return saturated([&](std::int64_t& r) { return __builtin_add_overflow(a, b, &r); }, b > 0);
        case function_id::sub:
            return saturated([&](std::int64_t& r) { return __builtin_sub_overflow(a, b, &r); }, b < 0);
        case function_id::mul:
            return saturated([&](std::int64_t& r) { return __builtin_mul_overflow(a, b, &r); }, (a < 0) == (b < 0));
        case function_id::div:
            if (b == 0) return a;
            if (b == -1)
                return saturated([&](std::int64_t& r) { return __builtin_sub_overflow(std::int64_t{0}, a, &r); }, true);
            return a / b;
        case function_id::mod:
            if (b == 0) return a;
            if (b == -1) return 0;
            return a % b;
        case function_id::max:
            return std::max(a, b);
        default:
            return std::min(a, b);
    }
}

std::size_t clamp_count(std::int64_t n) {
    return static_cast<std::size_t>(std::clamp<std::int64_t>(n, 0, static_cast<std::int64_t>(max_text_bytes)));
}

std::string_view first_character(std::string_view text) {
    return text.empty() ? std::string_view(" ") : text.substr(0, utf8::decode_at(text, 0).size);
}

std::string padded(std::string_view text, std::int64_t width, std::string_view fill_text, bool fill_left) {
    const std::size_t length = utf8::count(text);
    const std::size_t wanted = clamp_count(width);
    std::string fill;
    const std::string_view unit = first_character(fill_text);
    for (std::size_t i = length; i < wanted && fill.size() + unit.size() <= max_text_bytes; ++i) fill += unit;
    std::string out;
    bounded_append(out, fill_left ? fill : text);
    bounded_append(out, fill_left ? text : fill);
    return out;
}

std::string trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

// 1-based character position of `needle` in `text`, 0 when it does not occur.
std::int64_t character_position(std::string_view text, std::string_view needle) {
    if (needle.empty()) return 0;
    const std::size_t at = text.find(needle);
    return at == std::string_view::npos ? 0 : static_cast<std::int64_t>(utf8::count(text.substr(0, at))) + 1;
}

std::string replaced(std::string_view text, std::string_view from, std::string_view to) {
    if (from.empty()) return std::string(text);
    std::string out;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(from, start)) != std::string_view::npos && out.size() < max_text_bytes;
         start = at + from.size()) {
        bounded_append(out, text.substr(start, at - start));
        bounded_append(out, to);
    }
    bounded_append(out, text.substr(std::min(start, text.size())));
    return out;
}

// The first letter or digit of each space-separated word.
std::string abbreviated(std::string_view text) {
    std::string out;
    bool taken = false;
    for (std::size_t offset = 0; offset < text.size();) {
        const utf8::character c = utf8::decode_at(text, offset);
        const bool ascii_alphanumeric = (c.code >= U'0' && c.code <= U'9') || (c.code >= U'a' && c.code <= U'z') ||
                                        (c.code >= U'A' && c.code <= U'Z');
        if (c.code == U' ' || c.code == U'\t') {
            taken = false;
        } else if (!taken && (ascii_alphanumeric || (c.valid && c.code >= 0x80))) {
            out += text.substr(offset, c.size);
            taken = true;
        }
        offset += c.size;
    }
    return out;
}

class evaluator {
public:
    explicit evaluator(const field_source& source) : m_source(source) {}

    value run(const sequence& pieces) {
        value out;
        for (const node& piece : pieces) {
            value part = run(piece);
            bounded_append(out.text, part.text);
            out.truth = out.truth || part.truth;
        }
        return out;
    }

private:
    value run(const node& piece) {
        switch (piece.kind) {
            case node_kind::text:
                return {piece.text, false};
            case node_kind::field: {
                value out;
                if (m_source.lookup(piece.text, out.text)) {
                    out.truth = true;
                    out.text = std::string(utf8::cut_to_bytes(out.text, max_text_bytes));
                } else {
                    out.text = "?";
                }
                return out;
            }
            case node_kind::section: {
                value content = run(piece.parts[0]);
                if (!content.truth) content.text.clear();
                return content;
            }
            case node_kind::call:
                break;
        }
        return call(piece.function->id, piece.parts);
    }

    static value predicate(bool answer) { return {{}, answer}; }
    std::int64_t number(const sequence& argument) { return to_number(run(argument).text); }

    value call(function_id id, const std::vector<sequence>& args) {
        switch (id) {
            case function_id::if_:
                if (run(args[0]).truth) return run(args[1]);
                return args.size() > 2 ? run(args[2]) : value{};
            case function_id::if2: {
                value first = run(args[0]);
                return first.truth ? first : run(args[1]);
            }
            case function_id::if3:
                for (std::size_t i = 0; i + 1 < args.size(); ++i) {
                    value candidate = run(args[i]);
                    if (candidate.truth) return candidate;
                }
                return run(args.back());
            case function_id::ifequal:
                return run(number(args[0]) == number(args[1]) ? args[2] : args[3]);
            case function_id::ifgreater:
                return run(number(args[0]) > number(args[1]) ? args[2] : args[3]);
            case function_id::and_:
                for (const sequence& a : args)
                    if (!run(a).truth) return predicate(false);
                return predicate(true);
            case function_id::or_:
                for (const sequence& a : args)
                    if (run(a).truth) return predicate(true);
                return predicate(false);
            case function_id::xor_: {
                bool answer = false;
                for (const sequence& a : args) answer = answer != run(a).truth;
                return predicate(answer);
            }
            case function_id::not_:
                return predicate(!run(args[0]).truth);
            case function_id::greater:
                return predicate(number(args[0]) > number(args[1]));
            case function_id::strcmp:
                return predicate(run(args[0]).text == run(args[1]).text);
            case function_id::stricmp:
                return predicate(utf8::lower(run(args[0]).text) == utf8::lower(run(args[1]).text));
            default:
                break;
        }
        value subject = run(args[0]);
        subject.text = compute(id, subject.text, args);
        return subject;
    }

    // The functions that compute a text from their arguments; `s` is the first argument's text.
    std::string compute(function_id id, const std::string& s, const std::vector<sequence>& args) {
        auto text_of = [&](std::size_t i) { return run(args[i]).text; };
        auto count_of = [&](std::size_t i) { return clamp_count(number(args[i])); };
        switch (id) {
            case function_id::upper:
                return utf8::upper(s);
            case function_id::lower:
                return utf8::lower(s);
            case function_id::caps:
                return utf8::capitalise_words(s);
            case function_id::left:
                return s.substr(0, utf8::offset_of(s, count_of(1)));
            case function_id::right: {
                const std::size_t length = utf8::count(s), keep = std::min(length, count_of(1));
                return s.substr(utf8::offset_of(s, length - keep));
            }
            case function_id::pad:
            case function_id::pad_right:
                return padded(s, number(args[1]), args.size() > 2 ? text_of(2) : " ", id == function_id::pad_right);
            case function_id::num: {
                const std::int64_t n = to_number(s);
                const std::string digits = n < 0 ? std::to_string(n).substr(1) : std::to_string(n);
                return padded(digits, number(args[1]) - (n < 0 ? 1 : 0), "0", true).insert(0, n < 0 ? "-" : "");
            }
            case function_id::len:
                return std::to_string(utf8::count(s));
            case function_id::trim:
                return trimmed(s);
            case function_id::replace: {
                std::string out = s;
                for (std::size_t i = 1; i + 1 < args.size(); i += 2) out = replaced(out, text_of(i), text_of(i + 1));
                return out;
            }
            case function_id::abbr:
                if (args.size() > 1 && utf8::count(s) <= count_of(1)) return s;
                return abbreviated(s);
            case function_id::substr: {
                const std::int64_t from = std::max<std::int64_t>(number(args[1]), 1), to = number(args[2]);
                if (to < from) return {};
                const std::size_t begin = utf8::offset_of(s, clamp_count(from - 1));
                return s.substr(begin, utf8::offset_of(s, clamp_count(to)) - begin);
            }
            case function_id::repeat: {
                std::string out;
                for (std::size_t n = count_of(1); n > 0 && out.size() < max_text_bytes && !s.empty(); --n)
                    bounded_append(out, s);
                return out;
            }
            case function_id::insert: {
                const std::size_t at = utf8::offset_of(s, count_of(2));
                std::string out = s.substr(0, at);
                bounded_append(out, text_of(1));
                bounded_append(out, std::string_view(s).substr(at));
                return out;
            }
            case function_id::strchr: {
                const std::string needle = text_of(1);
                return std::to_string(needle.empty() ? 0 : character_position(s, first_character(needle)));
            }
            case function_id::strstr:
                return std::to_string(character_position(s, text_of(1)));
            default:
                break;
        }
        std::int64_t result = to_number(s);
        for (std::size_t i = 1; i < args.size(); ++i) result = arithmetic(id, result, number(args[i]));
        return std::to_string(result);
    }

    const field_source& m_source;
};

}  // namespace

struct title_format_program::body {
    sequence pieces;
};

title_format_error::title_format_error(const std::string& fault, std::size_t position)
    : std::runtime_error(fault + " at byte " + std::to_string(position)), m_fault(fault), m_position(position) {}

title_format_program compile_title_format(std::string_view text) {
    parser p(text);
    return title_format_program(
        std::make_shared<const title_format_program::body>(title_format_program::body{p.parse_template()}));
}

std::string evaluate_title_format(const title_format_program& program, const field_source& source) {
    return evaluator(source).run(program.compiled().pieces).text;
}

}  // namespace velvox_host
