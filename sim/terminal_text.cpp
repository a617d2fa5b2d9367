#include "terminal_text.h"

#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>

#include "utf8_text.h"

namespace keylume_sim {

namespace {

namespace utf8 = velvox_host::utf8;

bool is_control(char32_t code) { return code < 0x20 || (code >= 0x7F && code <= 0x9F); }

void append_visible_control(std::string& out, char32_t code) {
    if (code < 0x20 || code == 0x7F) {
        out += '^';
        out += static_cast<char>(code ^ 0x40);
        return;
    }
    char name[16];
    std::snprintf(name, sizeof name, "<U+%04X>", static_cast<unsigned>(code));
    out += name;
}

// Character widths as a UTF-8 terminal shows them, the same whatever the locale the program runs in.
locale_t utf8_locale() {
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return locale;
}

int columns_of(char32_t code) {
    if (code < 0x80 || !utf8_locale()) return 1;
    const locale_t previous = uselocale(utf8_locale());
    const int width = wcwidth(static_cast<wchar_t>(code));
    uselocale(previous);
    return width < 0 ? 1 : width;
}

}  // namespace

terminal_charset locale_charset() {
    const locale_t environment = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
    if (!environment) return terminal_charset::ascii;
    const std::string codeset = nl_langinfo_l(CODESET, environment);
    freelocale(environment);
    return codeset == "UTF-8" ? terminal_charset::utf8 : terminal_charset::ascii;
}

std::string visible_text(std::string_view text, terminal_charset charset) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const utf8::character character = utf8::decode_at(text, at);
        if (!character.valid ||
            (charset == terminal_charset::ascii && character.code >= 0x80 && !is_control(character.code)))
            out += '?';
        else if (is_control(character.code))
            append_visible_control(out, character.code);
        else
            out.append(text, at, character.size);
        at += character.size;
    }
    return out;
}

std::string_view cut_to_columns(std::string_view visible, int columns) {
    int used = 0;
    std::size_t at = 0;
    while (at < visible.size()) {
        const utf8::character character = utf8::decode_at(visible, at);
        used += columns_of(character.code);
        if (used > columns) break;
        at += character.size;
    }
    // Combining marks that follow the last character kept belong to it.
    while (at < visible.size() && columns_of(utf8::decode_at(visible, at).code) == 0)
        at += utf8::decode_at(visible, at).size;
    return visible.substr(0, at);
}

std::string terminal_line(std::string_view text, int columns, terminal_charset charset) {
    // No character takes less than a column but combining marks, so this much text always fills
    // the line; the rest is not looked at.
    constexpr std::size_t bytes_per_column = 16;
    const std::string visible = visible_text(
        utf8::cut_to_bytes(text, static_cast<std::size_t>(std::max(columns, 0)) * bytes_per_column), charset);
    return std::string(cut_to_columns(visible, columns - 1));
}

}  // namespace keylume_sim
