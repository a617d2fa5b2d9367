// What plays in the simulator, as the session's message loop and the keys drive it: the stand-in
// player over a playlist, or a real media player followed over MPRIS.
#pragma once

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
    // True when the playback runs on the wall clock: every run, bounded or not, then goes at real
    // speed, each tick paced by the wall clock, so that the component's tick count keeps time
    // with the player.
    virtual bool real_time() const = 0;
};

// "Title  0:42 / 3:20 (paused)"; the length when it is above 0.
std::string playing_status(const std::string& title, double position, double length, bool paused);

}  // namespace keylume_sim
