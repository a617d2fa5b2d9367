// A player's play position between two reads: MPRIS does not signal the position as it moves, so
// it is read now and then and moves on with the clock at the player's rate while it plays.
#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>

namespace velvox_host {

using follow_clock = std::chrono::steady_clock;

class position_estimate {
public:
    // A reading: the player was at `seconds` at `now`.
    void set(double seconds, follow_clock::time_point now) {
        m_seconds = std::max(seconds, 0.0);
        m_read_at = now;
        m_known = true;
    }
    // Playing or not from `now` on; the position reached so far is kept.
    void set_moving(bool moving, follow_clock::time_point now) { rebase(now), m_moving = moving; }
    // Play rate from `now` on (1 is normal speed); a rate that is not a finite number is ignored.
    void set_rate(double rate, follow_clock::time_point now) {
        if (std::isfinite(rate)) rebase(now), m_rate = rate;
    }

    bool known() const { return m_known; }
    // Where the player is at `now`, held to 0..length when the length is above 0.
    double at(follow_clock::time_point now) const {
        double seconds = m_seconds;
        if (m_moving) seconds += std::chrono::duration<double>(now - m_read_at).count() * m_rate;
        seconds = std::max(seconds, 0.0);
        return m_length > 0 ? std::min(seconds, m_length) : std::min(seconds, longest);
    }
    void set_length(double seconds) { m_length = seconds; }

private:
    // A bound for tracks without a length, far above any play time, so whole seconds always fit.
    static constexpr double longest = 1e9;

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

}  // namespace velvox_host
