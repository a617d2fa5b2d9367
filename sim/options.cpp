#include "options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "player_preferences.h"

namespace keylume_sim {

namespace {

const char* const key_names[] = {"1", "2", "3", "4", "space", "n", "p", "u", "left", "right", "q"};

long whole_number(const std::string& option, const std::string& text) {
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end || errno == ERANGE || value < 0)
        throw usage_error(option + " needs a whole number of 0 or more, not '" + text + "'");
    return value;
}

double positive_number(const std::string& option, const std::string& text) {
    char* end = nullptr;
    errno = 0;
    double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end || errno == ERANGE || !std::isfinite(value) || !(value > 0))
        throw usage_error(option + " needs a positive number, not '" + text + "'");
    return value;
}

// "TICK:KEY,TICK:KEY,..."
std::vector<scripted_key> key_script(const std::string& text) {
    std::vector<scripted_key> keys;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(',', start);
        if (end == std::string::npos) end = text.size();
        std::string item = text.substr(start, end - start);
        size_t colon = item.find(':');
        if (colon == std::string::npos)
            throw usage_error("--keys needs TICK:KEY items separated by commas, not '" + item + "'");
        scripted_key key{whole_number("--keys", item.substr(0, colon)), item.substr(colon + 1)};
        if (!is_known_key(key.key))
            throw usage_error("--keys: unknown key '" + key.key + "' (known: 1 2 3 4 space n p u left right q)");
        keys.push_back(key);
        start = end + 1;
    }
    return keys;
}

// "mpv,vlc" or "spotify,%any": every entry that can be a player's name is one, even where a file
// of that name is at hand, which a note says.
std::vector<std::string> followed_players(const std::string& list, std::vector<std::string>& notes) {
    std::vector<std::string> names;
    try {
        names = keylume_players::parse_player_list(list);
    } catch (const std::invalid_argument& error) {
        throw usage_error(std::string("--follow takes the names of players on the D-Bus session bus: ") + error.what() +
                          "; files play without --follow (keylume-sim FILE)");
    }
    for (const std::string& name : names) {
        std::error_code ignored;
        if (std::filesystem::exists(name, ignored))
            notes.push_back("--follow takes '" + name + "' as a player's name, not as the file of that name here");
    }
    return names;
}

// "RRGGBB" or "#RRGGBB".
rgb_color color(const std::string& text) {
    const std::string digits = text.starts_with("#") ? text.substr(1) : text;
    if (digits.size() != 6 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        throw usage_error("--lcd-colors needs two colours as RRGGBB or #RRGGBB, not '" + text + "'");
    auto channel = [&](size_t at) { return static_cast<unsigned char>(std::stoul(digits.substr(at, 2), nullptr, 16)); };
    return {channel(0), channel(2), channel(4)};
}

// "FG,BG": the lit pixels' colour and the background's.
lcd_colors color_pair(const std::string& text) {
    const size_t comma = text.find(',');
    if (comma == std::string::npos)
        throw usage_error("--lcd-colors needs FG,BG: the lit pixels' colour and the background's, not '" + text + "'");
    lcd_colors colors{color(text.substr(0, comma)), color(text.substr(comma + 1))};
    if (colors.lit == colors.dark) throw usage_error("--lcd-colors needs two different colours, not '" + text + "'");
    return colors;
}

command_line parse_prefs(const std::vector<std::string>& arguments) {
    command_line chosen;
    if (arguments.size() == 1) {
        chosen.what = command::prefs_show;
    } else if (arguments[1] == "set") {
        if (arguments.size() != 4) throw usage_error("prefs set needs a NAME and a VALUE (see keylume-sim prefs)");
        chosen.what = command::prefs_set;
        chosen.setting_name = arguments[2];
        chosen.setting_value = arguments[3];
    } else if (arguments[1] == "reset") {
        if (arguments.size() != 2) throw usage_error("prefs reset takes no further arguments");
        chosen.what = command::prefs_reset;
    } else {
        throw usage_error("unknown prefs command '" + arguments[1] + "' (prefs, prefs set NAME VALUE, prefs reset)");
    }
    return chosen;
}

}  // namespace

bool is_known_key(const std::string& name) {
    for (const char* known : key_names)
        if (name == known) return true;
    return false;
}

command_line parse_command_line(const std::vector<std::string>& arguments) {
    if (!arguments.empty() && arguments[0] == "prefs") return parse_prefs(arguments);
    command_line chosen;
    run_options& run = chosen.run;
    double duration = -1;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= arguments.size()) throw usage_error(argument + " needs a value (see --help)");
            return arguments[++i];
        };
        if (argument == "--help" || argument == "-h") {
            chosen.what = command::help;
            return chosen;
        } else if (argument == "--version") {
            chosen.what = command::version;
            return chosen;
        } else if (argument == "--ticks") {
            run.ticks = whole_number(argument, value());
        } else if (argument == "--duration") {
            duration = positive_number(argument, value());
        } else if (argument == "--speed") {
            run.speed = positive_number(argument, value());
        } else if (argument == "--snapshot") {
            run.snapshot = value();
        } else if (argument == "--record") {
            run.record = value();
        } else if (argument == "--frames") {
            run.frames_directory = value();
        } else if (argument == "--lcd-server") {
            run.lcd_server = value();
        } else if (argument == "--keys") {
            run.keys = key_script(value());
        } else if (argument == "--window") {
            run.window = true;
        } else if (argument == "--lcd-colors") {
            run.colors = color_pair(value());
        } else if (argument == "--follow") {
            run.follow = true;
            if (i + 1 < arguments.size() && !arguments[i + 1].starts_with("-"))
                run.players = followed_players(arguments[++i], chosen.notes);
        } else if (argument.starts_with("-") && argument != "-") {
            throw usage_error("unknown option '" + argument + "' (see --help)");
        } else {
            run.inputs.push_back(argument);
        }
    }
    if (duration > 0) {
        if (run.ticks >= 0) throw usage_error("give either --ticks or --duration, not both");
        run.ticks = std::lround(duration * 10);
    }
    if (run.colors && !run.window) throw usage_error("--lcd-colors sets the window's colours: give --window too");
    if (!run.keys.empty() && run.ticks < 0) throw usage_error("--keys needs a bounded run (--ticks or --duration)");
    if (run.follow && !run.inputs.empty())
        throw usage_error("--follow shows what the player plays: give it no files or playlists ('" + run.inputs[0] +
                          "')");
    if (run.follow && run.speed != 1.0)
        throw usage_error("--follow runs at the player's speed: --speed cannot be given");
    return chosen;
}

std::string usage_text() {
    return "usage: keylume-sim [OPTIONS] [AUDIO FILE | FOLDER | PLAYLIST FILE]...\n"
           "       keylume-sim [OPTIONS] --follow [PLAYER,...]\n"
           "       keylume-sim prefs | prefs set NAME VALUE | prefs reset\n"
           "\n"
           "Runs the Velvox stand-in, the Keylume component and the LCD Manager stand-in in one process\n"
           "and shows the keyboard's LCD in the terminal, or with --window in a window of its own, ten\n"
           "frames a second.\n"
           "\n"
           "What plays: the audio files given (tags and length read with TagLib), the audio files in the\n"
           "folders given (in name order, subfolders included), and playlist descriptions (text files\n"
           "whose first entry is a [track] line; their stream entries make a station whose title\n"
           "changes). A file that cannot be read or is not audio is skipped with a message. Without\n"
           "arguments a built-in demo playlist plays.\n"
           "\n"
           "Options:\n"
           "  --window           show the LCD in a desktop window (GTK): every LCD pixel a square block, 4x\n"
           "                     at first and following the window's size in whole steps, with the four\n"
           "                     soft buttons to click below it and the status line; the keys below\n"
           "                     work in it. Closing it quits. Needs a display (DISPLAY or\n"
           "                     WAYLAND_DISPLAY); with --ticks it ticks at the speed asked for, then\n"
           "                     keeps the last frame until it is closed\n"
           "  --lcd-colors FG,BG the window's LCD colours, lit pixels and background, as RRGGBB or\n"
           "                     #RRGGBB (e.g. --lcd-colors 10200a,9fc23c)\n"
           "  --ticks N          run N display ticks (100 ms each) at once, without a terminal, then stop\n"
           "  --duration SECS    the same for SECS seconds of play (SECS x 10 ticks)\n"
           "  --speed X          in the terminal or the window, run X times faster than real time\n"
           "  --snapshot FILE    write the last frame as a PNG\n"
           "  --record FILE      write the session as an animated PNG at real frame timing\n"
           "  --frames DIR       write every frame sent as DIR/frame-NNNNNN.png, and DIR/frames.log with\n"
           "                     one line per frame: index, tick count, priority, file name\n"
           "  --lcd-server PATH  use another LCD Manager server module (one exporting GetInterface);\n"
           "                     without the stand-in's control side the LCD is not shown here and\n"
           "                     soft buttons, unplugging, --frames, --snapshot and --record are not\n"
           "                     available\n"
           "  --keys LIST        in a bounded run, keys typed at given ticks: TICK:KEY,... with the keys\n"
           "                     1 2 3 4 space n p u left right q (e.g. --keys 30:2,60:n)\n"
           "  --follow [PLAYERS] show what a media player on the D-Bus session bus plays (MPRIS: mpv with\n"
           "                     mpv-mpris, VLC, Rhythmbox, ...): of those playing or paused, the most\n"
           "                     preferred, playing before paused; the one followed stays until another\n"
           "                     starts playing, and gives way at once when it stops or leaves. PLAYERS,\n"
           "                     as playerctl's --player takes them, names the players wanted in order\n"
           "                     of preference (the end of the bus name org.mpris.MediaPlayer2.PLAYER;\n"
           "                     %any for any): --follow mpv,vlc or --follow spotify,%any. An entry that\n"
           "                     can be a bus name is a player's name even beside a file of that name;\n"
           "                     one that cannot (a path) is refused. At most 64 players are watched;\n"
           "                     a bus silent for 5 s ends the run. Runs in real time, bounded runs too;\n"
           "                     the player keys go to the player\n"
           "  --version          print keylume-sim's version, which is the component's, and exit\n"
           "  --help             this text\n"
           "\n"
           "Keys: 1-4 soft buttons, space pause, n / p next / previous track, left / right seek 5 s,\n"
           "u unplug / replug the keyboard, q quit (Ctrl-C too, and closing the window; all save the\n"
           "settings).\n"
           "The first two seconds show the splash view; then the first track starts. With --follow the\n"
           "splash view stays until a player plays, and the status line names the player followed (or\n"
           "says that the session bus is waited for).\n"
           "\n"
           "Settings: kept in $XDG_CONFIG_HOME/keylume/keylume.cfg ($HOME/.config/keylume/ when\n"
           "XDG_CONFIG_HOME is not set), loaded at start and saved at exit through the component.\n"
           "A damaged file is reported and kept as keylume.cfg.damaged.\n"
           "  prefs                 show the sixteen settings\n"
           "  prefs set NAME VALUE  change one through the component's preferences page\n"
           "  prefs reset           restore the defaults\n"
           "\n"
           "Exit status: 0 done, 1 something named on the command line cannot be used (nothing\n"
           "playable, a module that does not load, a file that cannot be written, no D-Bus session bus\n"
           "for --follow or none answering within 5 s, no display for --window), 2 the command line is not\n"
           "understood.\n";
}

}  // namespace keylume_sim
