// A player's play position between two reads: MPRIS does not signal the position as it moves, so
// it is read now and then and moves on with the clock at the player's rate while it plays.
#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>

#include "follow_clock.h"

namespace keylume_players {

// The longest play time taken from a player, about 31 years: lengths and positions beyond it are
// held to it, so that whole seconds always fit the host's numbers.
constexpr double longest_play_seconds = 1e9;

class position_estimate {
public:
    // A reading: the player was at `seconds` at `now`, held to 0..longest_play_seconds; a
    // reading that is not a number is ignored.
    void set(double seconds, follow_clock::time_point now) {
        if (std::isnan(seconds)) return;
        m_seconds = std::clamp(seconds, 0.0, longest_play_seconds);
        m_read_at = now;
        m_known = true;
    }
    // Playing or not from `now` on; the position reached so far is kept.
    void set_moving(bool moving, follow_clock::time_point now) { rebase(now), m_moving = moving; }
    // Play rate from `now` on (1 is normal speed), held to fastest_rate; a rate that is not a
    // number, or below 0, means nothing and is ignored.
    void set_rate(double rate, follow_clock::time_point now) {
        if (rate >= 0) rebase(now), m_rate = std::min(rate, fastest_rate);
    }

    bool known() const { return m_known; }
    // Where the player is at `now`, held to 0..length when the length is above 0.
    double at(follow_clock::time_point now) const {
        double seconds = m_seconds;
        if (m_moving) seconds += std::chrono::duration<double>(now - m_read_at).count() * m_rate;
        seconds = std::max(seconds, 0.0);
        return std::min(seconds, m_length > 0 ? m_length : longest_play_seconds);
    }
    // The track's length; 0 or less (or not a number) when it is not known.
    void set_length(double seconds) { m_length = seconds > 0 ? std::min(seconds, longest_play_seconds) : 0; }

    // Faster than any player plays; a higher rate is held to it.
    static constexpr double fastest_rate = 100;

private:
    void rebase(follow_clock::time_point now) {
        if (m_known) m_seconds = at(now);
        m_read_at = now;
    }

    double m_seconds = 0;
    follow_clock::time_point m_read_at{};
    double m_rate = 1;
    double m_length = 0;
    bool m_moving = false;
    bool m_known = false;
};

}  // namespace keylume_players
