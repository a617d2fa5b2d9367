// The whole display from the host's side: the host stand-in loads the component library, starts
// it, plays, and the frames that reach the LCD Manager stand-in are checked pixel by pixel. Time
// comes from the virtual clock, and the component's 100 ms timer fires from the host's pump.
#include <gtest/gtest.h>

#include <algorithm>

#include "player.h"
#include "support/component_on_host.h"
#include "support/frame_rows.h"

using keylume_test::frame_rows;
using keylume_test::rows;

namespace {

velvox_host::track_record track(const std::string& title, double length, const std::string& file = "song.mp3") {
    return keylume_test::sample_track(title, length, file);
}

using PlaybackEndToEnd = keylume_test::component_on_host;

TEST_F(PlaybackEndToEnd, StartsWithTheSplashViewUnderItsApplicationName) {
    start();
    EXPECT_EQ(registry->registered(), 1u);
    const LcdBitmap& frame = tick();
    EXPECT_EQ(last_priority(), 128u);
    const lcd_server_connection* connection = server.control().last_connection();
    ASSERT_NE(connection, nullptr);
    EXPECT_EQ(std::basic_string<WCHAR>(connection->application_name), WSTR("Velvox LCD Display"));
    // The picture at columns 5-30, nothing left of it, the two texts to its right.
    EXPECT_EQ(keylume_test::lit_pixels(frame) > 0, true);
    for (const std::string& row : frame_rows(frame, 0, 0, 5, 43)) EXPECT_EQ(row, ".....");
    int picture = 0, texts = 0;
    for (const std::string& row : frame_rows(frame, 5, 0, 31, 41))
        picture += static_cast<int>(std::count(row.begin(), row.end(), '#'));
    for (const std::string& row : frame_rows(frame, 31, 6, 160, 36))
        texts += static_cast<int>(std::count(row.begin(), row.end(), '#'));
    EXPECT_GT(picture, 50);
    EXPECT_GT(texts, 50);
    EXPECT_EQ(frame_rows(frame, 0, 41, 160, 43), rows(2, std::string(160, '.')));
}

TEST_F(PlaybackEndToEnd, FirstTrackShowsThePlaybackViewAtTheNextTick) {
    start();
    tick();
    registry->new_track(velvox_host::make_track_handle(track("Short", 200)));
    const LcdBitmap& frame = tick();
    // The progress bar: outline at rows 39 and 42, cursor at the left end.
    rows bar = frame_rows(frame, 0, 39, 160, 43);
    EXPECT_EQ(bar[0], std::string(160, '#'));
    EXPECT_EQ(bar[3], std::string(160, '#'));
    EXPECT_EQ(bar[1], "######" + std::string(153, '.') + "#");
    // A short title stands centred and still.
    rows first = line(frame, 0);
    size_t left = 160, right = 0;
    for (const std::string& row : first)
        if (row.find('#') != std::string::npos) {
            left = std::min(left, row.find('#'));
            right = std::max(right, row.rfind('#'));
        }
    EXPECT_GT(left, 60u);
    EXPECT_LT(right, 100u);
    EXPECT_NEAR(static_cast<double>(left + right) / 2, 79.5, 3);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(line(tick(), 0), first);
}

TEST_F(PlaybackEndToEnd, LongLineStartsMovingAfterTheStartPauseThenEightPixelsEveryFourTicks) {
    start();
    registry->new_track(velvox_host::make_track_handle(
        track("A title much too long to fit on the keyboard's little display at all", 200)));
    std::vector<rows> lines;
    for (int i = 0; i < 40; ++i) lines.push_back(line(tick(), 0));
    int first_move = 0;
    for (int i = 1; i < 40 && !first_move; ++i)
        if (lines[i] != lines[i - 1]) first_move = i;
    // More than 1000 ms of start pause after the text was set.
    EXPECT_GE(first_move, 11);
    EXPECT_LE(first_move, 16);
    for (int i = first_move + 1; i < 40; ++i) {
        bool moves = (i - first_move) % 4 == 0;
        EXPECT_EQ(lines[i] != lines[i - 1], moves) << "tick " << i;
        if (!moves) continue;
        for (size_t y = 0; y < 11; ++y)  // what was at x + 8 is now at x
            EXPECT_EQ(lines[i][y].substr(0, 150), lines[i - 1][y].substr(8, 150)) << "tick " << i << " row " << y;
    }
}

// Line 1's face, "Small Fonts", has no Cyrillic: the title is drawn with the fallback face in
// real letters, centred by their own width, not as a row of the face's default character.
TEST_F(PlaybackEndToEnd, CyrillicTitleIsDrawnInLettersOfTheFallbackFace) {
    start();
    registry->new_track(velvox_host::make_track_handle(track("Звёздная ночь", 200)));
    const LcdBitmap& frame = tick();
    const rows letters{
        "................................................................",
        "................................................................",
        "..##........#.#.................................................",
        ".#..#...........................................................",
        "....#.###...##..##....##.#..#..##...###....#..#..##..#..#.#.....",
        "...#..#..#.#..#...#..#.#.#..#....#.#..#....#..#.#..#.#..#.#.....",
        "....#.###..####..#...#.#.####..###..###....####.#..#..###.###...",
        ".#..#.#..#.#......#..#.#.#..#.#..#..#.#....#..#.#..#....#.#..#..",
        "..##..###...###.##..######..#..###.#..#....#..#..##.....#.###...",
        "....................#...#.......................................",
        "................................................................",
    };
    EXPECT_EQ(frame_rows(frame, 48, 0, 112, 11), letters);
    EXPECT_EQ(frame_rows(frame, 0, 0, 48, 11), rows(11, std::string(48, '.')));
    EXPECT_EQ(frame_rows(frame, 112, 0, 160, 11), rows(11, std::string(48, '.')));
}

TEST_F(PlaybackEndToEnd, SoftButtonSelectsItsScreenAtTheFollowingTick) {
    start();
    registry->new_track(velvox_host::make_track_handle(track("Short", 200)));
    const LcdBitmap& before = tick();
    rows artist_on_line_two = line(before, 1);
    server.control().press_buttons(0x2);  // the second soft button
    tick();                               // the press is read after this tick's frame went out
    server.control().release_buttons(0x2);
    EXPECT_EQ(line(tick(), 0), artist_on_line_two);  // screen 2 shows the artist first
}

TEST_F(PlaybackEndToEnd, StopShowsTheStartWithTheCountdownOfTheWholeTrack) {
    std::vector<setting_row> rows = setting_rows();
    rows[3].default_payload = {2, 0, 0, 0};  // right field: countdown
    store(rows);
    start();
    registry->new_track(velvox_host::make_track_handle(track("Short", 200)));
    registry->time_advanced(61);
    const LcdBitmap& playing = tick();
    registry->playback_stopped(0);
    const LcdBitmap& stopped = tick();
    // The time fields' rows below line 3 and above the bar change: 1:01 and -2:19 become 0:00
    // and -3:20; drawn by the component, they must match the same texts before any position.
    EXPECT_NE(frame_rows(stopped, 0, 33, 160, 39), frame_rows(playing, 0, 33, 160, 39));
    registry->new_track(velvox_host::make_track_handle(track("Short", 200)));  // 0:00 stays, -3:20 stays
    EXPECT_EQ(frame_rows(tick(), 0, 33, 160, 39), frame_rows(stopped, 0, 33, 160, 39));
}

TEST_F(PlaybackEndToEnd, TemplateThatDoesNotCompileShowsTheFileName) {
    std::vector<setting_row> rows = setting_rows();
    rows[4].default_payload = text_payload("$if(%title%");  // line 1: does not parse
    rows[5].default_payload = text_payload("%filename%");
    store(rows);
    start();
    registry->new_track(velvox_host::make_track_handle(track("Short", 200, "nocturne.flac")));
    const LcdBitmap& frame = tick();
    EXPECT_EQ(line(frame, 0), line(frame, 1));
    EXPECT_GT(keylume_test::lit_pixels(frame), 100);
}

TEST_F(PlaybackEndToEnd, StreamTitlesRenderTheLinesAgain) {
    start();
    velvox_host::track_record station = track("Radio Lumen", 0, "lumen.m3u");
    registry->new_track(velvox_host::make_track_handle(station));
    const LcdBitmap& before = tick();
    rows title_before = line(before, 0), artist_before = line(before, 1);
    velvox_host::track_record now_playing = station;
    now_playing.tags.set("title", "Night Bus");
    velvox_host::host_track_info info(now_playing);
    registry->stream_info_changed(info);
    const LcdBitmap& after = tick();
    EXPECT_NE(line(after, 0), title_before);
    EXPECT_EQ(line(after, 1), artist_before);
}

// The stored boost settings (on, 5 seconds) apply from start-up.
class BoostEndToEnd : public PlaybackEndToEnd {
protected:
    void SetUp() override {
        PlaybackEndToEnd::SetUp();
        std::vector<setting_row> rows = setting_rows();
        rows[0].default_payload = {1};
        rows[1].default_payload = {5, 0, 0, 0};
        store(rows);
        start();
        tick();
    }
    // The priorities of the frames of the next `count` ticks.
    std::vector<DWORD> priorities(int count) {
        std::vector<DWORD> sent;
        for (int i = 0; i < count; ++i) {
            tick();
            sent.push_back(last_priority());
        }
        return sent;
    }
};

TEST_F(BoostEndToEnd, TrackChangeSendsFiftyTicksAtTheBoostPriorityThenNormal) {
    EXPECT_EQ(last_priority(), 128u);
    registry->new_track(velvox_host::make_track_handle(track("Short", 200)));
    std::vector<DWORD> sent = priorities(52);
    EXPECT_EQ(std::vector<DWORD>(sent.begin(), sent.begin() + 50), std::vector<DWORD>(50, 255));
    EXPECT_EQ(sent[50], 128u);
    EXPECT_EQ(sent[51], 128u);
}

TEST_F(BoostEndToEnd, ASecondTrackChangeRestartsTheCount) {
    registry->new_track(velvox_host::make_track_handle(track("One", 200)));
    priorities(30);
    registry->new_track(velvox_host::make_track_handle(track("Two", 200)));
    std::vector<DWORD> sent = priorities(51);
    EXPECT_EQ(std::vector<DWORD>(sent.begin(), sent.begin() + 50), std::vector<DWORD>(50, 255));
    EXPECT_EQ(sent[50], 128u);
}

TEST_F(BoostEndToEnd, EditsSeeksAndStopsDoNotBoost) {
    registry->track_edited(velvox_host::make_track_handle(track("One", 200)));
    registry->position_sought(30);
    registry->playback_stopped(0);
    EXPECT_EQ(priorities(3), std::vector<DWORD>(3, 128));
}

TEST_F(PlaybackEndToEnd, WithoutTheBoostATrackChangeKeepsTheNormalPriority) {
    start();
    registry->new_track(velvox_host::make_track_handle(track("Short", 200)));
    tick();
    EXPECT_EQ(last_priority(), 128u);
}

TEST_F(PlaybackEndToEnd, ThePlayersPauseHoldsTheTimeFieldsAndItsSeekMovesTheBar) {
    start();
    keylume_players::playlist_entry entry;
    entry.track = track("Short", 200);
    keylume_players::player player(*registry, {entry});
    player.play(0);
    auto play_tick = [&]() -> const LcdBitmap& {
        player.advance(100);
        return tick();
    };
    auto times = [](const LcdBitmap& frame) { return frame_rows(frame, 0, 33, 160, 39); };
    for (int i = 0; i < 25; ++i) play_tick();
    rows at_two_and_a_half = times(play_tick());
    player.set_paused(true);
    for (int i = 0; i < 30; ++i) EXPECT_EQ(times(play_tick()), at_two_and_a_half);
    player.set_paused(false);
    for (int i = 0; i < 4; ++i) play_tick();
    EXPECT_NE(times(play_tick()), at_two_and_a_half);  // 3 s

    player.seek(100);
    std::string bar = frame_rows(play_tick(), 0, 40, 160, 41)[0];
    size_t cursor = bar.find("#####", 1);
    ASSERT_NE(cursor, std::string::npos);
    EXPECT_NEAR(static_cast<double>(cursor), 77, 3);  // half of the bar's travel
}

TEST_F(PlaybackEndToEnd, ShutDownClosesEverythingAndUnregisters) {
    start();
    tick();
    EXPECT_EQ(server.control().open_devices(), 1u);
    hooks().on_shutdown();
    started = false;
    EXPECT_EQ(registry->registered(), 0u);
    EXPECT_EQ(server.control().open_devices(), 0u);
    EXPECT_EQ(server.control().open_connections(), 0u);
    clock.advance(100);
    EXPECT_EQ(clock.run_due_timers(), 0);  // the timer is gone
}

}  // namespace
