#include "playback_bridge.h"

#include <utility>

#include "playlist.h"

namespace keylume_players {

using velvox_host::host_track_info;
using velvox_host::make_track_handle;

playback_bridge::playback_bridge(velvox_host::host_playback_registry& registry)
    : m_registry(registry), m_track(track_from_metadata({})) {}

void playback_bridge::follow(player_state* player) {
    if (player == m_followed) return;
    if (!stopped())
        m_registry.playback_stopped(player ? velvox_host::stopped_for_another : velvox_host::stopped_by_user);
    m_followed = player;
    m_status = playback_status::stopped;
    m_second = -1;
    m_track = player ? player->track : track_from_metadata({});
    if (!player) return;
    player->track_changed = player->status_changed = player->seeked = false;
    take_status(player->status);
}

void playback_bridge::apply_changes(follow_clock::time_point now) {
    if (!m_followed) return;
    player_state& player = *m_followed;
    if (std::exchange(player.track_changed, false)) take_track(player.track);
    if (std::exchange(player.status_changed, false)) take_status(player.status);
    if (std::exchange(player.seeked, false) && !stopped()) {
        const double seconds = player.position.at(now);
        m_second = static_cast<int64_t>(seconds);
        m_registry.position_sought(seconds);
    }
    send_time_event(now);
}

bool playback_bridge::take_position_wanted() { return std::exchange(m_position_wanted, false); }

void playback_bridge::take_track(const mpris_track& track) {
    if (stopped() || !track.same_track(m_track)) {
        m_track = track;
        if (stopped()) return;
        m_second = -1;
        m_position_wanted = true;
        m_registry.new_track(make_track_handle(m_track.record));
        return;
    }
    if (track.record == m_track.record) return;
    const std::string title = track.title();
    const bool title_only = with_stream_title(m_track.record, title) == with_stream_title(track.record, title);
    m_track = track;
    if (title_only)
        m_registry.stream_track_info_changed(host_track_info(m_track.record));
    else
        m_registry.track_edited(make_track_handle(m_track.record));
}

void playback_bridge::take_status(playback_status status) {
    if (status == playback_status::unknown || status == m_status) return;
    const bool was_stopped = stopped();
    m_status = status;
    m_position_wanted = true;
    if (status == playback_status::stopped) {
        m_second = -1;
        if (!was_stopped) m_registry.playback_stopped(velvox_host::stopped_by_user);
    } else if (was_stopped) {
        m_second = -1;
        m_registry.playback_starting(0, paused() ? 1 : 0);
        m_registry.new_track(make_track_handle(m_track.record));
    } else {
        m_registry.pause_changed(paused() ? 1 : 0);
    }
}

// A time event at every whole second the followed player's position passes, from its estimate.
void playback_bridge::send_time_event(follow_clock::time_point now) {
    if (!m_followed || stopped() || !m_followed->position.known()) return;
    const int64_t second = static_cast<int64_t>(m_followed->position.at(now));
    if (second == m_second) return;
    m_second = second;
    m_registry.time_advanced(static_cast<double>(second));
}

}  // namespace keylume_players
