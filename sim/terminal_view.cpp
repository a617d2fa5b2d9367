#include "terminal_view.h"

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "frame_picture.h"
#include "terminal.h"
#include "terminal_text.h"

namespace keylume_sim {

namespace {

std::string name_of(const key& typed) {
    switch (typed.kind) {
        case key_kind::left:
            return "left";
        case key_kind::right:
            return "right";
        case key_kind::up:
            return "up";
        case key_kind::down:
            return "down";
        case key_kind::character:
            break;
    }
    return typed.character == ' ' ? "space" : std::string(1, typed.character);
}

// The LCD in half blocks where the terminal is wide and tall enough, else in braille; in a
// terminal too small for either, one line saying what it needs. The status lines below it.
void show(terminal_session& terminal, terminal_charset charset, const session& running) {
    const int columns = terminal.columns(), rows = terminal.rows();
    const std::vector<std::string> lines = running.status_lines();
    const int status_rows = static_cast<int>(lines.size());
    const bool wide = columns >= half_blocks_columns && rows >= half_blocks_rows + status_rows;
    if (!wide && (columns < braille_columns || rows < braille_rows + status_rows)) {
        terminal.show(terminal_line("the LCD view needs " + std::to_string(braille_columns) + "x" +
                                        std::to_string(braille_rows + status_rows) + "; this terminal is " +
                                        std::to_string(columns) + "x" + std::to_string(rows),
                                    columns, charset));
        return;
    }
    std::string screen;
    if (const LcdBitmap* frame = running.shown_frame())
        screen = wide ? frame_as_half_blocks(*frame, charset) : frame_as_braille(*frame, charset);
    for (const std::string& line : lines) screen += terminal_line(line, columns, charset) + "\n";
    terminal.show(screen);
}

}  // namespace

void run_in_terminal(session& running, bool in_terminal) {
    stop_signals signals;
    std::unique_ptr<terminal_session> terminal;
    const terminal_charset charset = locale_charset();
    if (in_terminal) {
        terminal = std::make_unique<terminal_session>();
        running.show_messages_in_view();
    }
    tick_schedule schedule(running.tick_interval());
    for (;;) {
        if (terminal)
            for (const key& typed : terminal->pending_keys()) running.press(name_of(typed));
        if (stop_requested || !running.turn()) break;
        if (terminal) show(*terminal, charset, running);
        if (!terminal && !running.real_time()) continue;
        std::this_thread::sleep_until(schedule.after_tick(tick_schedule::clock::now()));
    }
}

}  // namespace keylume_sim
