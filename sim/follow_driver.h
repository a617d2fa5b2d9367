// A real media player followed over MPRIS in the simulator: its playback reaches the component
// as the host's events, and the player keys go to it as MPRIS commands.
#pragma once

#include <string>
#include <vector>

#include "mpris_follower.h"
#include "playback_driver.h"

namespace keylume_sim {

class follow_driver : public playback_driver {
public:
    // `players`: the players wanted, in order of preference; none for any. tick() throws
    // keylume_players::mpris_error when the session bus cannot be reached or is lost.
    follow_driver(velvox_host::host_playback_registry& registry, const std::vector<std::string>& players)
        : m_follower(registry, keylume_players::player_preferences(players)) {}
    void tick(long) override { m_follower.poll(); }
    void toggle_pause() override { m_follower.play_pause(); }
    void next() override { m_follower.next(); }
    void previous() override { m_follower.previous(); }
    void seek_by(double seconds) override { m_follower.seek_by(seconds); }
    std::string status() const override;
    std::string title() const override {
        return m_follower.followed().empty() ? std::string() : m_follower.track().title();
    }
    bool real_time() const override { return true; }
    std::optional<poll_data> watched() const override;
    void poll() override { m_follower.poll(); }

private:
    keylume_players::mpris_follower m_follower;
};

}  // namespace keylume_sim
