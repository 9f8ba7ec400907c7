#include "snap/shell/main_window_rect.h"

#include <gtest/gtest.h>

namespace {

struct QuarterCase {
    int width, height;
    ScreenRect expected;
};

TEST(MainWindowRect, HalfSizeModelOfOneScreenIsItsCentreQuarterTruncatingEachDivision)
{
    const QuarterCase cases[] = {
        {640, 480, {160, 120, 480, 360}},
        // Odd sizes: the quarter and the half are truncated separately, so
        // the right edge is 255 + 511, not 3 * 1023 / 4 = 767.
        {1023, 767, {255, 191, 766, 574}},
        {1024, 768, {256, 192, 768, 576}},
        {1, 1, {0, 0, 0, 0}},
        {0, 0, {0, 0, 0, 0}},
    };
    for (const QuarterCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        ScreenRect r = CentredModel({0, 0, c.width, c.height}, c.width / 2, c.height / 2);
        EXPECT_EQ(c.expected.left, r.left);
        EXPECT_EQ(c.expected.top, r.top);
        EXPECT_EQ(c.expected.right, r.right);
        EXPECT_EQ(c.expected.bottom, r.bottom);
    }
}

TEST(MainWindowRect, GrowsByThreeLinesOfTheFontOnEverySide)
{
    // A 13-pixel font with 2 pixels of external leading: 3 * 15 = 45.
    ScreenRect r = MainWindowRect({0, 0, 640, 480}, 320, 240, 13, 2);
    EXPECT_EQ(160 - 45, r.left);
    EXPECT_EQ(120 - 45, r.top);
    EXPECT_EQ(480 + 45, r.right);
    EXPECT_EQ(360 + 45, r.bottom);

    ScreenRect odd = MainWindowRect({0, 0, 1023, 480}, 511, 240, 16, 0);
    EXPECT_EQ(255 - 48, odd.left);
    EXPECT_EQ(766 + 48, odd.right);
}

TEST(MainWindowRect, NoMarginWithoutFontMetrics)
{
    // Metrics that could not be read stay zero: the bare centre quarter.
    ScreenRect r = MainWindowRect({0, 0, 800, 600}, 400, 300, 0, 0);
    EXPECT_EQ(200, r.left);
    EXPECT_EQ(150, r.top);
    EXPECT_EQ(600, r.right);
    EXPECT_EQ(450, r.bottom);
}

TEST(MainWindowRect, ModelOfSeveralMonitorsIsCentredOnThePrimaryWorkArea)
{
    // A 3200 x 1680 desktop at half scale on a 1920 x 1080 primary monitor
    // whose taskbar takes the bottom 40 pixels; the window may reach past the
    // work area's edges only by its margin.
    ScreenRect r = MainWindowRect({0, 0, 1920, 1040}, 1600, 840, 16, 0);
    EXPECT_EQ(160 - 48, r.left);
    EXPECT_EQ(100 - 48, r.top);
    EXPECT_EQ(1760 + 48, r.right);
    EXPECT_EQ(940 + 48, r.bottom);
    // A work area that does not start at 0,0 (a taskbar at the top).
    ScreenRect moved = CentredModel({0, 40, 1920, 1080}, 1600, 840);
    EXPECT_EQ(140, moved.top);
    EXPECT_EQ(980, moved.bottom);
}

}  // namespace
