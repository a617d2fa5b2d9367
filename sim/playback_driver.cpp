#include "playback_driver.h"

#include "track_info.h"

namespace keylume_sim {

std::string playing_status(const std::string& title, double position, double length, bool paused) {
    std::string line = title + "  " + velvox_host::minutes_seconds(position);
    if (length > 0) line += " / " + velvox_host::minutes_seconds(length);
    if (paused) line += " (paused)";
    return line;
}

}  // namespace keylume_sim
