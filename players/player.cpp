#include "player.h"

#include <cmath>
#include <stdexcept>

namespace keylume_players {

using velvox_host::host_playback_registry;
using velvox_host::host_track_info;
using velvox_host::make_track_handle;
using velvox_host::stopped_at_end;
using velvox_host::stopped_by_user;
using velvox_host::stopped_for_another;
using velvox_host::track_record;

namespace {

uint64_t milliseconds_of(double seconds) {
    return seconds > 0 ? static_cast<uint64_t>(std::llround(seconds * 1000)) : 0;
}

}  // namespace

player::player(host_playback_registry& registry, std::vector<playlist_entry> playlist, bool repeat)
    : m_registry(registry), m_playlist(std::move(playlist)), m_repeat(repeat) {
    if (m_playlist.empty()) throw std::invalid_argument("the player was given an empty playlist");
}

void player::play(size_t index) {
    if (m_playing) m_registry.playback_stopped(stopped_for_another);
    m_index = index % m_playlist.size();
    m_playing = true;
    m_paused = false;
    m_position_ms = 0;
    m_titles_sent = 0;
    m_registry.playback_starting(0, 0);
    m_registry.new_track(make_track_handle(current().track));
    send_due_stream_titles();
}

void player::next() { play(m_index + 1); }

void player::previous() { play(m_index + m_playlist.size() - 1); }

void player::set_paused(bool paused) {
    if (!m_playing || paused == m_paused) return;
    m_paused = paused;
    m_registry.pause_changed(paused ? 1 : 0);
}

void player::seek(double seconds) {
    if (!m_playing || is_stream() || length_ms() == 0) return;
    uint64_t target = milliseconds_of(seconds);
    if (target >= length_ms()) {
        finish_track();
        return;
    }
    m_position_ms = target;
    m_registry.position_sought(position());
}

void player::stop() {
    if (!m_playing) return;
    m_playing = false;
    m_paused = false;
    m_position_ms = 0;
    m_registry.playback_stopped(stopped_by_user);
}

void player::edit_current(track_record edited) {
    m_playlist[m_index].track = std::move(edited);
    m_registry.track_edited(make_track_handle(current().track));
}

void player::advance(uint32_t milliseconds) {
    if (!m_playing || m_paused) return;
    uint64_t before = m_position_ms;
    m_position_ms += milliseconds;
    if (length_ms() != 0 && m_position_ms >= length_ms()) {
        finish_track();
        return;
    }
    if (m_position_ms / 1000 != before / 1000) m_registry.time_advanced(static_cast<double>(m_position_ms / 1000));
    send_due_stream_titles();
}

std::string player::current_title() const {
    if (m_titles_sent > 0) return current().stream_titles[m_titles_sent - 1].title;
    std::vector<std::string> titles = current().track.tags.values("title");
    return titles.empty() ? current().track.file_name : titles.front();
}

uint64_t player::length_ms() const { return is_stream() ? 0 : milliseconds_of(current().track.length_seconds); }

// Playing to the end goes on to the next track without a stop in between, as gapless playback does.
void player::finish_track() {
    if (m_index + 1 < m_playlist.size() || m_repeat) {
        m_playing = false;  // the next track follows; this one is not stopped
        next();
        return;
    }
    m_playing = false;
    m_paused = false;
    m_position_ms = 0;
    m_registry.playback_stopped(stopped_at_end);
}

void player::send_due_stream_titles() {
    const std::vector<stream_title>& titles = current().stream_titles;
    while (m_titles_sent < titles.size() && milliseconds_of(titles[m_titles_sent].at_seconds) <= m_position_ms) {
        host_track_info info(with_stream_title(current().track, titles[m_titles_sent].title));
        ++m_titles_sent;
        m_registry.stream_track_info_changed(info);
    }
}

}  // namespace keylume_players
