// Runs a number of steady-state ticks or track changes of the playback scene, for instruction
// counts under callgrind (only the measured loop is collected: run with --collect-atstart=no)
// and heap allocation counts. Prints "<what> <count> allocations <n>", n being "-" where
// allocations cannot be counted.
#include <valgrind/callgrind.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "playback_scene.h"
#include "profile_allocations.h"

namespace {

[[noreturn]] void usage() {
    std::fprintf(stderr, "usage: playback_profile tick|track-change COUNT\n");
    std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) usage();
    bool track_changes = std::strcmp(argv[1], "track-change") == 0;
    if (!track_changes && std::strcmp(argv[1], "tick") != 0) usage();
    char* end = nullptr;
    long count = std::strtol(argv[2], &end, 10);
    if (*end || count <= 0) usage();

    playback_scene scene;
    if (track_changes) {  // the glyphs of both tracks are cached, as after any first showing
        scene.change_track();
        scene.tick();
        scene.change_track();
        scene.tick();
    }
    size_t before = keylume_bench::allocations_now();
    CALLGRIND_TOGGLE_COLLECT;
    for (long i = 0; i < count; ++i) {
        if (track_changes) scene.change_track();
        scene.tick();
    }
    CALLGRIND_TOGGLE_COLLECT;
    std::printf("%s %ld allocations %s\n", argv[1], count, keylume_bench::allocations_since(before).c_str());
    return 0;
}
