// The screen manager: its own surface, rendering from black, time stamps and the time-out.
#include "support/test_screens.h"

#include <gtest/gtest.h>

#include "support/frame_rows.h"
#include "virtual_clock.h"
#ifndef _WIN32
#include "native/keylume_platform.h"
#endif

using keylume_test::frame_rows;
using keylume_test::lit_pixels;
using keylume_test::marked_screen;
using keylume_test::rows;

namespace {

class Screens : public ::testing::Test {
protected:
    Screens() : clock(100000) { clock.drive(GetModuleHandleA(nullptr)); }
    keylume_host::virtual_clock clock;
};

TEST_F(Screens, NeverArmedIsExpiredEvenAfterPrepare) {
    marked_screen screen(0);
    EXPECT_TRUE(screen.IsExpired());
    ASSERT_EQ(screen.Prepare(), S_OK);
    EXPECT_TRUE(screen.IsExpired());
    screen.Advance(clock.now());
    EXPECT_TRUE(screen.IsExpired());
}

TEST_F(Screens, ArmedWithAllOnesNeverExpires) {
    marked_screen screen(0);
    screen.ArmTimeout(0xFFFFFFFF);
    for (DWORD later : {0u, 1u, 0x7FFFFFFFu, 0xFFFFFFFEu, 0xFFFFFFFFu}) {
        screen.Advance(clock.now() + later);
        EXPECT_FALSE(screen.IsExpired()) << later;
    }
}

TEST_F(Screens, ExpiresOnlyAfterMoreThanItsTimeOut) {
    marked_screen screen(0);
    clock.set(250000);
    screen.ArmTimeout(500);
    EXPECT_FALSE(screen.IsExpired());
    screen.Advance(250500);
    EXPECT_EQ(screen.elapsed(), 500u);
    EXPECT_FALSE(screen.IsExpired());
    screen.Advance(250501);
    EXPECT_TRUE(screen.IsExpired());
    // Arming again restarts the count.
    screen.ArmTimeout(500);
    EXPECT_FALSE(screen.IsExpired());
    EXPECT_EQ(screen.elapsed(), 0u);
}

TEST_F(Screens, ElapsedTimeIsRightAcrossTheWrapOfTheTickCount) {
    marked_screen screen(0);
    clock.set(0xFFFFFF00);
    screen.ArmTimeout(512);
    screen.Advance(256);
    EXPECT_EQ(screen.elapsed(), 512u);
    EXPECT_FALSE(screen.IsExpired());
    screen.Advance(257);
    EXPECT_TRUE(screen.IsExpired());
}

TEST_F(Screens, AdvancePassesTheTimeStampToTheChildren) {
    marked_screen screen(0);
    screen.Advance(1234);
    screen.Advance(1334);
    EXPECT_EQ(screen.mark.ticks, (std::vector<DWORD>{1234, 1334}));
}

TEST_F(Screens, RenderingNeedsAPreparedSurface) {
    marked_screen screen(0);
    EXPECT_EQ(screen.RenderScreen(), E_FAIL);
    EXPECT_EQ(screen.BuildLcdBitmap(), nullptr);
    ASSERT_EQ(screen.Prepare(), S_OK);
    EXPECT_EQ(screen.RenderScreen(), S_OK);
    screen.Release();
    EXPECT_EQ(screen.RenderScreen(), E_FAIL);
    EXPECT_EQ(screen.BuildLcdBitmap(), nullptr);
}

TEST_F(Screens, AScreenAlwaysCoversTheWholeLcd) {
    marked_screen screen(0);
    screen.SetOrigin(7, 9);
    screen.SetSize(100, 20);
    ASSERT_EQ(screen.Prepare(), S_OK);
    EXPECT_EQ(screen.GetOrigin().x, 0);
    EXPECT_EQ(screen.GetOrigin().y, 0);
    EXPECT_EQ(screen.GetWidth(), 160);
    EXPECT_EQ(screen.GetHeight(), 43);
    ASSERT_NE(screen.BitmapHeader(), nullptr);
    EXPECT_EQ(screen.BitmapHeader()->bmiHeader.biWidth, 160);
    EXPECT_EQ(std::abs(screen.BitmapHeader()->bmiHeader.biHeight), 43);
}

TEST_F(Screens, RenderPaintsTheChildrenOnBlack) {
    marked_screen screen(3);
    ASSERT_EQ(screen.Prepare(), S_OK);
    ASSERT_EQ(screen.RenderScreen(), S_OK);
    const LcdBitmap* frame = screen.BuildLcdBitmap();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame_rows(*frame, 0, 0, 8, 3), (rows{"...##...", "...##...", "........"}));
    EXPECT_EQ(lit_pixels(*frame), 4);
    // The next frame starts from black again: a moved mark leaves nothing behind.
    screen.mark.SetOrigin(0, 1);
    ASSERT_EQ(screen.RenderScreen(), S_OK);
    EXPECT_EQ(frame_rows(*screen.BuildLcdBitmap(), 0, 0, 8, 3), (rows{"........", "##......", "##......"}));
}

#ifndef _WIN32
TEST_F(Screens, PreparingAgainReplacesTheSurface) {
    marked_screen screen(0);
    ASSERT_EQ(screen.Prepare(), S_OK);
    size_t objects = keylume_gdi_object_count();
    ASSERT_EQ(screen.Prepare(), S_OK);
    EXPECT_EQ(keylume_gdi_object_count(), objects);
    EXPECT_EQ(screen.RenderScreen(), S_OK);
    screen.Release();
}
#endif

TEST_F(Screens, TwoScreensRenderIntoTwoSurfaces) {
    marked_screen first(0);
    marked_screen second(10);
    ASSERT_EQ(first.Prepare(), S_OK);
    ASSERT_EQ(second.Prepare(), S_OK);
    ASSERT_EQ(first.RenderScreen(), S_OK);
    rows before = frame_rows(*first.BuildLcdBitmap(), 0, 0, 12, 2);
    ASSERT_EQ(second.RenderScreen(), S_OK);
    EXPECT_EQ(frame_rows(*first.BuildLcdBitmap(), 0, 0, 12, 2), before);
    EXPECT_EQ(before, (rows{"##..........", "##.........."}));
    EXPECT_EQ(frame_rows(*second.BuildLcdBitmap(), 0, 0, 12, 2), (rows{"..........##", "..........##"}));
}

}  // namespace
