#include <gtest/gtest.h>
#include <stdint.h>

#include <vector>

#include "snap/engine/edit_history.h"
#include "snap/engine/edit_pixels.h"
#include "snap/shell/editor_view.h"

namespace {

// A picture of w x h pixels whose every pixel differs from its neighbours,
// with a colour table of 256 distinct greys-and-hues at 8 bits.
struct TestPicture {
    std::vector<uint8_t> pixels, table;
    EditPicture picture;
    TestPicture(int32_t w, int32_t h, int bits)
    {
        const uint32_t row = ((uint32_t)w * (bits / 8) + 3) / 4 * 4;
        pixels.assign(row * h, 0);
        table.assign(1024, 0);
        for (int i = 0; i < 256; ++i) {
            table[i * 4] = (uint8_t)(i * 37);
            table[i * 4 + 1] = (uint8_t)(i * 11);
            table[i * 4 + 2] = (uint8_t)i;
        }
        picture = {pixels.data(), w, h, row, bits, table.data()};
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                uint8_t *p = PixelAt(picture, x, y);
                for (int c = 0; c < bits / 8; ++c)
                    p[c] = (uint8_t)(x * 29 + y * 53 + c * 91);
            }
    }
};

bool SameColour(EditColour a, EditColour b) { return a.red == b.red && a.green == b.green && a.blue == b.blue; }

const EditColour RED = {255, 0, 0};

TEST(EditMarks, OutlineHasItsOuterEdgeOnThePressAndReleasePixels)
{
    TestPicture t(30, 20, 24), before(30, 20, 24);
    const EditRect r = DragRect(20, 15, 4, 2);  // dragged up and to the left
    EXPECT_EQ(r.left, 4);
    EXPECT_EQ(r.bottom, 16);
    const EditRect clip = {0, 0, 30, 14};       // the rows below 14 are cropped away
    DrawOutline(t.picture, r, 3, PixelValueFor(t.picture, RED), clip);
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 30; ++x) {
            const bool inside = x >= 4 && x <= 20 && y >= 2 && y <= 15;
            const bool edge = x < 7 || x > 17 || y < 5 || y > 12;
            const EditColour want = inside && edge && y < 14 ? RED : PixelColour(before.picture, x, y);
            EXPECT_TRUE(SameColour(PixelColour(t.picture, x, y), want)) << x << "," << y;
        }
}

TEST(EditMarks, NarrowOutlineIsFilledAndTextMaskStaysInsideTheCrop)
{
    TestPicture t(12, 10, 8), before(12, 10, 8);
    const EditRect all = {0, 0, 12, 10};
    const uint32_t red = PixelValueFor(t.picture, RED);
    EXPECT_EQ(red, (uint32_t)NearestPaletteIndex(t.table.data(), RED));
    DrawOutline(t.picture, EditRect{1, 1, 6, 4}, 3, red, all);  // 5 x 3: no inside left
    // A 4 x 3 mask at (8, 6) whose corners are set; the crop ends at column 11, row 8.
    const uint8_t mask[12] = {1, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 1};
    ApplyMask(t.picture, mask, 4, 3, 8, 6, red, EditRect{0, 0, 11, 8});
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 12; ++x) {
            const bool outline = x >= 1 && x < 6 && y >= 1 && y < 4;
            const bool text = (x == 8 || x == 11) && (y == 6 || y == 8) && x < 11 && y < 8;
            EXPECT_EQ(*PixelAt(t.picture, x, y), outline || text ? red : *PixelAt(before.picture, x, y))
                << x << "," << y;
        }
}

TEST(EditMarks, PixelateFillsEachBlockWithItsAverageAtBothDepths)
{
    for (int bits : {24, 8}) {
        TestPicture t(40, 30, bits), before(40, 30, bits);
        const EditRect r = {3, 2, 28, 25};  // blocks of 10, 10 and 5 by 10, 10 and 3
        Pixelate(t.picture, r);
        for (int32_t y = 0; y < 30; ++y)
            for (int32_t x = 0; x < 40; ++x) {
                const bool inside = x >= 3 && x < 28 && y >= 2 && y < 25;
                if (!inside) {
                    EXPECT_TRUE(SameColour(PixelColour(t.picture, x, y), PixelColour(before.picture, x, y)));
                    continue;
                }
                const int32_t bx = 3 + (x - 3) / 10 * 10, by = 2 + (y - 2) / 10 * 10;
                unsigned sum[3] = {0, 0, 0}, n = 0;
                for (int32_t yy = by; yy < by + 10 && yy < 25; ++yy)
                    for (int32_t xx = bx; xx < bx + 10 && xx < 28; ++xx, ++n) {
                        const EditColour c = PixelColour(before.picture, xx, yy);
                        sum[0] += c.red, sum[1] += c.green, sum[2] += c.blue;
                    }
                EditColour average = {(uint8_t)((sum[0] + n / 2) / n), (uint8_t)((sum[1] + n / 2) / n),
                                      (uint8_t)((sum[2] + n / 2) / n)};
                if (bits == 8)
                    EXPECT_EQ(*PixelAt(t.picture, x, y), NearestPaletteIndex(t.table.data(), average));
                else
                    EXPECT_TRUE(SameColour(PixelColour(t.picture, x, y), average)) << x << "," << y;
            }
    }
}

TEST(EditMarks, HighlightAveragesWithYellowAndMatchesThePaletteAt8Bits)
{
    TestPicture t(8, 4, 24), before(8, 4, 24);
    Highlight(t.picture, EditRect{2, 1, 50, 3});  // reaching past the picture
    for (int32_t x = 0; x < 8; ++x) {
        const EditColour c = PixelColour(before.picture, x, 1);
        const EditColour want = {(uint8_t)((c.red + 256) / 2), (uint8_t)((c.green + 256) / 2),
                                 (uint8_t)((c.blue + 1) / 2)};
        EXPECT_TRUE(SameColour(PixelColour(t.picture, x, 1), x >= 2 ? want : c)) << x;
        EXPECT_TRUE(SameColour(PixelColour(t.picture, x, 3), PixelColour(before.picture, x, 3)));
    }
    TestPicture p(4, 1, 8);
    const EditColour under = PixelColour(p.picture, 1, 0);
    Highlight(p.picture, EditRect{1, 0, 2, 1});
    const EditColour blended = {(uint8_t)((under.red + 256) / 2), (uint8_t)((under.green + 256) / 2),
                                (uint8_t)((under.blue + 1) / 2)};
    EXPECT_EQ(*PixelAt(p.picture, 1, 0), NearestPaletteIndex(p.table.data(), blended));
}

TEST(EditMarks, ArrowRunsFromPressToATipAtTheReleaseInsideItsBounds)
{
    TestPicture t(80, 60, 24), before(80, 60, 24);
    const EditRect all = {0, 0, 80, 60};
    DrawArrow(t.picture, 5, 50, 70, 10, 3, PixelValueFor(t.picture, RED), all);
    const EditRect bounds = ArrowBounds(5, 50, 70, 10, 3);
    int changed = 0;
    for (int32_t y = 0; y < 60; ++y)
        for (int32_t x = 0; x < 80; ++x)
            if (!SameColour(PixelColour(t.picture, x, y), PixelColour(before.picture, x, y))) {
                ++changed;
                EXPECT_TRUE(SameColour(PixelColour(t.picture, x, y), RED));
                EXPECT_TRUE(x >= bounds.left && x < bounds.right && y >= bounds.top && y < bounds.bottom);
            }
    EXPECT_TRUE(SameColour(PixelColour(t.picture, 5, 50), RED));
    EXPECT_TRUE(SameColour(PixelColour(t.picture, 70, 10), RED));
    EXPECT_TRUE(SameColour(PixelColour(t.picture, 37, 30), RED));   // half way
    EXPECT_FALSE(SameColour(PixelColour(t.picture, 70, 50), RED));  // off the line
    EXPECT_GT(changed, 65 * 3);
}

TEST(EditMarks, CropMovesTheRectangleToTheStartOfThePixels)
{
    TestPicture t(21, 13, 24), before(21, 13, 24);
    CropInPlace(&t.picture, EditRect{5, 3, 18, 11});
    ASSERT_EQ(t.picture.width, 13);
    ASSERT_EQ(t.picture.height, 8);
    EXPECT_EQ(t.picture.rowSize, 40u);
    for (int32_t y = 0; y < 8; ++y) {
        for (int32_t x = 0; x < 13; ++x)
            EXPECT_TRUE(SameColour(PixelColour(t.picture, x, y), PixelColour(before.picture, x + 5, y + 3)));
        EXPECT_EQ(t.pixels[(size_t)y * 40 + 39], 0);
    }
}

TEST(EditHistory, UndoAndRedoReachBackToTheCapturedPicture)
{
    TestPicture t(30, 20, 24), before(30, 20, 24), marked(30, 20, 24);
    EditHistory h = {};
    EditRect crop = {0, 0, 30, 20};
    ASSERT_TRUE(BeginMarkStep(&h, t.picture, EditRect{2, 2, 12, 12}));
    Pixelate(t.picture, EditRect{2, 2, 12, 12});
    ASSERT_TRUE(BeginMarkStep(&h, t.picture, EditRect{8, 5, 40, 9}));  // clipped to the picture
    Highlight(t.picture, EditRect{8, 5, 40, 9});
    EXPECT_EQ(h.savedBytes, (size_t)(10 * 10 + 22 * 4) * 3);
    ASSERT_TRUE(AddCropStep(&h, &crop, EditRect{1, 1, 20, 15}));
    marked.pixels = t.pixels;

    // A drag in progress moves its mark: the last step is put back and dropped.
    ASSERT_TRUE(BeginMarkStep(&h, t.picture, EditRect{0, 0, 5, 5}));
    Highlight(t.picture, EditRect{0, 0, 5, 5});
    DropLastStep(&h, t.picture, &crop);
    EXPECT_EQ(t.pixels, marked.pixels);

    EXPECT_TRUE(UndoStep(&h, t.picture, &crop));
    EXPECT_EQ(crop.right, 30);
    EXPECT_TRUE(UndoStep(&h, t.picture, &crop));
    EXPECT_TRUE(UndoStep(&h, t.picture, &crop));
    EXPECT_FALSE(UndoStep(&h, t.picture, &crop));
    EXPECT_EQ(t.pixels, before.pixels);
    EXPECT_TRUE(RedoStep(&h, t.picture, &crop));
    EXPECT_TRUE(RedoStep(&h, t.picture, &crop));
    EXPECT_TRUE(RedoStep(&h, t.picture, &crop));
    EXPECT_FALSE(RedoStep(&h, t.picture, &crop));
    EXPECT_EQ(t.pixels, marked.pixels);
    EXPECT_EQ(crop.left, 1);

    // A new mark after an undo ends what could be redone.
    UndoStep(&h, t.picture, &crop);
    UndoStep(&h, t.picture, &crop);
    ASSERT_TRUE(BeginMarkStep(&h, t.picture, EditRect{0, 0, 1, 1}));
    EXPECT_EQ(h.count, 2u);
    EXPECT_EQ(h.savedBytes, (size_t)(100 + 1) * 3);
    EXPECT_FALSE(RedoStep(&h, t.picture, &crop));
    FreeEditHistory(&h);
}

TEST(EditView, DragsLandOnPicturePixelsAtAnyZoom)
{
    EditView v = {200, 100, 1, 1, 0, 0};
    SetZoomToFit(&v, 700, 600);  // width decides: 7:2
    EXPECT_EQ(v.zoomNum * 2, v.zoomDen * 7);
    int32_t px, py;
    CanvasToPicture(v, 6, 3, &px, &py);
    EXPECT_EQ(px, 1);
    EXPECT_EQ(py, 0);
    CanvasToPicture(v, 699, 349, &px, &py);
    EXPECT_EQ(px, 199);
    EXPECT_EQ(py, 99);
    const EditRect c = PictureToCanvas(v, EditRect{1, 1, 2, 2});
    EXPECT_EQ(c.left, 4);  // ceil(3.5)
    EXPECT_EQ(c.right, 7);
    CanvasToPicture(v, c.left, c.right - 1, &px, &py);
    EXPECT_EQ(px, 1);
    EXPECT_EQ(py, 1);

    SetZoomToFit(&v, 100, 100);  // smaller than the picture: 1:2
    EXPECT_EQ(ScaledWidth(v), 100);
    EXPECT_EQ(ScaledHeight(v), 50);
    SetZoomActual(&v);
    v.scrollX = 500;
    ClampScroll(&v, 150, 150);
    EXPECT_EQ(v.scrollX, 50);
    EXPECT_EQ(v.scrollY, 0);
    CanvasToPicture(v, -20, 400, &px, &py);  // a drag past the edge ends on it
    EXPECT_EQ(px, 30);
    EXPECT_EQ(py, 99);
}

}  // namespace
