// Text as the terminal view writes it. Titles, player names and messages come from outside (a
// station's stream title is written by whoever runs the station), so nothing in them may act on
// the terminal, and no line may wrap.
#pragma once

#include <string>
#include <string_view>

namespace keylume_sim {

// What the terminal can show: UTF-8, or ASCII alone in a locale of another character set.
enum class terminal_charset { utf8, ascii };

// The character set of the locale the environment names (LC_ALL, LC_CTYPE, LANG).
terminal_charset locale_charset();

// `text` with every control character (C0, DEL, C1) made visible: C0 and DEL in caret notation
// (^J for a line feed, ^[ for Escape, ^? for DEL), C1 as <U+0085>. A byte that is not part of valid
// UTF-8 becomes "?", as does every character beyond ASCII in the ASCII character set.
std::string visible_text(std::string_view text, terminal_charset charset);

// The longest start of a visible text that takes at most `columns` display columns: wide
// characters count two, combining marks none.
std::string_view cut_to_columns(std::string_view visible, int columns);

// One line of the view: `text` made visible and cut to fit a terminal `columns` wide without
// touching its last column (writing there would leave the cursor waiting to wrap).
std::string terminal_line(std::string_view text, int columns, terminal_charset charset);

}  // namespace keylume_sim
