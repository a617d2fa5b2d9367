#include "player_state.h"

namespace keylume_players {

namespace {

double seconds_of(int64_t microseconds) { return static_cast<double>(microseconds) / 1e6; }

}  // namespace

void player_state::take_properties(const mpris_metadata& properties, follow_clock::time_point now) {
    auto status_entry = properties.find("PlaybackStatus");
    const playback_status now_status =
        status_entry == properties.end() ? playback_status::unknown : status_of(status_entry->second);
    if (now_status != playback_status::unknown && now_status != status) {
        started_playing = now_status == playback_status::playing;
        status = now_status;
        status_changed = true;
        // Every player's estimate moves while it plays, so that one followed later shows its time.
        position.set_moving(status == playback_status::playing, now);
    }
    auto metadata = properties.find("Metadata");
    if (metadata != properties.end() && metadata->second.containsValueOfType<mpris_metadata>()) {
        mpris_track described = track_from_metadata(metadata->second.get<mpris_metadata>());
        if (!described.same_track(track)) position.set(0, now);
        position.set_length(described.record.length_seconds);
        track = std::move(described);
        track_changed = true;
    }
    auto rate = properties.find("Rate");
    if (rate != properties.end() && rate->second.containsValueOfType<double>())
        position.set_rate(rate->second.get<double>(), now);
    auto position_entry = properties.find("Position");
    if (position_entry != properties.end() && position_entry->second.containsValueOfType<int64_t>())
        position.set(seconds_of(position_entry->second.get<int64_t>()), now);
}

void player_state::take_seek(int64_t microseconds, follow_clock::time_point now) {
    position.set(seconds_of(microseconds), now);
    seeked = true;
}

playback_status status_of(const sdbus::Variant& value) {
    if (!value.containsValueOfType<std::string>()) return playback_status::unknown;
    const std::string status = value.get<std::string>();
    if (status == "Playing") return playback_status::playing;
    if (status == "Paused") return playback_status::paused;
    if (status == "Stopped") return playback_status::stopped;
    return playback_status::unknown;
}

}  // namespace keylume_players
