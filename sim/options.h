// The simulator's command line: what to run and how.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace keylume_sim {

// A command line that cannot be understood; what() says what is wrong.
class usage_error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A key typed at a given tick of a bounded run (--keys).
struct scripted_key {
    long tick;
    std::string key;  // as the terminal names it: "1".."4", "space", "n", "p", "u", "left", "right", "q"
};

// A colour given on the command line, 8 bits a channel.
struct rgb_color {
    unsigned char red, green, blue;
    bool operator==(const rgb_color&) const = default;
};

// The LCD's two colours in the window: lit pixels and the backlit background.
struct lcd_colors {
    rgb_color lit;
    rgb_color dark;
};

struct run_options {
    std::vector<std::string> inputs;   // audio files, folders and playlist descriptions
    bool follow = false;               // follow a real media player over MPRIS instead
    std::vector<std::string> players;  // the players to follow, in order of preference; none for any
    long ticks = -1;                   // a bounded run without a terminal when not negative
    double speed = 1.0;
    std::string snapshot;
    std::string record;
    std::string frames_directory;
    std::string lcd_server;  // empty: the LCD Manager stand-in among the program's modules
    std::vector<scripted_key> keys;
    bool window = false;               // the GTK window instead of the terminal
    std::optional<lcd_colors> colors;  // --lcd-colors; the LCD pictures' own colours otherwise
};

enum class command { run, help, version, prefs_show, prefs_set, prefs_reset };

struct command_line {
    command what = command::run;
    run_options run;
    std::string setting_name;        // prefs set
    std::string setting_value;       // prefs set
    std::vector<std::string> notes;  // what the person should know about how the line was taken
};

// Throws usage_error.
command_line parse_command_line(const std::vector<std::string>& arguments);

// The text of --help.
std::string usage_text();

// The keys --keys and the terminal know, for messages.
bool is_known_key(const std::string& name);

}  // namespace keylume_sim
