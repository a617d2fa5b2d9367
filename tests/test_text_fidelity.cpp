// The text scenes rendered on this target against the pictures and extents Wine renders with the
// same faces of the fonts-wine package. Both targets reach identical frames and extents, so no
// difference is accepted.
#include <gtest/gtest.h>

#include <string>

#include "support/text_scenes.h"

using keylume_test::rows;

namespace {

struct golden_scene {
    const char* name;
    SIZE text_extent;
    SIZE wrapped_extent;
    rows picture;
};

const golden_scene goldens[] = {
#include "golden/text_scenes.inc"
};

class TextFidelity : public testing::TestWithParam<size_t> {};

TEST_P(TextFidelity, MatchesWine) {
    const keylume_test::text_scene& scene = keylume_test::text_scenes()[GetParam()];
    const golden_scene& golden = goldens[GetParam()];
    ASSERT_EQ(std::string(scene.name), golden.name);
    keylume_test::scene_result result = keylume_test::render_scene(scene);
    EXPECT_EQ(result.text_extent.cx, golden.text_extent.cx);
    EXPECT_EQ(result.text_extent.cy, golden.text_extent.cy);
    EXPECT_EQ(result.wrapped_extent.cx, golden.wrapped_extent.cx);
    EXPECT_EQ(result.wrapped_extent.cy, golden.wrapped_extent.cy);
    EXPECT_EQ(result.picture, golden.picture);
}

INSTANTIATE_TEST_SUITE_P(Scenes, TextFidelity, testing::Range<size_t>(0, std::size(goldens)),
                         [](const testing::TestParamInfo<size_t>& info) {
                             return std::string(keylume_test::text_scenes()[info.param].name);
                         });

TEST(TextFidelity, EverySceneHasAGolden) { EXPECT_EQ(std::size(goldens), keylume_test::text_scenes().size()); }

}  // namespace
