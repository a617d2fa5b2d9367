// The drawable base and the collection's drawing protocol.
#include <gtest/gtest.h>

#include <vector>

#include "CLCDCollection.h"
#include "support/frame_rows.h"

using keylume_test::frame_rows;
using keylume_test::open_surface;
using keylume_test::rows;

namespace {

// A drawable that fills its content area and records what happened to it.
class filled_box : public CLCDBase {
public:
    void Paint(CLCDGfx& gfx) override {
        ++paints;
        RECT content{0, 0, GetContentSize().cx, GetContentSize().cy};
        FillRect(gfx.DeviceContext(), &content, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    void Tick(DWORD now) override { ticks.push_back(now); }
    void Restart() override { ++restarts; }

    int paints = 0;
    int restarts = 0;
    std::vector<DWORD> ticks;
};

filled_box& place(filled_box& box, int x, int y, int cx, int cy) {
    box.SetOrigin(x, y);
    box.SetSize(cx, cy);
    return box;
}

TEST(Drawables, DefaultsOfTheBase) {
    filled_box box;
    EXPECT_EQ(box.Prepare(), S_OK);
    EXPECT_EQ(box.GetWidth(), 0);
    EXPECT_EQ(box.GetHeight(), 0);
    EXPECT_TRUE(box.IsVisible());
    EXPECT_EQ(box.GetBackMode(), TRANSPARENT);
    EXPECT_EQ(box.GetTag(), 4);
    box.SetTag(9);
    EXPECT_EQ(box.GetTag(), 9);
}

TEST(Drawables, SetSizeSetsTheContentSizeToo) {
    filled_box box;
    box.SetContentSize(3, 3);
    box.SetSize(40, 12);
    EXPECT_EQ(box.GetSize().cx, 40);
    EXPECT_EQ(box.GetSize().cy, 12);
    EXPECT_EQ(box.GetContentSize().cx, 40);
    EXPECT_EQ(box.GetContentSize().cy, 12);
    POINT where{7, 8};
    box.SetOrigin(where);
    EXPECT_EQ(box.GetOrigin().x, 7);
    EXPECT_EQ(box.GetOrigin().y, 8);
}

TEST(Drawables, EmptyCollectionPaintsNothingAndLeavesTheDcAsItWas) {
    open_surface surface;
    CLCDCollection collection;
    collection.Paint(surface.gfx());
    POINT viewport{1, 1};
    GetViewportOrgEx(surface.dc(), &viewport);
    EXPECT_EQ(viewport.x, 0);
    EXPECT_EQ(viewport.y, 0);
    EXPECT_EQ(keylume_test::lit_pixels(surface.finish()), 0);
}

TEST(Drawables, ChildrenAreClippedToTheirBoxAndMovedByTheirContentOffset) {
    open_surface surface;
    CLCDCollection collection;
    filled_box box;
    place(box, 2, 1, 4, 2);
    box.SetContentSize(10, 10);  // content larger than the box: cut at the box edge
    box.SetContentOffset(-1, 1);
    collection.AddChild(&box);
    collection.Paint(surface.gfx());
    RECT clip;
    EXPECT_EQ(GetClipBox(surface.dc(), &clip), SIMPLEREGION);  // no clip region is left behind
    EXPECT_EQ(clip.right, 160);
    EXPECT_EQ(frame_rows(surface.finish(), 0, 0, 8, 4), (rows{"........", "........", "..####..", "........"}));
}

TEST(Drawables, ContentOffsetMovesDrawingInsideTheBox) {
    open_surface surface;
    CLCDCollection collection;
    filled_box box;
    place(box, 0, 0, 6, 3);
    box.SetContentSize(2, 1);
    box.SetContentOffset(3, 1);
    collection.AddChild(&box);
    collection.Paint(surface.gfx());
    EXPECT_EQ(frame_rows(surface.finish(), 0, 0, 7, 3), (rows{".......", "...##..", "......."}));
}

TEST(Drawables, NestedChildrenUseSurfaceCoordinatesAndOnlyTheirOwnBox) {
    open_surface surface;
    CLCDCollection outer, inner;
    filled_box direct, nested;
    place(direct, 30, 6, 1, 1);
    inner.SetOrigin(10, 10);
    inner.SetSize(5, 5);  // the nested child lies outside this box and still shows
    place(nested, 32, 6, 2, 1);
    inner.AddChild(&nested);
    outer.AddChild(&direct);
    outer.AddChild(&inner);
    outer.Paint(surface.gfx());
    EXPECT_EQ(frame_rows(surface.finish(), 29, 5, 35, 8), (rows{"......", ".#.##.", "......"}));
}

TEST(Drawables, ZeroSizedAndHiddenChildrenPaintNothingButStillTickAndRestart) {
    open_surface surface;
    CLCDCollection collection;
    filled_box empty, hidden;
    place(empty, 5, 5, 0, 0);
    empty.SetContentSize(10, 10);
    place(hidden, 0, 0, 20, 20);
    hidden.SetVisible(FALSE);
    collection.AddChild(&empty);
    collection.AddChild(&hidden);
    collection.Paint(surface.gfx());
    collection.Tick(1234);
    collection.Restart();
    EXPECT_EQ(keylume_test::lit_pixels(surface.finish()), 0);
    EXPECT_EQ(hidden.paints, 0);
    EXPECT_EQ(hidden.ticks, std::vector<DWORD>{1234});
    EXPECT_EQ(hidden.restarts, 1);
    EXPECT_EQ(empty.ticks, std::vector<DWORD>{1234});
}

TEST(Drawables, ChildAddedTwiceIsPaintedTwiceAndRemovedOnceAtATime) {
    open_surface surface;
    CLCDCollection collection;
    filled_box box, other;
    place(box, 0, 0, 1, 1);
    collection.AddChild(&box);
    collection.AddChild(&box);
    collection.RemoveChild(&other);  // not in the list: nothing changes
    collection.Paint(surface.gfx());
    EXPECT_EQ(box.paints, 2);
    collection.RemoveChild(&box);
    collection.Paint(surface.gfx());
    EXPECT_EQ(box.paints, 3);
    collection.RemoveChild(&box);
    collection.Paint(surface.gfx());
    EXPECT_EQ(box.paints, 3);
    surface.finish();
}

TEST(Drawables, LaterChildrenPaintOverEarlierOnes) {
    open_surface surface;
    CLCDCollection collection;
    filled_box under;
    place(under, 0, 0, 4, 1);
    class black_box : public CLCDBase {
        void Paint(CLCDGfx& gfx) override {
            RECT content{0, 0, GetContentSize().cx, GetContentSize().cy};
            FillRect(gfx.DeviceContext(), &content, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        }
    } over;
    over.SetOrigin(1, 0);
    over.SetSize(2, 1);
    collection.AddChild(&under);
    collection.AddChild(&over);
    collection.Paint(surface.gfx());
    EXPECT_EQ(frame_rows(surface.finish(), 0, 0, 5, 1), (rows{"#..#."}));
}

TEST(Drawables, CollectionVisibilityReachesEveryChild) {
    CLCDCollection collection;
    filled_box a, b;
    b.SetVisible(FALSE);
    collection.AddChild(&a);
    collection.AddChild(&b);
    collection.SetVisible(FALSE);
    EXPECT_FALSE(collection.IsVisible());
    EXPECT_FALSE(a.IsVisible());
    collection.SetVisible(TRUE);
    EXPECT_TRUE(collection.IsVisible());
    EXPECT_TRUE(a.IsVisible());
    EXPECT_TRUE(b.IsVisible());
}

TEST(Drawables, RemovingAChildLeavesTheObjectUntouched) {
    CLCDCollection collection;
    filled_box box;
    place(box, 3, 4, 5, 6);
    collection.AddChild(&box);
    collection.RemoveChild(&box);
    EXPECT_EQ(box.GetOrigin().x, 3);
    EXPECT_EQ(box.GetWidth(), 5);
    EXPECT_TRUE(box.IsVisible());
}

}  // namespace
