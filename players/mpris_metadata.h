// The track a media player describes over MPRIS: its Metadata map turned into the host's track
// record. Players send what they like, so every entry is checked for its type; an entry of an
// unexpected type is left out, as a missing one is.
#pragma once

#include <sdbus-c++/sdbus-c++.h>

#include <map>
#include <string>
#include <string_view>

#include "track_info.h"

namespace keylume_players {

using mpris_metadata = std::map<std::string, sdbus::Variant>;

struct mpris_track {
    std::string track_id;  // mpris:trackid; empty when not sent
    std::string url;       // xesam:url; empty when not sent
    velvox_host::track_record record;

    // The same track of the player: the same track id and the same URL.
    bool same_track(const mpris_track& other) const { return track_id == other.track_id && url == other.url; }
    std::string title() const;
};

// The fields the host formats come from these entries:
//   xesam:title, xesam:album, xesam:genre (one value or several), xesam:artist and
//   xesam:albumArtist (several values) become title, album, genre, artist and albumartist;
//   xesam:trackNumber, xesam:discNumber become tracknumber, discnumber;
//   xesam:contentCreated (an ISO 8601 date) gives date, its year;
//   mpris:length (microseconds) gives the length, unknown (below 0) when not sent or not above 0,
//   held to longest_play_seconds;
//   xesam:url gives the path and the file name (see path_of_url).
// Texts are cut at max_text_bytes, the most a template evaluation gives, at a character boundary.
mpris_track track_from_metadata(const mpris_metadata& metadata);

// The path of a file URL (file:///path, file://host/path or file:/path, the scheme in any case)
// with its %XX escapes decoded, except those that would not give valid UTF-8 or would give a NUL:
// they stay as written. Any other URL as it is.
std::string path_of_url(std::string_view url);

}  // namespace keylume_players
