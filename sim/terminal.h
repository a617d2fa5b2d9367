// The terminal the simulator draws the LCD in: raw keyboard input without echo, redraws in place
// without flicker, and the terminal put back as it was on every way out, Ctrl-C included.
#pragma once

#include <termios.h>

#include <csignal>
#include <string>
#include <string_view>
#include <vector>

namespace keylume_sim {

enum class key_kind { character, up, down, left, right };

struct key {
    key_kind kind;
    char character = 0;  // for key_kind::character
    bool operator==(const key&) const = default;
};

// Splits bytes read from a terminal into keys: plain characters and the arrow keys' escape
// sequences; other escape sequences are dropped whole.
std::vector<key> parse_keys(std::string_view bytes);

// Set by SIGINT and SIGTERM while a stop_signals guard lives; the main loop ends when it is.
extern volatile std::sig_atomic_t stop_requested;

// While it lives, SIGINT and SIGTERM set stop_requested instead of ending the process; the
// handlers that were there before (the component's own, for one) come back after it.
class stop_signals {
public:
    stop_signals();
    ~stop_signals();
    stop_signals(const stop_signals&) = delete;
    stop_signals& operator=(const stop_signals&) = delete;

private:
    struct sigaction m_saved_interrupt {};
    struct sigaction m_saved_terminate {};
};

class terminal_session {
public:
    // Switches standard input to raw mode when it is a terminal, hides the cursor and clears the
    // screen.
    terminal_session();
    ~terminal_session();
    terminal_session(const terminal_session&) = delete;
    terminal_session& operator=(const terminal_session&) = delete;

    // Keys typed since the last call; never waits.
    std::vector<key> pending_keys();

    // Replaces what the session shows with `screen`, drawn from the top-left corner.
    void show(const std::string& screen);

    // Columns and rows of the terminal, 80 and 24 when unknown.
    int columns() const;
    int rows() const;

private:
    bool m_raw = false;
    termios m_saved{};
};

}  // namespace keylume_sim
