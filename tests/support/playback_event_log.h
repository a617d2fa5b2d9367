// A listener registered for every playback event that writes down what arrives, as text:
// "new Title", "time 3", "pause 1", ...
#pragma once

#include <string>
#include <vector>

#include "playback_host.h"

namespace keylume_test {

inline std::string title_of(const track_handle& handle) {
    const auto& host_handle = static_cast<const velvox_host::host_track_handle&>(handle);
    std::vector<std::string> titles = host_handle.record().tags.values("title");
    return titles.empty() ? host_handle.record().file_name : titles.front();
}

inline std::string title_of(const track_info& info) {
    std::vector<std::string> titles =
        static_cast<const velvox_host::host_track_info&>(info).record().tags.values("title");
    return titles.empty() ? "" : titles.front();
}

inline std::string number(double value) {
    std::string text = std::to_string(value);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
    return text;
}

class event_log : public play_callback {
public:
    void playback_starting(uint32_t command, uint32_t paused) override {
        add("starting " + std::to_string(command) + " " + std::to_string(paused));
    }
    void new_track(track_argument track) override {
        add("new " + title_of(*service_ptr_t<track_handle>::adopt(track)));
    }
    void playback_stopped(uint32_t reason) override { add("stop " + std::to_string(reason)); }
    void position_sought(double seconds) override { add("seek " + number(seconds)); }
    void pause_changed(uint32_t state) override { add("pause " + std::to_string(state)); }
    void track_edited(track_argument track) override {
        add("edited " + title_of(*service_ptr_t<track_handle>::adopt(track)));
    }
    void stream_info_changed(const track_info& info) override { add("stream " + title_of(info)); }
    void stream_track_info_changed(const track_info& info) override { add("stream track " + title_of(info)); }
    void time_advanced(double seconds) override { add("time " + number(seconds)); }
    void volume_changed(uint32_t volume) override { add("volume " + std::to_string(volume)); }

    // The events since the last call.
    std::vector<std::string> take() { return std::move(m_events); }

private:
    void add(std::string event) { m_events.push_back(std::move(event)); }
    std::vector<std::string> m_events;
};

}  // namespace keylume_test
