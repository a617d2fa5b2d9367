#include "player_preferences.h"

#include <algorithm>
#include <stdexcept>

namespace keylume_players {

namespace {

// The longest bus name D-Bus takes.
constexpr std::size_t longest_bus_name = 255;

// The characters of a bus name's elements.
bool element_character(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

bool takes(std::string_view name, std::string_view player) {
    if (name == player_preferences::any) return true;
    return player == name || (player.size() > name.size() && player.starts_with(name) && player[name.size()] == '.');
}

}  // namespace

player_preferences::player_preferences(std::vector<std::string> names) : m_names(std::move(names)) {
    if (m_names.empty()) m_names.emplace_back(any);
}

int player_preferences::rank(std::string_view bus_name) const {
    if (!bus_name.starts_with(player_prefix)) return -1;
    const std::string_view player = bus_name.substr(player_prefix.size());
    for (std::size_t place = 0; place < m_names.size(); ++place)
        if (takes(m_names[place], player)) return static_cast<int>(place);
    return -1;
}

std::string player_preferences::text() const {
    if (m_names.size() == 1 && m_names[0] == any) return {};
    std::string joined;
    for (const std::string& name : m_names) joined += (joined.empty() ? "" : ",") + name;
    return joined;
}

bool can_be_player_name(std::string_view name) {
    if (name.empty() || player_prefix.size() + name.size() > longest_bus_name) return false;
    bool element_started = false;
    for (char c : name) {
        if (c == '.' && !element_started) return false;
        if (c != '.' && !element_character(c)) return false;
        element_started = c != '.';
    }
    return element_started;
}

std::vector<std::string> parse_player_list(std::string_view list) {
    std::vector<std::string> names;
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t end = std::min(list.find(',', start), list.size());
        const std::string_view name = list.substr(start, end - start);
        if (name.empty()) throw std::invalid_argument("an empty player name in '" + std::string(list) + "'");
        if (name != player_preferences::any && !can_be_player_name(name))
            throw std::invalid_argument("'" + std::string(name) +
                                        "' cannot be a player's name (letters, digits, _ and - between dots only)");
        names.emplace_back(name);
        start = end + 1;
    }
    return names;
}

}  // namespace keylume_players
