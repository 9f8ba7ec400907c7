#include "snap/shell/area_picker_geometry.h"

#include <gtest/gtest.h>

namespace {

bool Holds(const ScreenRect &r, int x, int y)
{
    return r.left <= x && x < r.right && r.top <= y && y < r.bottom;
}

TEST(AreaPicker, BandHoldsBothPressAndReleasePixelsInEveryDirection)
{
    // (101, 51) to (300, 250): 200 x 200 from (101, 51), whichever end is first.
    const PreviewPoint a = {101, 51}, b = {300, 250}, c = {101, 250}, d = {300, 51};
    for (const auto &ends : {std::make_pair(a, b), std::make_pair(b, a), std::make_pair(c, d), std::make_pair(d, c)}) {
        ScreenRect r = PickedBand(ends.first, ends.second);
        EXPECT_EQ(r.left, 101);
        EXPECT_EQ(r.top, 51);
        EXPECT_EQ(r.right, 301);
        EXPECT_EQ(r.bottom, 251);
    }
    // One pixel, and negative coordinates of a monitor left of the primary.
    ScreenRect one = PickedBand({-5, -7}, {-5, -7});
    EXPECT_EQ(one.right - one.left, 1);
    EXPECT_EQ(one.bottom - one.top, 1);
    EXPECT_EQ(one.left, -5);
}

TEST(AreaPicker, NudgeMovesOneOrTenAndStopsAtTheDesktopEdge)
{
    const ScreenRect desktop = {-1280, -600, 1920, 1080};
    PreviewPoint p = NudgedPoint({10, 10}, 1, 0, false, desktop);
    EXPECT_EQ(p.x, 11);
    EXPECT_EQ(p.y, 10);
    p = NudgedPoint({10, 10}, 0, -1, true, desktop);
    EXPECT_EQ(p.y, 0);
    p = NudgedPoint({1915, -595}, 1, -1, true, desktop);
    EXPECT_EQ(p.x, 1919);  // the last pixel, not past it
    EXPECT_EQ(p.y, -600);
}

TEST(AreaPicker, MagnifierNeverCoversThePointerAndStaysOnItsMonitor)
{
    const int width = 128, height = 166;
    const ScreenRect monitors[] = {{0, 0, 1920, 1080}, {-1280, 0, 0, 1024}, {0, -600, 800, 0}, {0, 0, 320, 240}};
    for (const ScreenRect &m : monitors) {
        for (int x = m.left; x < m.right; x += 7)
            for (int y = m.top; y < m.bottom; y += 11) {
                SCOPED_TRACE(testing::Message() << "pointer " << x << "," << y << " on " << m.left << "," << m.top);
                ScreenRect r = MagnifierPlace({x, y}, m, width, height);
                ASSERT_EQ(r.right - r.left, width);
                ASSERT_EQ(r.bottom - r.top, height);
                ASSERT_FALSE(Holds(r, x, y));
                ASSERT_TRUE(m.left <= r.left && m.top <= r.top && r.right <= m.right && r.bottom <= m.bottom);
            }
    }
    // Beside the pointer, below right, where there is room.
    ScreenRect r = MagnifierPlace({100, 100}, monitors[0], width, height);
    EXPECT_EQ(r.left, 100 + MAGNIFIER_OFFSET);
    EXPECT_EQ(r.top, 100 + MAGNIFIER_OFFSET);
}

TEST(AreaPicker, MagnifiedSquareIsCentredAndTheTopmostWindowIsHit)
{
    ScreenRect s = MagnifiedSource({0, 0});
    EXPECT_EQ(s.right - s.left, MAGNIFIER_CELLS);
    EXPECT_EQ(-s.left, s.right - 1);  // as many pixels each side of the pointer's

    // Topmost first: the small window over the large one wins, right and
    // bottom edges are outside.
    const ScreenRect windows[] = {{100, 100, 200, 200}, {0, 0, 800, 600}};
    EXPECT_EQ(RectIndexAt(windows, 2, {150, 150}), 0);
    EXPECT_EQ(RectIndexAt(windows, 2, {200, 150}), 1);
    EXPECT_EQ(RectIndexAt(windows, 2, {800, 10}), -1);

    ScreenRect clipped;
    ASSERT_TRUE(IntersectScreenRects({-8, -8, 1928, 1088}, {0, 0, 1920, 1080}, &clipped));
    EXPECT_EQ(clipped.left, 0);
    EXPECT_EQ(clipped.right, 1920);
    EXPECT_FALSE(IntersectScreenRects({0, 0, 10, 10}, {10, 0, 20, 10}, &clipped));
}

}  // namespace
