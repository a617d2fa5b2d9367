// The cost of following a real player, per tick of the host's loop: polls of the MPRIS follower
// with the tests' own small player playing on a private session bus, for instruction counts under
// callgrind (only the measured polls are collected: run with --collect-atstart=no) and heap
// allocation counts. Between polls the player has a millisecond to answer the position reads,
// which go out every five seconds of the follower's clock (50 ticks). Prints
// "follow <count> allocations <n>", n being "-" where allocations cannot be counted.
#include <valgrind/callgrind.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "counted_service.h"
#include "mpris_follower.h"
#include "profile_allocations.h"
#include "support/private_bus.h"

int main(int argc, char** argv) {
    char* end = nullptr;
    const long count = argc == 2 ? std::strtol(argv[1], &end, 10) : 0;
    if (count <= 0 || *end) {
        std::fprintf(stderr, "usage: follower_profile COUNT\n");
        return 2;
    }
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("keylume-follower-profile-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    int status = 0;
    pid_t player = -1;
    try {
        keylume_test::private_bus bus(folder.string());
        player = keylume_test::start_program({KEYLUME_BAD_PLAYER, "--name", "bench", "--title", "Lanterns"},
                                             (folder / "player.log").string());
        auto registry = make_counted_service<velvox_host::host_playback_registry>();
        keylume_players::follow_clock::time_point now{};
        keylume_players::mpris_follower follower(*registry, keylume_players::player_preferences(), [&] { return now; });
        auto tick = [&] {
            now += std::chrono::milliseconds(100);
            follower.poll();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        };
        for (int waited = 0; follower.followed().empty() || follower.position() == 0; ++waited) {
            if (waited == 20000) throw std::runtime_error("the player on the private bus was not followed");
            tick();
        }
        const size_t before = keylume_bench::allocations_now();
        CALLGRIND_TOGGLE_COLLECT;
        for (long i = 0; i < count; ++i) tick();
        CALLGRIND_TOGGLE_COLLECT;
        std::printf("follow %ld allocations %s\n", count, keylume_bench::allocations_since(before).c_str());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "follower_profile: %s\n", error.what());
        status = 1;
    }
    keylume_test::end_program(player);
    std::filesystem::remove_all(folder);
    return status;
}
