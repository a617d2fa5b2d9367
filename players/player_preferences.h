// Which MPRIS players to follow, in order of preference, as playerctl's --player takes them:
// "mpv,vlc" or "spotify,%any". A name takes the player of that bus name
// (org.mpris.MediaPlayer2.NAME) and its instances (NAME.instance1234); %any takes every player.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velvox_host {

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

// Splits a comma-separated list of player names. Throws std::invalid_argument saying what is
// wrong with an empty name or one with characters a bus name cannot hold.
std::vector<std::string> parse_player_list(std::string_view list);

}  // namespace velvox_host
