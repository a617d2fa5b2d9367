// The player stand-in sends the playback events in a media player's order; a listener registered
// for every event writes down what arrives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "counted_service.h"
#include "player.h"
#include "support/playback_event_log.h"

namespace {

using keylume_players::playlist_entry;
using keylume_test::event_log;

playlist_entry song(const std::string& title, double length) {
    playlist_entry entry;
    entry.track.file_name = title + ".mp3";
    entry.track.tags.set("title", title);
    entry.track.length_seconds = length;
    return entry;
}

playlist_entry station(std::vector<keylume_players::stream_title> titles) {
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
    keylume_players::player player{*registry, {song("One", 2.5), song("Two", 3)}};
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
    keylume_players::player looping(*registry, {song("One", 1)}, true);
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
    keylume_players::player radio(*registry, {station({{0, "Jingle"}, {2, "Night Bus"}, {2, "Morning"}})});
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
    EXPECT_THROW(keylume_players::player(*registry, {}), std::invalid_argument);
}

}  // namespace
