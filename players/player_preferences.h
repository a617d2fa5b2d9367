// Which MPRIS players to follow, in order of preference, as playerctl's --player takes them:
// "mpv,vlc" or "spotify,%any". A name takes the player of that bus name
// (org.mpris.MediaPlayer2.NAME) and its instances (NAME.instance1234); %any takes every player.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace keylume_players {

// What every MPRIS player's bus name starts with.
inline constexpr std::string_view player_prefix = "org.mpris.MediaPlayer2.";

class player_preferences {
public:
    static constexpr std::string_view any = "%any";

    // The names in order of preference; none is the same as {"%any"}.
    explicit player_preferences(std::vector<std::string> names = {});

    // The place of the first name that takes the player with this bus name, 0 the most wanted;
    // -1 for a bus name no name takes (and for names that are not MPRIS players').
    int rank(std::string_view bus_name) const;
    // "mpv,vlc"; empty for any player.
    std::string text() const;

private:
    std::vector<std::string> m_names;
};

// Whether `name` can end a player's bus name: dot-separated elements of letters, digits, _ and -,
// and no longer than a bus name may be.
bool can_be_player_name(std::string_view name);

// Splits a comma-separated list of player names. Throws std::invalid_argument saying what is
// wrong with the first entry that is empty or cannot be a player's name, naming that entry alone.
std::vector<std::string> parse_player_list(std::string_view list);

}  // namespace keylume_players
