// The names MPRIS and the bus use, and how long a call to them may take.
#pragma once

#include <chrono>
#include <string>

namespace keylume_players {

inline const std::string player_object = "/org/mpris/MediaPlayer2";
inline const std::string player_interface = "org.mpris.MediaPlayer2.Player";
inline const std::string properties_interface = "org.freedesktop.DBus.Properties";
inline const std::string bus_name = "org.freedesktop.DBus";
inline const std::string bus_object = "/org/freedesktop/DBus";

// A call not answered in this time counts as failed and is asked again later.
constexpr std::chrono::seconds call_timeout{1};

}  // namespace keylume_players
