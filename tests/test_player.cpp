// The player stand-in sends the playback events in a media player's order; a listener registered
// for every event writes down what arrives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "counted_service.h"
#include "player.h"

namespace {

using velvox_host::playlist_entry;

std::string title_of(const track_handle& handle) {
    const auto& host_handle = static_cast<const velvox_host::host_track_handle&>(handle);
    std::vector<std::string> titles = host_handle.record().tags.values("title");
    return titles.empty() ? host_handle.record().file_name : titles.front();
}

std::string title_of(const track_info& info) {
    std::vector<std::string> titles =
        static_cast<const velvox_host::host_track_info&>(info).record().tags.values("title");
    return titles.empty() ? "" : titles.front();
}

std::string number(double value) {
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
    void new_track(service_ptr_t<track_handle> track) override { add("new " + title_of(*track)); }
    void playback_stopped(uint32_t reason) override { add("stop " + std::to_string(reason)); }
    void position_sought(double seconds) override { add("seek " + number(seconds)); }
    void pause_changed(uint32_t state) override { add("pause " + std::to_string(state)); }
    void track_edited(service_ptr_t<track_handle> track) override { add("edited " + title_of(*track)); }
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

playlist_entry song(const std::string& title, double length) {
    playlist_entry entry;
    entry.track.file_name = title + ".mp3";
    entry.track.tags.set("title", title);
    entry.track.length_seconds = length;
    return entry;
}

playlist_entry station(std::vector<velvox_host::stream_title> titles) {
    playlist_entry entry;
    entry.track.file_name = "lumen.m3u";
    entry.track.tags.set("title", "Radio Lumen");
    entry.stream_titles = std::move(titles);
    return entry;
}

using events = std::vector<std::string>;

class Player : public ::testing::Test {
protected:
    void SetUp() override { registry->register_callback(&log, 0x3FF, false); }
    void TearDown() override { registry->unregister_callback(&log); }
    // Play time passing in the host's 100 ms steps.
    void run(int milliseconds) {
        for (int passed = 0; passed < milliseconds; passed += 100) player.advance(100);
    }

    service_ptr_t<velvox_host::host_playback_registry> registry =
        make_counted_service<velvox_host::host_playback_registry>();
    event_log log;
    velvox_host::player player{*registry, {song("One", 2.5), song("Two", 3)}};
};

TEST_F(Player, PlaysThroughThePlaylistWithATimeEventEverySecondAndNoStopBetweenTracks) {
    player.play(0);
    EXPECT_EQ(log.take(), (events{"starting 0 0", "new One"}));
    run(2400);
    EXPECT_EQ(log.take(), (events{"time 1", "time 2"}));
    EXPECT_DOUBLE_EQ(player.position(), 2.4);
    run(100);  // the end of the track: the next begins at once
    EXPECT_EQ(log.take(), (events{"starting 0 0", "new Two"}));
    EXPECT_EQ(player.index(), 1u);
    run(3000);
    EXPECT_EQ(log.take(), (events{"time 1", "time 2", "stop 1"}));
    EXPECT_FALSE(player.playing());
    run(5000);
    EXPECT_EQ(log.take(), events{});
}

TEST_F(Player, RepeatingGoesBackToTheFirstTrack) {
    velvox_host::player looping(*registry, {song("One", 1)}, true);
    looping.play(0);
    log.take();
    for (int i = 0; i < 10; ++i) looping.advance(100);
    EXPECT_EQ(log.take(), (events{"starting 0 0", "new One"}));
    EXPECT_TRUE(looping.playing());
}

TEST_F(Player, ChoosingAnotherTrackStopsTheCurrentOneFirstAndWrapsAround) {
    player.play(0);
    player.next();
    player.next();
    player.previous();
    EXPECT_EQ(log.take(), (events{"starting 0 0", "new One", "stop 2", "starting 0 0", "new Two", "stop 2",
                                  "starting 0 0", "new One", "stop 2", "starting 0 0", "new Two"}));
}

TEST_F(Player, PauseHoldsThePlayTime) {
    player.play(1);
    run(500);
    player.toggle_pause();
    player.set_paused(true);  // already paused: no second event
    run(5000);
    EXPECT_DOUBLE_EQ(player.position(), 0.5);
    player.toggle_pause();
    run(500);
    EXPECT_EQ(log.take(), (events{"starting 0 0", "new Two", "pause 1", "pause 0", "time 1"}));
}

TEST_F(Player, SeekMovesThePositionAndTimeEventsGoOnFromThere) {
    player.play(0);
    player.seek(1.5);
    run(500);
    player.seek(-4);   // held to the start
    player.seek(2.5);  // the end: on to the next track, as playing to the end does
    EXPECT_EQ(log.take(),
              (events{"starting 0 0", "new One", "seek 1.5", "time 2", "seek 0", "starting 0 0", "new Two"}));
}

TEST_F(Player, StopSendsItsReasonOnceAndPlayStartsAgain) {
    player.play(0);
    run(1000);
    player.stop();
    player.stop();
    player.toggle_pause();  // nothing plays: nothing to pause
    player.seek(1);
    EXPECT_DOUBLE_EQ(player.position(), 0);
    player.play(0);
    EXPECT_EQ(log.take(), (events{"starting 0 0", "new One", "time 1", "stop 0", "starting 0 0", "new One"}));
}

TEST_F(Player, EditingTheCurrentTrackSendsTheEditedTrack) {
    player.play(0);
    velvox_host::track_record edited = player.current().track;
    edited.tags.set("title", "One (live)");
    player.edit_current(edited);
    EXPECT_EQ(log.take(), (events{"starting 0 0", "new One", "edited One (live)"}));
    EXPECT_EQ(player.current_title(), "One (live)");
}

TEST_F(Player, StreamTitlesArriveAtTheirTimesAndAStreamHasNoEnd) {
    velvox_host::player radio(*registry, {station({{0, "Jingle"}, {2, "Night Bus"}, {2, "Morning"}})});
    radio.play(0);
    EXPECT_EQ(log.take(), (events{"starting 0 0", "new Radio Lumen", "stream track Jingle"}));
    EXPECT_EQ(radio.current_title(), "Jingle");
    radio.seek(100);  // a stream cannot be sought
    for (int i = 0; i < 20; ++i) radio.advance(100);
    EXPECT_EQ(log.take(), (events{"time 1", "time 2", "stream track Night Bus", "stream track Morning"}));
    for (int i = 0; i < 36000; ++i) radio.advance(100);
    EXPECT_TRUE(radio.playing());
    EXPECT_EQ(radio.current_title(), "Morning");
}

TEST(PlayerPlaylist, AnEmptyPlaylistIsRefused) {
    auto registry = make_counted_service<velvox_host::host_playback_registry>();
    EXPECT_THROW(velvox_host::player(*registry, {}), std::invalid_argument);
}

}  // namespace
