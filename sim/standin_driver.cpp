#include "standin_driver.h"

namespace keylume_sim {

void standin_driver::tick(long index) {
    if (index == splash_ticks) m_player.play(0);
    if (index > splash_ticks) m_player.advance(tick_ms);
}

void standin_driver::seek_by(double seconds) {
    const double target = m_player.position() + seconds;
    m_player.seek(target < 0 ? 0 : target);
}

std::string standin_driver::status() const {
    if (!m_player.playing()) return "stopped";
    const bool stream = !m_player.current().stream_titles.empty();
    return playing_status(m_player.current_title(), m_player.position(),
                          stream ? 0 : m_player.current().track.length_seconds, m_player.paused());
}

}  // namespace keylume_sim
