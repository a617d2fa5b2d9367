// What plays in the simulator, as the session's message loop and the keys drive it: the stand-in
// player over a playlist, or a real media player followed over MPRIS.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace keylume_sim {

// The time between two turns of the host's message loop, and between two frames.
constexpr unsigned tick_ms = 100;

class playback_driver {
public:
    virtual ~playback_driver() = default;
    // One turn of the host's message loop: tick `index`, 100 ms after the one before.
    virtual void tick(long index) = 0;
    virtual void toggle_pause() = 0;
    virtual void next() = 0;
    virtual void previous() = 0;
    virtual void seek_by(double seconds) = 0;
    // What the status line says about the playback.
    virtual std::string status() const = 0;
    // The title of what plays, as its source gives it; empty while nothing does.
    virtual std::string title() const = 0;
    // True when the playback runs on the wall clock: every run, bounded or not, then goes at real
    // speed, each tick paced by the wall clock, so that the component's tick count keeps time
    // with the player.
    virtual bool real_time() const = 0;

    // What a main loop watches to call poll() as soon as there is something to do: a descriptor
    // with its poll(2) events, and a time on CLOCK_MONOTONIC in microseconds (UINT64_MAX for
    // none). Empty for playback that has nothing to watch between ticks.
    struct poll_data {
        int fd;
        short events;
        uint64_t timeout_usec;
    };
    virtual std::optional<poll_data> watched() const { return std::nullopt; }
    // Handles what the watched descriptor or time announced. Never waits.
    virtual void poll() {}
};

// "Title  0:42 / 3:20 (paused)"; the length when it is above 0.
std::string playing_status(const std::string& title, double position, double length, bool paused);

}  // namespace keylume_sim
