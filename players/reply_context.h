// What the replies to the follower's calls are handled with: the time of the poll that dispatches
// them, and the containment of their failures, which must not unwind into sd-bus.
#pragma once

#include <functional>

#include "follow_clock.h"

namespace keylume_players {

struct reply_context {
    const follow_clock::time_point& now;
    std::function<void(const std::function<void()>&)> contained;
};

}  // namespace keylume_players
