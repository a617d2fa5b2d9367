#include "follow_driver.h"

namespace keylume_sim {

// "mpv: Title  0:42 / 3:20 (paused)"; before a player appears, what is waited for.
std::string follow_driver::status() const {
    if (!m_follower.connected()) return "waiting for the session bus";
    const std::string player = m_follower.followed();
    if (player.empty()) {
        const std::string wanted = m_follower.wanted().text();
        return wanted.empty() ? "waiting for a player" : "waiting for a player (" + wanted + ")";
    }
    if (m_follower.stopped()) return player + ": stopped";
    return player + ": " +
           playing_status(m_follower.track().title(), static_cast<double>(m_follower.position()),
                          m_follower.track().record.length_seconds, m_follower.paused());
}

std::optional<playback_driver::poll_data> follow_driver::watched() const {
    const std::optional<sdbus::IConnection::PollData> bus = m_follower.poll_data();
    if (!bus) return std::nullopt;
    return poll_data{bus->fd, bus->events, bus->timeout_usec};
}

}  // namespace keylume_sim
