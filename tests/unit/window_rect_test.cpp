#include "snap/engine/window_rect.h"

#include <gtest/gtest.h>

TEST(WindowRectAsDrawn, FrameBoundsOnlyWhenCompositedAndGivenWithAnArea)
{
    const WindowBox window = {100, 50, 516, 370};  // with its invisible resize border
    const WindowBox frame = {107, 50, 509, 363};
    const WindowBox empty = {0, 0, 0, 0};
    struct Case {
        bool composited, frameKnown;
        WindowBox frame;
        bool windowKnown;
        bool found;
        int32_t left;
    } cases[] = {
        {true, true, frame, true, true, 107},
        {false, true, frame, true, true, 100},   // not composited: no border to drop
        {true, false, frame, true, true, 100},   // the compositor gave none
        {true, true, empty, true, true, 100},    // nor one with an area
        {true, true, frame, false, true, 107},
        {false, false, frame, false, false, 0},  // no window at all
    };
    for (const Case &c : cases) {
        WindowBox out = {-1, -1, -1, -1};
        EXPECT_EQ(ChooseDrawnRect(c.composited, c.frameKnown, c.frame, c.windowKnown, window, &out), c.found);
        if (c.found) {
            EXPECT_EQ(out.left, c.left);
        }
    }
    WindowBox out;
    EXPECT_FALSE(ChooseDrawnRect(false, false, frame, true, empty, &out));
}
