#include "terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>

namespace keylume_sim {

volatile std::sig_atomic_t stop_requested = 0;

namespace {

void request_stop(int) { stop_requested = 1; }

void write_all(const std::string& text) {
    const char* at = text.data();
    size_t left = text.size();
    while (left > 0) {
        ssize_t written = ::write(STDOUT_FILENO, at, left);
        if (written <= 0) return;
        at += written;
        left -= static_cast<size_t>(written);
    }
}

// Asked at every redraw, so that the view follows the terminal as it is resized.
winsize terminal_size() {
    winsize size{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0) return {};
    return size;
}

}  // namespace

std::vector<key> parse_keys(std::string_view bytes) {
    std::vector<key> keys;
    for (size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c != '\x1b') {
            keys.push_back({key_kind::character, c});
            continue;
        }
        if (i + 2 < bytes.size() && (bytes[i + 1] == '[' || bytes[i + 1] == 'O')) {
            size_t end = i + 2;
            while (end < bytes.size() && !(bytes[end] >= '@' && bytes[end] <= '~')) ++end;
            if (end < bytes.size() && end == i + 2) {
                switch (bytes[end]) {
                    case 'A':
                        keys.push_back({key_kind::up});
                        break;
                    case 'B':
                        keys.push_back({key_kind::down});
                        break;
                    case 'C':
                        keys.push_back({key_kind::right});
                        break;
                    case 'D':
                        keys.push_back({key_kind::left});
                        break;
                    default:
                        break;
                }
            }
            i = end;
            continue;
        }
        keys.push_back({key_kind::character, c});  // a lone Escape
    }
    return keys;
}

stop_signals::stop_signals() {
    stop_requested = 0;
    struct sigaction action {};
    action.sa_handler = request_stop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &m_saved_interrupt);
    sigaction(SIGTERM, &action, &m_saved_terminate);
}

stop_signals::~stop_signals() {
    sigaction(SIGINT, &m_saved_interrupt, nullptr);
    sigaction(SIGTERM, &m_saved_terminate, nullptr);
}

terminal_session::terminal_session() {
    if (isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &m_saved) == 0) {
        termios raw = m_saved;
        raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
        raw.c_cc[VMIN] = 0;
        raw.c_cc[VTIME] = 0;
        m_raw = tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
    }
    write_all("\x1b[?25l\x1b[2J");
}

terminal_session::~terminal_session() {
    write_all("\x1b[?25h\n");
    if (m_raw) tcsetattr(STDIN_FILENO, TCSANOW, &m_saved);
}

std::vector<key> terminal_session::pending_keys() {
    if (!m_raw) return {};
    std::string bytes;
    char buffer[64];
    ssize_t count;
    while ((count = ::read(STDIN_FILENO, buffer, sizeof buffer)) > 0) bytes.append(buffer, static_cast<size_t>(count));
    return parse_keys(bytes);
}

void terminal_session::show(const std::string& screen) {
    // Home, then each line overwritten and cleared to its end: no blank flash between frames.
    std::string out = "\x1b[H";
    size_t start = 0;
    while (start < screen.size()) {
        size_t end = screen.find('\n', start);
        if (end == std::string::npos) end = screen.size();
        out.append(screen, start, end - start);
        out += "\x1b[K\n";
        start = end + 1;
    }
    out += "\x1b[J";
    write_all(out);
}

int terminal_session::columns() const {
    const winsize size = terminal_size();
    return size.ws_col > 0 ? size.ws_col : 80;
}

int terminal_session::rows() const {
    const winsize size = terminal_size();
    return size.ws_row > 0 ? size.ws_row : 24;
}

}  // namespace keylume_sim
