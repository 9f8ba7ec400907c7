#include <gtest/gtest.h>
#include <stdint.h>

#include "snap/engine/print_geometry.h"
#include "snap/engine/snap_result.h"

static const PrintDevice PAGE_300DPI = {2400, 3200, 300, 300};
static const PrintMargins HALF_INCH = {50, 50, 50, 50};

TEST(ComputePrintArea, MarginsInPrinterPixels)
{
    struct Case {
        PrintDevice device;
        PrintMargins margins;
        bool fits;
        PrintArea area;
    } cases[] = {
        // Half an inch at 300 dpi is 150 pixels.
        {PAGE_300DPI, HALF_INCH, true, {150, 150, 2100, 2900}},
        // x and y margins follow their own resolutions; fractions are dropped.
        {{2400, 3200, 600, 300}, {33, 33, 0, 0}, true, {198, 99, 2202, 3101}},
        // A printable width of exactly 0 is still a page.
        {PAGE_300DPI, {400, 50, 400, 50}, true, {1200, 150, 0, 2900}},
        {PAGE_300DPI, {400, 50, 401, 50}, false, {}},
        {PAGE_300DPI, {50, 50, 50, 1017}, false, {}},
        // Margins near the 32-bit limits must not wrap into a positive width.
        {PAGE_300DPI, {INT32_MAX, 0, INT32_MAX, 0}, false, {}},
        {PAGE_300DPI, {0, INT32_MAX, 0, 1}, false, {}},
        {{INT32_MAX, 3200, 300, 300}, {INT32_MAX, 0, INT32_MIN, 0}, false, {}},
        // Negative margins that throw the picture off the 32-bit plane.
        {PAGE_300DPI, {INT32_MIN, 0, 0, 0}, false, {}},
    };
    for (const Case &c : cases) {
        PrintArea area = {-1, -1, -1, -1};
        ASSERT_EQ(ComputePrintArea(c.device, c.margins, &area), c.fits) << c.margins.left << " " << c.margins.right;
        if (c.fits) {
            EXPECT_EQ(area.left, c.area.left);
            EXPECT_EQ(area.top, c.area.top);
            EXPECT_EQ(area.width, c.area.width);
            EXPECT_EQ(area.height, c.area.height);
        }
    }
}

TEST(FitSnapshotOnPage, NaturalSizeShrunkToTheArea)
{
    const PrintArea a4ish = {150, 150, 2100, 2900};
    struct Case {
        int32_t width, height;
        PrintDevice device;
        int32_t screenX, screenY;
        PrintArea area;
        PrintSize printed;
    } cases[] = {
        {640, 480, PAGE_300DPI, 96, 96, a4ish, {2000, 1500}},
        {1024, 768, PAGE_300DPI, 96, 96, a4ish, {2100, 1575}},
        {200, 1000, PAGE_300DPI, 96, 96, a4ish, {580, 2900}},
        // A screen whose resolution reads as 0 counts as 96 dpi.
        {640, 480, PAGE_300DPI, 0, -5, a4ish, {2000, 1500}},
        // 600 x 300 dpi: natural 1250 x 312; shrunk, the pixel proportions stay.
        {200, 100, {2400, 3200, 600, 300}, 96, 96, a4ish, {1250, 312}},
        {1000, 500, {2400, 3200, 600, 300}, 96, 96, a4ish, {2100, 1050}},
        {100, 1000, {2400, 3200, 300, 600}, 96, 96, a4ish, {290, 2900}},
        // An area of width 0 leaves no picture.
        {640, 480, PAGE_300DPI, 96, 96, {1200, 150, 0, 2900}, {0, 0}},
        // Far wider than tall, or the reverse: one line is kept, never none.
        {30000, 1, PAGE_300DPI, 96, 96, a4ish, {2100, 1}},
        {1, 40000, PAGE_300DPI, 96, 96, a4ish, {1, 2900}},
    };
    for (const Case &c : cases) {
        PrintSize size = FitSnapshotOnPage(c.width, c.height, c.device, c.screenX, c.screenY, c.area);
        EXPECT_EQ(size.width, c.printed.width) << c.width << "x" << c.height;
        EXPECT_EQ(size.height, c.printed.height) << c.width << "x" << c.height;
    }
}

TEST(SpoolerResults, EachAnswerHasItsResult)
{
    struct Case {
        int answer;
        int page;
        int doc;
    } cases[] = {
        {1, Ok, Ok},
        {0, Ok, PrintFailed},  // a refused job: EndDoc gives 0
        {-1, PrintFailed, PrintFailed},
        {-2, PrintAborted, PrintFailed},
        {-3, PrintAborted, PrintFailed},
        {-4, SpoolerDiskFull, PrintFailed},
        {-5, SpoolerNoMemory, PrintFailed},
        {-6, PrintFailed, PrintFailed},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(PageResultToSnapResult(c.answer), c.page) << c.answer;
        EXPECT_EQ(DocResultToSnapResult(c.answer), c.doc) << c.answer;
    }
}
