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

}  // namespace keylume_sim
