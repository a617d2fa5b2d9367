// A steady-state tick of the playback view, three marquees running, reaches the heap not once:
// every allocation of the process is counted (natively, where the C library's allocator can be
// wrapped; a program of its own, so that memory checkers see an unwrapped allocator elsewhere).
#include <gtest/gtest.h>

#include "allocation_counter.h"
#include "playback_scene.h"

namespace {

TEST(PlaybackAllocations, SteadyStateTicksAllocateNothing) {
    playback_scene scene;
    size_t before = keylume_test::allocations_made();
    for (int i = 0; i < 100; ++i) scene.tick();
    EXPECT_EQ(keylume_test::allocations_made() - before, 0u);
}

TEST(PlaybackAllocations, TicksAfterATrackChangeAllocateNothingOnceTheMarqueesAreRebuilt) {
    playback_scene scene;
    scene.change_track();
    scene.tick();  // rebuilds the three marquees
    size_t before = keylume_test::allocations_made();
    for (int i = 0; i < 100; ++i) scene.tick();
    EXPECT_EQ(keylume_test::allocations_made() - before, 0u);
}

}  // namespace
