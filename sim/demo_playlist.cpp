#include "demo_playlist.h"

#include <string>

namespace keylume_sim {

namespace {

using keylume_players::playlist_entry;

playlist_entry demo_track(const char* title, const char* artist, const char* album, const char* date, double length,
                          const char* file) {
    playlist_entry entry;
    velvox_host::track_record& record = entry.track;
    record.path = std::string("/demo/") + file;
    record.file_name = file;
    if (title) record.tags.set("title", title);
    if (artist) record.tags.set("artist", artist);
    if (album) record.tags.set("album", album);
    if (date) record.tags.set("date", date);
    record.length_seconds = length;
    record.technical.codec = "MP3";
    record.technical.bitrate_kbps = 192;
    record.technical.sample_rate = 44100;
    record.technical.channels = 2;
    record.technical.mp3_stereo_mode = "joint stereo";
    return entry;
}

playlist_entry demo_station() {
    playlist_entry entry;
    velvox_host::track_record& record = entry.track;
    record.path = "http://radio.example/keylume";
    record.file_name = "keylume";
    record.tags.set("artist", "Radio Keylume");
    record.tags.set("album", "Live");
    record.tags.set("date", "2026");
    record.technical.codec = "MP3";
    record.technical.bitrate_kbps = 128;
    record.technical.mp3_stereo_mode = "stereo";
    entry.stream_titles = {
        {0, "Radio Keylume - station jingle"}, {6, "Nina Ray - Lanterns (live)"}, {20, "Zoë Brontë - Été indien"}};
    return entry;
}

}  // namespace

std::vector<playlist_entry> demo_playlist() {
    return {
        demo_track("Lanterns", "Nina Ray", "Small Hours", "2019", 184, "lanterns.mp3"),
        demo_track("A Very Long Title That Has To Run Across The Display As A Marquee", "The Long Names Orchestra",
                   "Overtures", "2021", 247, "long.mp3"),
        demo_track("Café Noir à Montréal", "Zoë Brontë", "Été", "2018", 203, "cafe.mp3"),
        demo_track("Звёздная ночь", "Ансамбль Мир", "Огни", "2015", 221, "zvezda.mp3"),
        demo_track("夜の光", "山田 花子", "東京", "2020", 198, "yoru.mp3"),
        demo_track(nullptr, "Unknown Artist", nullptr, nullptr, 95, "untagged_track.mp3"),
        demo_station(),
    };
}

}  // namespace keylume_sim
