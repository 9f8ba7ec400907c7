#include "snap/shell/preview_geometry.h"

#include <gtest/gtest.h>

namespace {

void ExpectRect(const ScreenRect &expected, const ScreenRect &got)
{
    EXPECT_EQ(expected.left, got.left);
    EXPECT_EQ(expected.top, got.top);
    EXPECT_EQ(expected.right, got.right);
    EXPECT_EQ(expected.bottom, got.bottom);
}

struct OriginCase {
    int clientWidth, clientHeight, screenWidth, screenHeight;
    PreviewPoint origin;
    ScreenRect frame;
};

TEST(PreviewGeometry, ModelIsCentredAtHalfScaleInsideItsFrame)
{
    const OriginCase cases[] = {
        // 1024 x 768 with a client area of 620 x 477: model 512 x 384.
        {620, 477, 1024, 768, {54, 46}, {52, 44, 568, 432}},
        // Odd sizes truncate twice: half of 767 is 383, (500 - 383) / 2 = 58.
        {700, 500, 1023, 767, {94, 58}, {92, 56, 607, 443}},
        // A screen that grew past the window: the model overhangs it.
        {300, 200, 1024, 768, {-106, -92}, {-108, -94, 408, 294}},
    };
    for (const OriginCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.screenWidth << " x " << c.screenHeight << " in "
                                        << c.clientWidth << " x " << c.clientHeight);
        PreviewPoint o = ModelOrigin(c.clientWidth, c.clientHeight, c.screenWidth, c.screenHeight, MODEL_SCALE);
        EXPECT_EQ(c.origin.x, o.x);
        EXPECT_EQ(c.origin.y, o.y);
        ExpectRect(c.frame, ModelFrame(o, c.screenWidth, c.screenHeight, MODEL_SCALE));
    }
}

struct BandCase {
    const char *what;
    int scale;
    PreviewPoint from, to;  // client coordinates where the drag starts and ends
    ScreenRect image;
};

TEST(PreviewGeometry, BandMapsToWholeSquaresOfImagePixelsWhicheverWayItIsDragged)
{
    const PreviewPoint origin = {54, 46};
    const BandCase cases[] = {
        {"inside the model", 2, {64, 56}, {165, 107}, {20, 20, 222, 122}},
        {"whole model", 2, {54, 46}, {566, 430}, {0, 0, 1024, 768}},
        {"from above the model, over the text", 2, {100, 10}, {150, 60}, {92, -72, 192, 28}},
        {"past the right and bottom edges", 2, {500, 400}, {600, 470}, {892, 708, 1092, 848}},
        {"a click", 2, {80, 80}, {80, 80}, {52, 68, 52, 68}},
        // A desktop too large for half scale: the same drag at a third.
        {"inside a model at a third", 3, {64, 56}, {165, 107}, {30, 30, 333, 183}},
        {"whole 5760 x 1080 model at a third", 3, {54, 46}, {1974, 406}, {0, 0, 5760, 1080}},
    };
    for (const BandCase &c : cases) {
        SCOPED_TRACE(c.what);
        for (int reversed = 0; reversed < 2; ++reversed) {
            ScreenRect band = reversed ? RubberBand(c.to, c.from) : RubberBand(c.from, c.to);
            ScreenRect image = BandToImage(band, origin, c.scale);
            ExpectRect(c.image, image);
            EXPECT_EQ(0, (image.right - image.left) % c.scale);
            EXPECT_EQ(0, (image.bottom - image.top) % c.scale);
        }
    }
}

TEST(PreviewGeometry, ScaleIsHalfWhereThatFitsAndTheNextWholeOneWhereNot)
{
    const struct {
        int desktopWidth, desktopHeight, roomWidth, roomHeight, scale;
    } cases[] = {
        {1024, 768, 1800, 950, 2},   // one screen: half scale, as ever
        {3200, 1680, 1800, 950, 2},  // three monitors that fit at half scale
        {3200, 1680, 1600, 840, 2},  // exactly
        {3200, 1680, 1599, 840, 3},  // one pixel too narrow
        {5760, 1080, 1800, 950, 4},  // three 1920 x 1080 side by side: a third is still 1920 wide
        {1024, 768, 0, 500, MAX_MODEL_SCALE},
        {100000, 100, 10, 10, MAX_MODEL_SCALE},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.desktopWidth << " x " << c.desktopHeight << " in "
                                        << c.roomWidth << " x " << c.roomHeight);
        EXPECT_EQ(c.scale, ModelScale(c.desktopWidth, c.desktopHeight, c.roomWidth, c.roomHeight));
    }
}

TEST(PreviewGeometry, ModelLaidOutForTheFrozenImageCoversExactlyThatImage)
{
    // The display went from 1024 x 768 to 800 x 600 after start-up, and again
    // to an odd 799 x 599: a drag over the whole model drawn for the frozen
    // image never reaches beyond it, whatever client area the window has.
    const struct {
        int clientWidth, clientHeight, imageWidth, imageHeight;
    } cases[] = {{620, 477, 800, 600}, {500, 391, 800, 600}, {500, 391, 799, 599}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.imageWidth << " x " << c.imageHeight);
        PreviewPoint o = ModelOrigin(c.clientWidth, c.clientHeight, c.imageWidth, c.imageHeight, MODEL_SCALE);
        ScreenRect model = ModelRect(o, c.imageWidth, c.imageHeight, MODEL_SCALE);
        ScreenRect image = BandToImage(model, o, MODEL_SCALE);
        ExpectRect({0, 0, c.imageWidth / 2 * 2, c.imageHeight / 2 * 2}, image);
    }
}

}  // namespace
