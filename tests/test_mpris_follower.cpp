// The MPRIS follower in the host's loop, with the tests' own small player on a session bus of the
// test's own: it never waits for a player, keeps time from its estimate while a player is silent,
// applies a burst of changes once, and chooses players by preference. The follower's clock moves
// 100 ms a turn of the loop, whatever the wall clock does.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <thread>

#include "counted_service.h"
#include "mpris_follower.h"
#include "player_choice.h"
#include "support/playback_event_log.h"
#include "support/private_bus.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using events = std::vector<std::string>;
using keylume_players::follow_clock;

// How long a poll may take: it never waits for a player, so this is far above what it needs.
constexpr auto prompt = 20ms;

bool has_event_starting(const events& seen, const std::string& start) {
    return std::any_of(seen.begin(), seen.end(), [&](const std::string& event) { return event.starts_with(start); });
}

long count_starting(const events& seen, const std::string& start) {
    return std::count_if(seen.begin(), seen.end(), [&](const std::string& event) { return event.starts_with(start); });
}

TEST(PositionEstimate, MovesAtThePlayersRateWhilePlayingAndHoldsOtherwise) {
    keylume_players::position_estimate position;
    const follow_clock::time_point start{};
    position.set(10, start);
    EXPECT_DOUBLE_EQ(position.at(start + 2s), 10);  // not playing
    position.set_moving(true, start);
    position.set_rate(2, start);
    EXPECT_DOUBLE_EQ(position.at(start + 3s), 16);
    position.set_moving(false, start + 3s);
    EXPECT_DOUBLE_EQ(position.at(start + 10s), 16);
    position.set_length(17);
    position.set_moving(true, start + 10s);
    EXPECT_DOUBLE_EQ(position.at(start + 20s), 17);  // held to the length
}

// Whatever numbers a player sends for its rate and position, the estimate stays a number within
// 0..the longest play time, and its whole seconds convert without overflow.
TEST(PositionEstimate, HostileRatesAndPositionsGiveABoundedPosition) {
    using limits = std::numeric_limits<double>;
    const follow_clock::time_point start{};
    keylume_players::player_state player;
    player.take_properties(
        {{"PlaybackStatus", sdbus::Variant(std::string("Playing"))}, {"Position", sdbus::Variant(int64_t{10000000})}},
        start);
    for (double rate : {limits::quiet_NaN(), -limits::infinity(), -2.0})
        player.take_properties({{"Rate", sdbus::Variant(rate)}}, start);
    EXPECT_DOUBLE_EQ(player.position.at(start + 2s), 12) << "a rate that means nothing is ignored";
    for (double rate : {1e300, limits::infinity()})
        player.take_properties({{"Rate", sdbus::Variant(rate)}}, start + 2s);
    EXPECT_DOUBLE_EQ(player.position.at(start + 3s), 12 + keylume_players::position_estimate::fastest_rate);
    EXPECT_EQ(player.position.at(start + 1000000h), keylume_players::longest_play_seconds);
    player.take_properties({{"Position", sdbus::Variant(std::numeric_limits<int64_t>::min())}}, start);
    EXPECT_EQ(player.position.at(start), 0);
    player.take_seek(std::numeric_limits<int64_t>::max(), start);
    EXPECT_EQ(player.position.at(start), keylume_players::longest_play_seconds);
}

// The choice of player, over players' states alone.
class PlayerChoice : public ::testing::Test {
protected:
    keylume_players::player_state& add(int rank, keylume_players::playback_status status) {
        m_states.push_back(std::make_unique<keylume_players::player_state>());
        m_states.back()->rank = rank;
        m_states.back()->status = status;
        return *m_states.back();
    }
    const keylume_players::player_state* choose(const keylume_players::player_state* followed) {
        std::vector<keylume_players::player_state*> players;
        for (const auto& state : m_states) players.push_back(state.get());
        return keylume_players::choose_player(players, followed);
    }
    std::vector<std::unique_ptr<keylume_players::player_state>> m_states;
};

using status = keylume_players::playback_status;

TEST_F(PlayerChoice, AFollowedPlayerThatStopsGivesWay) {
    const auto& other = add(0, status::paused);
    auto& followed = add(0, status::playing);
    followed.status = status::stopped;
    EXPECT_EQ(choose(&followed), &other);
}

TEST_F(PlayerChoice, PreferenceComesBeforeStatus) {
    add(1, status::playing);
    const auto& preferred = add(0, status::paused);
    EXPECT_EQ(choose(nullptr), &preferred);
}

TEST_F(PlayerChoice, PlayingComesBeforePausedAmongEquals) {
    const auto& paused = add(0, status::paused);
    const auto& playing = add(0, status::playing);
    EXPECT_EQ(choose(&paused), &playing);
}

class Follower : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = fs::path(::testing::TempDir()) /
                   ("keylume-follower-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                    "-" + std::to_string(getpid()));
        fs::create_directories(m_folder);
        m_bus = std::make_unique<keylume_test::private_bus>(m_folder.string());
        m_registry->register_callback(&m_log, 0x3FF, false);
    }

    void TearDown() override {
        m_follower.reset();
        m_registry->unregister_callback(&m_log);
        for (pid_t player : m_players) keylume_test::end_program(player);
        m_bus.reset();
        fs::remove_all(m_folder);
    }

    pid_t start_player(std::vector<std::string> options) {
        options.insert(options.begin(), KEYLUME_BAD_PLAYER);
        m_players.push_back(keylume_test::start_program(
            options, (m_folder / ("player-" + std::to_string(m_players.size()) + ".log")).string()));
        return m_players.back();
    }

    void follow(std::vector<std::string> preferences = {}) {
        m_follower.reset();
        m_seen.clear();
        m_follower = std::make_unique<keylume_players::mpris_follower>(
            *m_registry, keylume_players::player_preferences(std::move(preferences)), [this] { return m_now; });
    }

    // One turn of the host's loop, 100 ms after the one before; the events it sent.
    events tick() {
        m_now += 100ms;
        m_follower->poll();
        events sent = m_log.take();
        m_seen.insert(m_seen.end(), sent.begin(), sent.end());
        return sent;
    }

    // Turns of the loop until `done` holds for the events seen so far, giving the players time to
    // answer between turns; false when it does not within 20 s.
    bool tick_until(const std::function<bool(const events&)>& done) {
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (std::chrono::steady_clock::now() < deadline) {
            tick();
            if (done(m_seen)) return true;
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }
    bool tick_until_event(const std::string& start) {
        return tick_until([&](const events& seen) { return has_event_starting(seen, start); });
    }

    fs::path m_folder;
    std::unique_ptr<keylume_test::private_bus> m_bus;
    service_ptr_t<velvox_host::host_playback_registry> m_registry =
        make_counted_service<velvox_host::host_playback_registry>();
    keylume_test::event_log m_log;
    std::unique_ptr<keylume_players::mpris_follower> m_follower;
    follow_clock::time_point m_now{};
    std::vector<pid_t> m_players;
    events m_seen;
};

TEST_F(Follower, APlayerSlowOnItsFirstAnswersIsFollowedOnceItAnswers) {
    follow();
    start_player({"--name", "late", "--title", "Lanterns", "--silent-for", "2"});
    ASSERT_TRUE(tick_until_event("new Lanterns")) << testing::PrintToString(m_seen);
    EXPECT_EQ(m_follower->followed(), "late");
}

TEST_F(Follower, ASilentPlayerCostsNoWaitAndTimeGoesOnFromTheEstimate) {
    follow();
    const pid_t player = start_player({"--name", "steady", "--title", "Lanterns"});
    ASSERT_TRUE(tick_until_event("time ")) << testing::PrintToString(m_seen);
    kill(player, SIGSTOP);
    int status = 0;
    ASSERT_EQ(waitpid(player, &status, WUNTRACED), player);
    for (int drain = 0; drain < 10; ++drain, std::this_thread::sleep_for(10ms)) m_follower->poll();
    m_log.take();

    // Six seconds: longer than the time between two reads of the position, which go out unanswered.
    long time_events = 0;
    for (int turn = 0; turn < 60; ++turn) {
        const auto before = std::chrono::steady_clock::now();
        const events sent = tick();
        EXPECT_LT(std::chrono::steady_clock::now() - before, prompt) << "turn " << turn;
        EXPECT_EQ(count_starting(sent, "time "), static_cast<long>(sent.size())) << testing::PrintToString(sent);
        time_events += static_cast<long>(sent.size());
    }
    EXPECT_EQ(time_events, 6);  // one a second

    kill(player, SIGCONT);
    for (int turn = 0; turn < 30; ++turn, std::this_thread::sleep_for(10ms)) {
        const auto before = std::chrono::steady_clock::now();
        const events sent = tick();
        EXPECT_LT(std::chrono::steady_clock::now() - before, prompt) << "turn " << turn;
        EXPECT_LE(sent.size(), 1u) << testing::PrintToString(sent);  // no burst once it answers again
    }
    EXPECT_EQ(m_follower->followed(), "steady");
}

// The player sends far more title changes between two turns than a poll dispatches: each turn
// takes at most its share of them (the titles are numbered), and sends one change.
TEST_F(Follower, AFloodOfChangesIsAppliedOncePerTurnAndOnlyAShareAtATime) {
    follow();
    start_player({"--name", "flood", "--title", "Lanterns", "--flood", "1000"});
    ASSERT_TRUE(tick_until_event("new Lanterns")) << testing::PrintToString(m_seen);
    auto title_number = [this] {
        const std::string title = m_follower->track().title();
        return title.size() > 9 ? std::stol(title.substr(9)) : 0L;  // "Lanterns N"
    };
    long title_changes = 0, last = title_number(), largest_step = 0;
    for (int turn = 0; turn < 20; ++turn, std::this_thread::sleep_for(20ms)) {
        const events sent = tick();
        EXPECT_LE(count_starting(sent, "stream track"), 1) << testing::PrintToString(sent);
        title_changes += count_starting(sent, "stream track");
        largest_step = std::max(largest_step, title_number() - last);
        last = title_number();
    }
    EXPECT_GT(title_changes, 0);
    EXPECT_LE(largest_step, keylume_players::mpris_follower::messages_per_poll);
}

// When the followed player leaves, the next one's first time is where it is by now: its estimate
// moved with the clock while another was followed (b is at 6 s when first read, and is followed
// three seconds of the follower's clock later). The follower's clock stands still while b's first
// answers come, however slow the machine is, so that they are read before those three seconds.
TEST_F(Follower, ANewlyFollowedPlayerShowsItsTimeNowFromTheFirstEvent) {
    const pid_t a = start_player({"--name", "a", "--title", "A Song", "--from", "30"});
    start_player({"--name", "b", "--title", "B Song", "--from", "6"});
    follow({"a", "b"});
    ASSERT_TRUE(tick_until_event("time 30")) << testing::PrintToString(m_seen);
    for (int turn = 0; turn < 200; ++turn, std::this_thread::sleep_for(10ms)) m_follower->poll();
    for (int turn = 0; turn < 30; ++turn) tick();
    kill(a, SIGKILL);
    ASSERT_TRUE(tick_until_event("new B Song")) << testing::PrintToString(m_seen);
    const auto switched = std::find(m_seen.begin(), m_seen.end(), "new B Song");
    const auto first_time =
        std::find_if(switched, m_seen.end(), [](const std::string& event) { return event.starts_with("time "); });
    ASSERT_NE(first_time, m_seen.end()) << testing::PrintToString(m_seen);
    EXPECT_GE(std::stod(first_time->substr(5)), 8) << testing::PrintToString(m_seen);
}

TEST_F(Follower, PreferencesComeBeforeWhetherAPlayerPlays) {
    start_player({"--name", "alpha", "--title", "Alpha Song"});
    start_player({"--name", "beta.instance7", "--title", "Beta Song", "--paused"});
    follow();  // any player: the one that plays
    ASSERT_TRUE(tick_until([&](const events&) { return m_follower->followed() == "alpha"; }));
    follow({"beta", "%any"});
    ASSERT_TRUE(tick_until([&](const events&) { return m_follower->followed() == "beta.instance7"; }));
    for (int turn = 0; turn < 30; ++turn, std::this_thread::sleep_for(10ms)) tick();
    EXPECT_EQ(m_follower->followed(), "beta.instance7");  // once both have answered too
    EXPECT_TRUE(has_event_starting(m_seen, "new Beta Song")) << testing::PrintToString(m_seen);
}

}  // namespace
