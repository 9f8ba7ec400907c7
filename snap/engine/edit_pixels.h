// The marks a user makes on a snapshot before it goes out, drawn straight
// into the snapshot's own rows: outlines, arrows, highlighting, pixelation,
// text from a mask, and cropping. Portable: no Windows headers.
#pragma once
#include <stddef.h>
#include <stdint.h>

// The picture as the snapshot holds it: bottom-up rows of rowSize bytes, at
// 24 bits blue, green, red a pixel, at 8 bits one index into the 256-entry
// colour table (RGBQUAD: blue, green, red, zero) that a mark's colour is
// matched against.
struct EditPicture {
    uint8_t *pixels;
    int32_t width;
    int32_t height;
    uint32_t rowSize;
    int bitsPerPixel;            // 8 or 24
    const uint8_t *colorTable;   // 8 bits only
};

// Picture pixels counted from the top-left corner; right and bottom are
// one past the last pixel.
struct EditRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

struct EditColour {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

enum {
    PIXELATE_BLOCK = 10  // pixels a side
};

inline bool EditRectEmpty(const EditRect &r) { return r.right <= r.left || r.bottom <= r.top; }

// The rectangle from the pixel under the press to the one under the
// release, both included, whichever way the drag went.
EditRect DragRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1);

// The part of r inside clip (empty when none).
EditRect IntersectEditRect(const EditRect &r, const EditRect &clip);

// The row bytes of the pixel at (x, y), y counted from the top.
uint8_t *PixelAt(const EditPicture &picture, int32_t x, int32_t y);

EditColour PixelColour(const EditPicture &picture, int32_t x, int32_t y);

// The colour-table entry nearest to colour (the first of equally near ones).
int NearestPaletteIndex(const uint8_t *colorTable, EditColour colour);

// What a pixel of this colour holds in the picture: the colour itself at
// 24 bits (blue in the low byte), its nearest palette index at 8 bits.
uint32_t PixelValueFor(const EditPicture &picture, EditColour colour);

// The outline of r, its outer edge on r's edge and width pixels inward
// (all of r when it is narrower than two widths). Only pixels inside clip
// change.
void DrawOutline(const EditPicture &picture, const EditRect &r, int width, uint32_t value, const EditRect &clip);

// The pixels an arrow from (x0, y0) to (x1, y1) of this width may touch.
EditRect ArrowBounds(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int width);

// A line of the width from the press (x0, y0) to a filled head whose tip is
// the release (x1, y1). Only pixels inside clip change.
void DrawArrow(const EditPicture &picture, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int width,
               uint32_t value, const EditRect &clip);

// Each pixel of r (clipped to the picture) becomes the average of itself
// and yellow, channel by channel, rounded half up; at 8 bits the nearest
// palette colour to that.
void Highlight(const EditPicture &picture, const EditRect &r);

// Cuts r (clipped to the picture) into blocks of PIXELATE_BLOCK pixels from
// its top-left corner, smaller at its right and bottom edges, and fills
// each block with the average of its pixels, channel by channel, rounded
// half up; at 8 bits the nearest palette colour to that average.
void Pixelate(const EditPicture &picture, const EditRect &r);

// Sets value into every pixel whose byte in mask (maskWidth x maskHeight,
// top row first, one byte a pixel) is not zero, the mask's top-left
// corner on (x, y). Only pixels inside clip change.
void ApplyMask(const EditPicture &picture, const uint8_t *mask, int32_t maskWidth, int32_t maskHeight,
               int32_t x, int32_t y, uint32_t value, const EditRect &clip);

// Makes crop (inside the picture) the whole picture: moves its rows to the
// start of the pixels, in place, with zero pad bytes, and sets the new
// width, height and row size into picture.
void CropInPlace(EditPicture *picture, const EditRect &crop);
