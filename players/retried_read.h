// A read from a player that is asked again until it is answered: one call at a time, and after a
// call that fails or is not answered in time the next one waits, longer after each failure.
#pragma once

#include <algorithm>
#include <chrono>

#include "follow_clock.h"

namespace keylume_players {

class retried_read {
public:
    static constexpr std::chrono::milliseconds first_wait{250};
    static constexpr std::chrono::milliseconds longest_wait{4000};

    // Asks for the read as soon as no call is out.
    void want() { m_wanted = true; }
    // Whether a call is to be sent at `now`.
    bool due(follow_clock::time_point now) const { return m_wanted && !m_in_flight && now >= m_retry_at; }
    void sent() { m_in_flight = true, m_wanted = false; }
    void answered() { m_in_flight = false, m_failures = 0; }
    void failed(follow_clock::time_point now) {
        m_in_flight = false;
        m_wanted = true;
        m_retry_at =
            now + std::min<std::chrono::milliseconds>(first_wait * (1 << std::min(m_failures, 8)), longest_wait);
        ++m_failures;
    }

private:
    bool m_wanted = false;
    bool m_in_flight = false;
    int m_failures = 0;
    follow_clock::time_point m_retry_at{};
};

}  // namespace keylume_players
