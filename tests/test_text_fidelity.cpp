// The text scenes rendered on this target against the pictures and extents Wine renders with the
// same faces of the fonts-wine package. Both targets reach identical frames and extents, so no
// difference is accepted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/text_scenes.h"
#include "wide_text.h"

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

// Which characters a face answers for decides the face a line is drawn with, so both targets must
// answer alike for the faces they draw with, which are fonts-wine's, not Windows' own: "Small
// Fonts" (smalle.fon), a raster face, has exactly the characters of code page 1252 and answers
// their bytes; Tahoma (fonts-wine's tahoma.ttf, which has no Greek, where Windows' Tahoma has)
// answers for its own characters, not for those of the faces linked to it. Without the mark, a
// missing character answers the face's default glyph.
TEST(TextFidelity, FacesAnswerForTheCharactersOfWinesFonts) {
    // A, é, €, Ÿ, U+0080 (no character of the code page), Ж, ł, Ω, 日, carriage return
    const WCHAR text[] = {0x41, 0xE9, 0x20AC, 0x178, 0x80, 0x416, 0x142, 0x3A9, 0x65E5, 0x0D};
    constexpr size_t count = std::size(text);
    struct face_answers {
        const WCHAR* face;
        std::vector<bool> has;
        WORD default_glyph;
    };
    const face_answers faces[] = {
        {WSTR("Small Fonts"), {true, true, true, true, false, false, false, false, false, true}, 0x80},
        {WSTR("Tahoma"), {true, true, true, true, false, true, true, false, false, false}, 0},
    };
    HDC dc = CreateCompatibleDC(nullptr);
    for (const face_answers& expected : faces) {
        LOGFONTW logfont{};
        logfont.lfHeight = -9;
        logfont.lfWeight = FW_NORMAL;
        wide_text::copy_truncated(logfont.lfFaceName, LF_FACESIZE, expected.face);
        HFONT font = CreateFontIndirectW(&logfont);
        HGDIOBJ previous = SelectObject(dc, font);
        WORD marked[count], unmarked[count];
        ASSERT_EQ(GetGlyphIndicesW(dc, text, count, marked, GGI_MARK_NONEXISTING_GLYPHS), count);
        ASSERT_EQ(GetGlyphIndicesW(dc, text, count, unmarked, 0), count);
        for (size_t i = 0; i < count; ++i) {
            EXPECT_EQ(marked[i] != 0xFFFF, expected.has[i]) << "character " << i;
            EXPECT_EQ(unmarked[i], expected.has[i] ? marked[i] : expected.default_glyph) << "character " << i;
        }
        if (expected.default_glyph == 0x80) {
            EXPECT_EQ(marked[3], 0x9F);  // Ÿ is byte 0x9F of the code page
        }
        SelectObject(dc, previous);
        DeleteObject(font);
    }
    DeleteDC(dc);
}
