#include "snap/shell/main_window_rect.h"

#include <gtest/gtest.h>

namespace {

struct QuarterCase {
    int width, height;
    ScreenRect expected;
};

TEST(MainWindowRect, CentreQuarterTruncatesEachDivision)
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
        ScreenRect r = CentreQuarter(c.width, c.height);
        EXPECT_EQ(c.expected.left, r.left);
        EXPECT_EQ(c.expected.top, r.top);
        EXPECT_EQ(c.expected.right, r.right);
        EXPECT_EQ(c.expected.bottom, r.bottom);
    }
}

TEST(MainWindowRect, GrowsByThreeLinesOfTheFontOnEverySide)
{
    // A 13-pixel font with 2 pixels of external leading: 3 * 15 = 45.
    ScreenRect r = MainWindowRect(640, 480, 13, 2);
    EXPECT_EQ(160 - 45, r.left);
    EXPECT_EQ(120 - 45, r.top);
    EXPECT_EQ(480 + 45, r.right);
    EXPECT_EQ(360 + 45, r.bottom);

    ScreenRect odd = MainWindowRect(1023, 480, 16, 0);
    EXPECT_EQ(255 - 48, odd.left);
    EXPECT_EQ(766 + 48, odd.right);
}

TEST(MainWindowRect, NoMarginWithoutFontMetrics)
{
    // Metrics that could not be read stay zero: the bare centre quarter.
    ScreenRect r = MainWindowRect(800, 600, 0, 0);
    EXPECT_EQ(200, r.left);
    EXPECT_EQ(150, r.top);
    EXPECT_EQ(600, r.right);
    EXPECT_EQ(450, r.bottom);
}

}  // namespace
