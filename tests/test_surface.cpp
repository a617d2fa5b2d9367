// The off-screen surface and its LcdBitmap frames.
#include <gtest/gtest.h>

#include "CLCDGfx.h"
#include "support/frame_rows.h"

using keylume_test::frame_rows;
using keylume_test::rows;

namespace {

TEST(Surface, FreshSurfaceGivesFormatOneAndAllDarkPixels) {
    CLCDGfx gfx;
    ASSERT_EQ(gfx.CreateSurface(160, 43), S_OK);
    LcdBitmap* frame = gfx.BuildLcdBitmap();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->format, 1u);
    for (BYTE pixel : frame->pixels) ASSERT_EQ(pixel, 0);
}

TEST(Surface, HeaderAndColourTableDescribeTopDownEightBitLcd) {
    CLCDGfx gfx;
    ASSERT_EQ(gfx.CreateSurface(160, 43), S_OK);
    const BITMAPINFOHEADER& header = gfx.BitmapHeader()->bmiHeader;
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biWidth, 160);
    EXPECT_EQ(header.biHeight, -43);
    EXPECT_EQ(header.biPlanes, 1);
    EXPECT_EQ(header.biBitCount, 8);
    EXPECT_EQ(header.biCompression, 0u);
    EXPECT_EQ(header.biSizeImage, 6880u);
    EXPECT_EQ(header.biXPelsPerMeter, 3200);
    EXPECT_EQ(header.biYPelsPerMeter, 3200);
    EXPECT_EQ(header.biClrUsed, 256u);
    EXPECT_EQ(header.biClrImportant, 256u);
    const RGBQUAD* colours = gfx.BitmapHeader()->bmiColors;
    for (int i = 0; i < 256; ++i) {
        BYTE expected = i <= 128 ? 0x00 : 0xFF;
        ASSERT_EQ(colours[i].rgbRed, expected) << i;
        ASSERT_EQ(colours[i].rgbGreen, expected) << i;
        ASSERT_EQ(colours[i].rgbBlue, expected) << i;
        ASSERT_EQ(colours[i].rgbReserved, 0) << i;
    }
}

TEST(Surface, WhiteDrawingLandsInTheLitRangeTopRowFirst) {
    keylume_test::open_surface surface;
    surface.gfx().FillBox(3, 0, 4, 2);
    surface.gfx().PutPixel(159, 42, true);
    const LcdBitmap& frame = surface.finish();
    for (int i = 0; i < 160 * 43; ++i) {
        int x = i % 160, y = i / 160;
        bool lit = (x >= 3 && x < 7 && y < 2) || (x == 159 && y == 42);
        if (lit)
            ASSERT_GE(frame.pixels[i], 129) << x << "," << y;
        else
            ASSERT_LE(frame.pixels[i], 128) << x << "," << y;
    }
}

TEST(Surface, StartFrameTwiceKeepsTheFirstSavedObject) {
    CLCDGfx gfx;
    ASSERT_EQ(gfx.CreateSurface(160, 43), S_OK);
    HGDIOBJ original = GetCurrentObject(gfx.DeviceContext(), OBJ_BITMAP);
    gfx.StartFrame();
    gfx.StartFrame();
    EXPECT_EQ(GetCurrentObject(gfx.DeviceContext(), OBJ_BITMAP), gfx.BitmapHandle());
    gfx.FinishFrame();
    EXPECT_EQ(GetCurrentObject(gfx.DeviceContext(), OBJ_BITMAP), original);
    gfx.FinishFrame();  // no frame open: nothing happens
    EXPECT_EQ(GetCurrentObject(gfx.DeviceContext(), OBJ_BITMAP), original);
}

TEST(Surface, StartFrameSetsWhiteTextOnBlack) {
    CLCDGfx gfx;
    ASSERT_EQ(gfx.CreateSurface(160, 43), S_OK);
    gfx.StartFrame();
    EXPECT_EQ(GetTextColor(gfx.DeviceContext()), RGB(255, 255, 255));
    EXPECT_EQ(GetBkColor(gfx.DeviceContext()), RGB(0, 0, 0));
    gfx.FinishFrame();
}

TEST(Surface, PixelsPersistBetweenFramesUntilFillBlack) {
    keylume_test::open_surface surface;
    surface.gfx().PutPixel(10, 10, true);
    surface.finish();
    surface.gfx().StartFrame();
    EXPECT_EQ(keylume_test::lit_pixels(*surface.gfx().BuildLcdBitmap()), 1);
    surface.gfx().FillBlack();
    EXPECT_EQ(keylume_test::lit_pixels(surface.finish()), 0);
}

TEST(Surface, NotCreatedOrDestroyedSurfaceHandsOutNothing) {
    CLCDGfx never;
    EXPECT_EQ(never.BuildLcdBitmap(), nullptr);
    EXPECT_EQ(never.DeviceContext(), nullptr);
    EXPECT_EQ(never.BitmapHandle(), nullptr);
    never.DestroySurface();

    CLCDGfx destroyed;
    ASSERT_EQ(destroyed.CreateSurface(160, 43), S_OK);
    destroyed.DestroySurface();
    destroyed.DestroySurface();
    EXPECT_EQ(destroyed.BuildLcdBitmap(), nullptr);
    EXPECT_EQ(destroyed.DeviceContext(), nullptr);
    EXPECT_EQ(destroyed.BitmapHandle(), nullptr);
    EXPECT_EQ(destroyed.BitmapHeader(), nullptr);
}

TEST(Surface, DestroyWithAnOpenFrameReleasesTheSectionToo) {
    CLCDGfx gfx;
    ASSERT_EQ(gfx.CreateSurface(160, 43), S_OK);
    HBITMAP dib = gfx.BitmapHandle();
    gfx.StartFrame();
    gfx.DestroySurface();
    EXPECT_EQ(GetObjectType(dib), 0u);  // the DIB section is gone, not leaked
}

TEST(Surface, SizesOtherThanTheLcdAreRefusedAndLeaveNothing) {
    CLCDGfx gfx;
    EXPECT_EQ(gfx.CreateSurface(100, 20), E_INVALIDARG);
    EXPECT_EQ(gfx.DeviceContext(), nullptr);
    EXPECT_EQ(gfx.BuildLcdBitmap(), nullptr);
}

TEST(Surface, LineIsStrokedWithoutItsEndPoint) {
    keylume_test::open_surface surface;
    surface.gfx().StrokeLine(1, 1, 6, 1);
    EXPECT_EQ(frame_rows(surface.finish(), 0, 0, 8, 3), (rows{"........", ".#####..", "........"}));
}

}  // namespace
