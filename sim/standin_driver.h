// The stand-in player playing a playlist in the simulator: the splash view first, then the first
// track, with play time passing one tick at a time.
#pragma once

#include <vector>

#include "playback_driver.h"
#include "player.h"

namespace keylume_sim {

// Ticks of splash view before the first track starts.
constexpr long splash_ticks = 20;

class standin_driver : public playback_driver {
public:
    // Throws std::invalid_argument for an empty playlist.
    standin_driver(velvox_host::host_playback_registry& registry, std::vector<keylume_players::playlist_entry> playlist,
                   bool repeat)
        : m_player(registry, std::move(playlist), repeat) {}
    void tick(long index) override;
    void toggle_pause() override { m_player.toggle_pause(); }
    void next() override { m_player.next(); }
    void previous() override { m_player.previous(); }
    void seek_by(double seconds) override;
    std::string status() const override;
    std::string title() const override { return m_player.playing() ? m_player.current_title() : std::string(); }
    bool real_time() const override { return false; }

private:
    keylume_players::player m_player;
};

}  // namespace keylume_sim
