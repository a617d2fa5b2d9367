// GDI primitives on the LCD surface, pixel by pixel. The same pictures are expected natively and
// under Wine: a difference is a fault of the platform layer.
#include <gtest/gtest.h>

#include <vector>

#include "support/frame_rows.h"

using keylume_test::frame_rows;
using keylume_test::open_surface;
using keylume_test::rows;

namespace {

HBRUSH white_brush() { return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)); }
HBRUSH black_brush() { return static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)); }

TEST(GdiPrimitives, FillRectLeavesOutRightAndBottomEdges) {
    open_surface surface;
    RECT box{1, 1, 4, 3};
    FillRect(surface.dc(), &box, white_brush());
    EXPECT_EQ(frame_rows(surface.finish(), 0, 0, 6, 4), (rows{"......", ".###..", ".###..", "......"}));
}

TEST(GdiPrimitives, EmptyOrReversedRectanglesFillNothing) {
    open_surface surface;
    RECT empty{2, 2, 2, 5}, reversed{5, 1, 1, 3};
    FillRect(surface.dc(), &empty, white_brush());
    FrameRect(surface.dc(), &reversed, white_brush());
    InvertRect(surface.dc(), &empty);
    EXPECT_EQ(keylume_test::lit_pixels(surface.finish()), 0);
}

TEST(GdiPrimitives, FrameRectDrawsOnePixelInsideTheRectangle) {
    open_surface surface;
    RECT box{1, 1, 6, 5};
    FrameRect(surface.dc(), &box, white_brush());
    EXPECT_EQ(frame_rows(surface.finish(), 0, 0, 7, 6),
              (rows{".......", ".#####.", ".#...#.", ".#...#.", ".#####.", "......."}));
}

TEST(GdiPrimitives, InvertRectFlipsEveryPixelAndTwiceRestores) {
    open_surface surface;
    RECT lit{0, 0, 3, 1}, box{1, 0, 5, 2};
    FillRect(surface.dc(), &lit, white_brush());
    InvertRect(surface.dc(), &box);
    const LcdBitmap& once = surface.finish();
    EXPECT_EQ(frame_rows(once, 0, 0, 6, 2), (rows{"#..##.", ".####."}));
    EXPECT_EQ(once.pixels[3], 255);  // dark index 0 inverts to 255
    surface.gfx().StartFrame();
    InvertRect(surface.dc(), &box);
    EXPECT_EQ(frame_rows(surface.finish(), 0, 0, 6, 2), (rows{"###...", "......"}));
}

TEST(GdiPrimitives, ColoursMapToTheNearestPaletteEntry) {
    open_surface surface;
    EXPECT_EQ(SetPixel(surface.dc(), 0, 0, RGB(200, 200, 200)), RGB(255, 255, 255));
    EXPECT_EQ(SetPixel(surface.dc(), 1, 0, RGB(100, 100, 100)), RGB(0, 0, 0));
    EXPECT_EQ(SetPixel(surface.dc(), 2, 0, RGB(128, 128, 128)), RGB(255, 255, 255));
    EXPECT_EQ(SetPixel(surface.dc(), 3, 0, RGB(255, 0, 0)), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(surface.dc(), 0, 0), RGB(255, 255, 255));
    const LcdBitmap& frame = surface.finish();
    EXPECT_EQ(frame_rows(frame, 0, 0, 5, 1), (rows{"#.#.."}));
    EXPECT_EQ(frame.pixels[0], 129);  // the first white entry
}

TEST(GdiPrimitives, LinesLeaveOutTheEndPointInEveryDirection) {
    open_surface surface;
    HGDIOBJ previous = SelectObject(surface.dc(), GetStockObject(WHITE_PEN));
    MoveToEx(surface.dc(), 0, 0, nullptr);
    LineTo(surface.dc(), 5, 0);  // right
    LineTo(surface.dc(), 5, 4);  // down
    LineTo(surface.dc(), 1, 4);  // left
    LineTo(surface.dc(), 1, 1);  // up
    MoveToEx(surface.dc(), 7, 0, nullptr);
    LineTo(surface.dc(), 11, 4);  // diagonal
    SelectObject(surface.dc(), previous);
    EXPECT_EQ(frame_rows(surface.finish(), 0, 0, 12, 5),
              (rows{"######.#....", ".....#..#...", ".#...#...#..", ".#...#....#.", ".#####......"}));
}

TEST(GdiPrimitives, ShallowAndSteepLinesStepAsGdiDoes) {
    open_surface surface;
    HGDIOBJ previous = SelectObject(surface.dc(), GetStockObject(WHITE_PEN));
    MoveToEx(surface.dc(), 0, 0, nullptr);
    LineTo(surface.dc(), 8, 3);
    MoveToEx(surface.dc(), 8, 5, nullptr);
    LineTo(surface.dc(), 0, 8);
    MoveToEx(surface.dc(), 10, 0, nullptr);
    LineTo(surface.dc(), 12, 7);
    MoveToEx(surface.dc(), 15, 7, nullptr);
    LineTo(surface.dc(), 13, 0);
    SelectObject(surface.dc(), previous);
    EXPECT_EQ(frame_rows(surface.finish(), 0, 0, 16, 9),
              (rows{"##........#.....", "..###.....#..#..", ".....##....#..#.", ".......#...#..#.", "...........#..#.",
                    ".......##..#..#.", "....###.....#..#", "..##...........#", ".#.............."}));
}

TEST(GdiPrimitives, ClipRegionIsInDeviceUnitsAndTheDcKeepsItsCopy) {
    open_surface surface;
    HRGN region = CreateRectRgn(2, 1, 6, 3);
    SelectClipRgn(surface.dc(), region);
    DeleteObject(region);
    SetViewportOrgEx(surface.dc(), 3, 0, nullptr);  // moves drawing, not the clip region
    RECT everything{-10, -10, 100, 100};
    FillRect(surface.dc(), &everything, white_brush());
    RECT clip_box;
    EXPECT_EQ(GetClipBox(surface.dc(), &clip_box), SIMPLEREGION);
    EXPECT_EQ(clip_box.left, -1);
    EXPECT_EQ(clip_box.right, 3);
    SelectClipRgn(surface.dc(), nullptr);
    SetViewportOrgEx(surface.dc(), 0, 0, nullptr);
    EXPECT_EQ(frame_rows(surface.finish(), 0, 0, 8, 4), (rows{"........", "..####..", "..####..", "........"}));
}

TEST(GdiPrimitives, EmptyClipRegionHidesEverything) {
    open_surface surface;
    HRGN region = CreateRectRgn(4, 4, 4, 4);
    EXPECT_EQ(SelectClipRgn(surface.dc(), region), NULLREGION);
    DeleteObject(region);
    RECT everything{0, 0, 160, 43};
    FillRect(surface.dc(), &everything, white_brush());
    SetPixel(surface.dc(), 4, 4, RGB(255, 255, 255));
    SelectClipRgn(surface.dc(), nullptr);
    EXPECT_EQ(keylume_test::lit_pixels(surface.finish()), 0);
}

TEST(GdiPrimitives, ViewportOriginsAddUp) {
    open_surface surface;
    POINT previous{99, 99};
    SetViewportOrgEx(surface.dc(), 2, 1, &previous);
    EXPECT_EQ(previous.x, 0);
    EXPECT_EQ(previous.y, 0);
    OffsetViewportOrgEx(surface.dc(), 3, 1, nullptr);
    RECT box{0, 0, 2, 1};
    FillRect(surface.dc(), &box, white_brush());
    SetPixel(surface.dc(), -5, -2, RGB(255, 255, 255));
    SetViewportOrgEx(surface.dc(), 0, 0, &previous);
    EXPECT_EQ(previous.x, 5);
    EXPECT_EQ(previous.y, 2);
    EXPECT_EQ(frame_rows(surface.finish(), 0, 0, 8, 3), (rows{"#.......", "........", ".....##."}));
}

// An 8 × 2 monochrome bitmap: row 0 is 10110000, row 1 is 01001111 (rows padded to 16 bits).
HBITMAP mono_pattern() {
    static const BYTE bits[] = {0xB0, 0x00, 0x4F, 0x00};
    return CreateBitmap(8, 2, 1, 1, bits);
}

TEST(GdiPrimitives, MonochromeSourceTakesTextColourForBlackAndBackgroundForWhite) {
    open_surface surface;
    HDC memory = CreateCompatibleDC(surface.dc());
    HBITMAP pattern = mono_pattern();
    HGDIOBJ previous = SelectObject(memory, pattern);
    // The surface draws white text on black: the pattern's black (0) bits come out lit.
    BitBlt(surface.dc(), 1, 1, 8, 2, memory, 0, 0, SRCCOPY);
    SetTextColor(surface.dc(), RGB(0, 0, 0));
    SetBkColor(surface.dc(), RGB(255, 255, 255));
    BitBlt(surface.dc(), 1, 4, 8, 2, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteObject(pattern);
    DeleteDC(memory);
    EXPECT_EQ(frame_rows(surface.finish(), 0, 0, 10, 6),
              (rows{"..........", "..#..####.", ".#.##.....", "..........", ".#.##.....", "..#..####."}));
}

TEST(GdiPrimitives, RasterOperationsCombineSourceAndDestination) {
    open_surface surface;
    RECT left_half{1, 0, 5, 4};
    FillRect(surface.dc(), &left_half, white_brush());
    HDC memory = CreateCompatibleDC(surface.dc());
    HBITMAP pattern = mono_pattern();
    HGDIOBJ previous = SelectObject(memory, pattern);
    BitBlt(surface.dc(), 1, 0, 8, 2, memory, 0, 0, SRCINVERT);
    BitBlt(surface.dc(), 1, 2, 8, 2, memory, 0, 0, SRCAND);
    SelectObject(memory, previous);
    DeleteObject(pattern);
    DeleteDC(memory);
    EXPECT_EQ(frame_rows(surface.finish(), 0, 0, 10, 4),
              (rows{".#.######.", "..#.......", "..#.......", ".#.##....."}));
}

TEST(GdiPrimitives, BlitsAreClippedAndReadTheSourceAtItsOffset) {
    open_surface surface;
    HDC memory = CreateCompatibleDC(surface.dc());
    HBITMAP pattern = mono_pattern();
    HGDIOBJ previous = SelectObject(memory, pattern);
    HRGN region = CreateRectRgn(0, 0, 4, 43);
    SelectClipRgn(surface.dc(), region);
    DeleteObject(region);
    BitBlt(surface.dc(), 0, 0, 8, 2, memory, 2, 0, NOTSRCCOPY);  // source column 2 onwards, inverted
    SelectClipRgn(surface.dc(), nullptr);
    SelectObject(memory, previous);
    DeleteObject(pattern);
    DeleteDC(memory);
    EXPECT_EQ(frame_rows(surface.finish(), 0, 0, 8, 2), (rows{"##......", "..##...."}));
}

TEST(GdiPrimitives, SurfaceToSurfaceCopyKeepsPixelValues) {
    open_surface source;
    source.gfx().FillBox(0, 0, 3, 1);
    source.gfx().PutPixel(1, 1, true);
    open_surface target;
    BitBlt(target.dc(), 10, 5, 3, 2, source.dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(frame_rows(target.finish(), 9, 5, 14, 7), (rows{".###.", "..#.."}));
    source.finish();
}

TEST(GdiPrimitives, StockObjectsSurviveDeletion) {
    HGDIOBJ white = GetStockObject(WHITE_BRUSH);
    EXPECT_TRUE(DeleteObject(white));
    EXPECT_EQ(GetObjectType(white), static_cast<DWORD>(OBJ_BRUSH));
    open_surface surface;
    RECT box{0, 0, 2, 1};
    FillRect(surface.dc(), &box, static_cast<HBRUSH>(white));
    EXPECT_EQ(frame_rows(surface.finish(), 0, 0, 3, 1), (rows{"##."}));
}

TEST(GdiPrimitives, ManyRegionsKeepTheirBoxesWhileOthersAreDeleted) {
    std::vector<HRGN> regions;
    for (int i = 0; i < 300; ++i) regions.push_back(CreateRectRgn(i, 0, i + 1 + i % 7, 5));
    for (int i = 0; i < 300; i += 3) ASSERT_TRUE(DeleteObject(regions[i]));
    for (int i = 0; i < 300; ++i) {
        RECT box{};
        if (i % 3 == 0) continue;
        ASSERT_EQ(GetRgnBox(regions[i], &box), SIMPLEREGION) << i;
        EXPECT_EQ(box.left, i);
        EXPECT_EQ(box.right, i + 1 + i % 7);
    }
    for (int i = 0; i < 300; ++i)
        if (i % 3 != 0) DeleteObject(regions[i]);
}

TEST(GdiPrimitives, BlacknessAndWhitenessUsePaletteEnds) {
    open_surface surface;
    PatBlt(surface.dc(), 0, 0, 2, 1, WHITENESS);
    PatBlt(surface.dc(), 1, 0, 1, 1, BLACKNESS);
    const LcdBitmap& frame = surface.finish();
    EXPECT_EQ(frame.pixels[0], 255);
    EXPECT_EQ(frame.pixels[1], 0);
}

TEST(GdiPrimitives, CreatedBrushesFillWithTheirColour) {
    open_surface surface;
    HBRUSH light = CreateSolidBrush(RGB(250, 250, 250));
    RECT box{0, 0, 3, 1};
    FillRect(surface.dc(), &box, light);
    RECT inner{1, 0, 2, 1};
    FillRect(surface.dc(), &inner, black_brush());
    DeleteObject(light);
    EXPECT_EQ(frame_rows(surface.finish(), 0, 0, 4, 1), (rows{"#.#."}));
}

}  // namespace
