// Progress bars, bitmaps, animated bitmaps and icons, pixel by pixel, and the splash logo loaded
// from module resources as a monochrome bitmap.
#include <gtest/gtest.h>

#include "CLCDAnimatedBitmap.h"
#include "CLCDCollection.h"
#include "CLCDIcon.h"
#include "CLCDProgressBar.h"
#include "support/frame_rows.h"
#include "virtual_clock.h"

using keylume_test::frame_rows;
using keylume_test::open_surface;
using keylume_test::rows;

namespace {

// Paints one object through a collection, as screens do, and returns the frame.
const LcdBitmap& paint(open_surface& surface, CLCDBase& object) {
    CLCDCollection screen;
    screen.AddChild(&object);
    screen.Paint(surface.gfx());
    return surface.finish();
}

// The bar's four rows as pictures.
rows bar_rows(CLCDProgressBar& bar) {
    open_surface surface;
    return frame_rows(paint(surface, bar), 0, 39, 160, 43);
}

// A bar's row with the given columns lit.
std::string row_with(std::initializer_list<std::pair<int, int>> spans) {
    std::string row(160, '.');
    for (auto [first, last] : spans)
        for (int x = first; x <= last; ++x) row[x] = '#';
    return row;
}

class ProgressBar : public ::testing::Test {
protected:
    void SetUp() override {
        bar.Prepare();
        bar.SetOrigin(0, 39);
        bar.SetSize(160, 4);
    }
    // Outline rows 0 and 3 and columns 0 and 159, the cursor or fill covering `first`..`last`.
    rows expected(int first, int last) {
        std::string edge = row_with({{0, 159}});
        std::string inside = row_with({{0, 0}, {159, 159}, {first, last}});
        return {edge, inside, inside, edge};
    }
    CLCDProgressBar bar;
};

TEST_F(ProgressBar, CursorTravelsInsideTheOutline) {
    bar.SetPosition(0.0f);
    EXPECT_EQ(bar_rows(bar), expected(1, 5));
    bar.SetPosition(100.0f);
    EXPECT_EQ(bar_rows(bar), expected(154, 158));
    bar.SetPosition(50.0f);
    EXPECT_EQ(bar_rows(bar), expected(77, 81));
}

TEST_F(ProgressBar, FilledStyleFillsFromTheLeftEdge) {
    bar.SetBarStyle(0);
    bar.SetPosition(50.0f);
    EXPECT_EQ(bar_rows(bar), expected(0, 79));
    bar.SetPosition(100.0f);
    rows full(4, row_with({{0, 159}}));
    EXPECT_EQ(bar_rows(bar), full);
    bar.SetBarStyle(7);  // any non-zero style is the cursor
    bar.SetPosition(0.0f);
    EXPECT_EQ(bar_rows(bar), expected(1, 5));
}

TEST_F(ProgressBar, PositionIsClampedIntoTheRange) {
    EXPECT_EQ(bar.SetPosition(150.0f), 100.0f);
    EXPECT_EQ(bar.GetPosition(), 100.0f);
    EXPECT_EQ(bar.SetPosition(-5.0f), 0.0f);
    bar.SetRange(10, 20);
    EXPECT_EQ(bar.GetPosition(), 0.0f);  // a new range does not clamp again
    EXPECT_EQ(bar.SetPosition(0.0f), 10.0f);
}

TEST_F(ProgressBar, OnlyANegativeLowEndShiftsTheZeroPoint) {
    bar.SetRange(-50, 50);
    bar.SetPosition(0.0f);
    EXPECT_EQ(bar_rows(bar), expected(77, 81));
    EXPECT_FLOAT_EQ(bar.MapValue(10, 110, 0, 110, 10), 10.0f);  // ratio 10 / 110, not 0
    EXPECT_EQ(bar.MapValueInt(0, 100, 0, 153, 50), 76);
}

TEST_F(ProgressBar, EmptyRangeShowsTheCursorAtTheLeftEnd) {
    bar.SetRange(0, 0);
    bar.SetPosition(0.0f);
    EXPECT_EQ(bar_rows(bar), expected(1, 5));
    bar.SetBarStyle(0);
    EXPECT_EQ(bar_rows(bar), expected(1, 0));  // nothing filled
}

TEST_F(ProgressBar, PaintBlackensOnlyItsOwnBox) {
    open_surface surface;
    surface.gfx().FillBox(0, 30, 160, 13);
    const LcdBitmap& frame = paint(surface, bar);
    EXPECT_EQ(frame_rows(frame, 0, 38, 3, 40), (rows{"###", "###"}));
    EXPECT_EQ(frame_rows(frame, 0, 40, 8, 41), (rows{"######.."}));
}

// The logo as it must come out on the LCD: the picture's black pixels lit.
const rows logo{
    "..........................", "..........................", "..........................",
    ".......................##.", "...................######.", "...............##########.",
    "...........##############.", ".........################.", ".........##########....##.",
    ".........######........##.", ".........##............##.", ".........##............##.",
    ".........##............##.", ".........##............##.", ".........##............##.",
    ".........##............##.", ".........##............##.", ".........##............##.",
    ".........##............##.", ".........##............##.", ".........##............##.",
    ".........##............##.", ".........##............##.", ".........##............##.",
    ".........##............##.", ".........##............##.", ".........##........######.",
    ".........##......########.", ".........##.....#########.", ".........##.....########..",
    ".........##....#########..", ".....######....########...", "...########.....#####.....",
    "..#########...............", "..########................", ".#########................",
    ".########.................", "..#####...................", "..........................",
    "..........................", ".........................."};

HBITMAP load_logo(UINT flags) {
    return static_cast<HBITMAP>(LoadImageW(GetModuleHandleA(nullptr), MAKEINTRESOURCEW(104), IMAGE_BITMAP, 0, 0, flags));
}

// The frame with `image` painted by a bitmap object in the box at (x, y) of the given size.
const LcdBitmap& paint_image(open_surface& surface, HBITMAP image, int x, int y, int width, int height) {
    CLCDBitmap picture;
    picture.SetOrigin(x, y);
    picture.SetSize(width, height);
    picture.SetImage(image);
    return paint(surface, picture);
}

// The logo is stored black and white, one bit per pixel, so that every system loads it as a
// monochrome bitmap, as the component asks with LR_MONOCHROME, and as a monochrome bitmap too
// without the flag.
TEST(Bitmaps, MonochromeLogoFromTheResourcesShowsItsBlackPixelsLit) {
    for (UINT flags : {LR_MONOCHROME, LR_DEFAULTCOLOR}) {
        HBITMAP image = load_logo(flags);
        ASSERT_NE(image, nullptr);
        BITMAP info{};
        ASSERT_NE(GetObjectW(image, sizeof info, &info), 0);
        EXPECT_EQ(info.bmWidth, 26);
        EXPECT_EQ(info.bmHeight, 41);
        EXPECT_EQ(info.bmBitsPixel, 1) << "flags " << flags;
        open_surface surface;
        const LcdBitmap& frame = paint_image(surface, image, 5, 0, 26, 41);
        EXPECT_EQ(frame_rows(frame, 5, 0, 31, 41), logo) << "flags " << flags;
        EXPECT_EQ(frame_rows(frame, 0, 0, 5, 1), (rows{"....."}));
        EXPECT_EQ(GetObjectType(image), static_cast<DWORD>(OBJ_BITMAP));  // the image is still the caller's
        DeleteObject(image);
    }
}

TEST(Bitmaps, MissingResourceLoadsNothing) {
    EXPECT_EQ(LoadImageW(GetModuleHandleA(nullptr), MAKEINTRESOURCEW(999), IMAGE_BITMAP, 0, 0, LR_MONOCHROME), nullptr);
}

TEST(Bitmaps, WithoutAnImageNothingIsDrawnAndTheBoxStaysAsItWas) {
    open_surface surface;
    surface.gfx().FillBox(0, 0, 4, 1);
    CLCDBitmap picture;
    picture.SetSize(10, 10);
    EXPECT_EQ(frame_rows(paint(surface, picture), 0, 0, 5, 1), (rows{"####."}));
}

TEST(Bitmaps, ASmallBoxShowsTheImagesTopLeftCorner) {
    HBITMAP image = load_logo(LR_MONOCHROME);
    open_surface surface;
    const LcdBitmap& frame = paint_image(surface, image, 0, 0, 12, 8);
    rows corner;
    for (int y = 0; y < 8; ++y) corner.push_back(logo[y].substr(0, 12) + "..");
    EXPECT_EQ(frame_rows(frame, 0, 0, 14, 8), corner);
    DeleteObject(image);
}

// A strip of `frames` frames of 4 × 2 pixels; frame i has column i lit (black) in row 0.
HBITMAP strip(int frames, int frame_width = 4) {
    int width = frames * frame_width;
    std::vector<BYTE> bits(static_cast<size_t>(((width + 15) / 16) * 2) * 2, 0xFF);
    for (int frame = 0; frame < frames; ++frame) {
        int x = frame * frame_width + frame % frame_width;
        bits[x / 8] = static_cast<BYTE>(bits[x / 8] & ~(0x80 >> (x % 8)));
    }
    return CreateBitmap(width, 2, 1, 1, bits.data());
}

class AnimatedBitmap : public ::testing::Test {
protected:
    AnimatedBitmap() : clock(50000) { clock.drive(GetModuleHandleA(nullptr)); }
    void SetUp() override {
        animation.Prepare();
        animation.SetOrigin(0, 0);
        animation.SetSize(4, 2);
    }
    void TearDown() override {
        if (image) DeleteObject(image);
    }
    // One refresh 100 ms later: tick, then paint; the row of the frame drawn.
    std::string refresh() {
        clock.advance(100);
        animation.Tick(clock.now());
        open_surface surface;
        return frame_rows(paint(surface, animation), 0, 0, 4, 1)[0];
    }
    keylume_host::virtual_clock clock;
    CLCDAnimatedBitmap animation;
    HBITMAP image = nullptr;
};

TEST_F(AnimatedBitmap, FrameCountComesFromTheStripWidth) {
    image = CreateBitmap(64, 2, 1, 1, nullptr);
    animation.SetImage(image);
    animation.SetFrameWidth(16);
    animation.SetFrameInterval(1);
    animation.Tick(clock.now() + 4);  // four steps of 1 ms on 4 frames: back to frame 0
    open_surface first;
    paint(first, animation);
    animation.SetFrameWidth(20);  // 3 frames; the last 4 columns are never shown
    EXPECT_EQ(animation.GetContentSize().cx, 64);
    EXPECT_EQ(animation.GetContentSize().cy, 2);
}

TEST_F(AnimatedBitmap, StepsOnTheThirdPaintAndShowsTheNewFrameOnTheFourth) {
    image = strip(3);
    animation.SetImage(image);
    animation.SetFrameWidth(4);
    EXPECT_EQ(refresh(), "#...");  // 100 ms
    EXPECT_EQ(refresh(), "#...");  // 200 ms
    EXPECT_EQ(refresh(), "#...");  // 300 ms: steps, still draws frame 0
    EXPECT_EQ(refresh(), ".#..");  // 100 ms after the step
    EXPECT_EQ(refresh(), ".#..");
    EXPECT_EQ(refresh(), ".#..");  // steps to frame 2
    EXPECT_EQ(refresh(), "..#.");
    animation.Restart();
    EXPECT_EQ(refresh(), "#...");
}

TEST_F(AnimatedBitmap, LatePaintsSkipFramesAndWrap) {
    image = strip(3);
    animation.SetImage(image);
    animation.SetFrameWidth(4);
    clock.advance(1000);  // 4 steps of 250 ms on 3 frames: one frame forward
    animation.Tick(clock.now());
    open_surface surface;
    EXPECT_EQ(frame_rows(paint(surface, animation), 0, 0, 4, 1)[0], "#...");
    EXPECT_EQ(refresh(), ".#..");
}

TEST_F(AnimatedBitmap, FrameWidthZeroStopsTheAnimation) {
    image = strip(3);
    animation.SetImage(image);
    animation.SetFrameWidth(0);
    EXPECT_EQ(refresh(), "....");
    animation.SetFrameWidth(4);
    animation.SetFrameInterval(0);  // held to 1 ms, never a division by zero
    EXPECT_NE(refresh(), "....");
}

// A 2 × 2 icon: the top-left pixel opaque white, the others transparent.
HICON small_icon() {
    static const BYTE mask_bits[] = {0x7F, 0xFF, 0xFF, 0xFF};  // 0 = opaque
    static const BYTE colour_bits[] = {0x80, 0x00, 0x00, 0x00};
    ICONINFO info{TRUE, 0, 0, CreateBitmap(2, 2, 1, 1, mask_bits), CreateBitmap(2, 2, 1, 1, colour_bits)};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    return icon;
}

TEST(Icons, DrawnAtSixteenBySixteenUnlessSetOtherwise) {
    HICON icon = small_icon();
    ASSERT_NE(icon, nullptr);
    CLCDIcon picture;
    picture.SetSize(20, 20);
    picture.SetIcon(icon, 16, 16);
    open_surface surface;
    const LcdBitmap& frame = paint(surface, picture);
    EXPECT_EQ(keylume_test::lit_pixels(frame), 64);  // the opaque quarter, scaled to 8 × 8
    EXPECT_EQ(frame_rows(frame, 7, 7, 9, 9), (rows{"#.", ".."}));
    CLCDIcon none;
    none.SetSize(20, 20);
    open_surface empty;
    EXPECT_EQ(keylume_test::lit_pixels(paint(empty, none)), 0);
    DestroyIcon(icon);
}

}  // namespace
