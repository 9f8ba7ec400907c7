#include "snap/engine/edit_pixels.h"

#include <math.h>
#include <string.h>

static const EditColour YELLOW = {255, 255, 0};

static int32_t Min32(int32_t a, int32_t b) { return a < b ? a : b; }
static int32_t Max32(int32_t a, int32_t b) { return a > b ? a : b; }

EditRect DragRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    EditRect r = {Min32(x0, x1), Min32(y0, y1), Max32(x0, x1) + 1, Max32(y0, y1) + 1};
    return r;
}

EditRect IntersectEditRect(const EditRect &r, const EditRect &clip)
{
    EditRect out = {Max32(r.left, clip.left), Max32(r.top, clip.top), Min32(r.right, clip.right),
                    Min32(r.bottom, clip.bottom)};
    if (EditRectEmpty(out))
        out.left = out.top = out.right = out.bottom = 0;
    return out;
}

static EditRect WholePicture(const EditPicture &picture)
{
    EditRect r = {0, 0, picture.width, picture.height};
    return r;
}

uint8_t *PixelAt(const EditPicture &picture, int32_t x, int32_t y)
{
    const size_t row = (size_t)(picture.height - 1 - y) * picture.rowSize;
    return picture.pixels + row + (size_t)x * (picture.bitsPerPixel == 8 ? 1 : 3);
}

static EditColour TableColour(const uint8_t *colorTable, int index)
{
    const uint8_t *entry = colorTable + index * 4;
    EditColour c = {entry[2], entry[1], entry[0]};
    return c;
}

EditColour PixelColour(const EditPicture &picture, int32_t x, int32_t y)
{
    const uint8_t *p = PixelAt(picture, x, y);
    if (picture.bitsPerPixel == 8)
        return TableColour(picture.colorTable, *p);
    EditColour c = {p[2], p[1], p[0]};
    return c;
}

int NearestPaletteIndex(const uint8_t *colorTable, EditColour colour)
{
    int best = 0;
    long bestDistance = -1;
    for (int i = 0; i < 256; ++i) {
        const EditColour c = TableColour(colorTable, i);
        const long dr = c.red - colour.red, dg = c.green - colour.green, db = c.blue - colour.blue;
        const long distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

uint32_t PixelValueFor(const EditPicture &picture, EditColour colour)
{
    if (picture.bitsPerPixel == 8)
        return (uint32_t)NearestPaletteIndex(picture.colorTable, colour);
    return (uint32_t)colour.blue | ((uint32_t)colour.green << 8) | ((uint32_t)colour.red << 16);
}

static void PutPixel(const EditPicture &picture, int32_t x, int32_t y, uint32_t value)
{
    uint8_t *p = PixelAt(picture, x, y);
    p[0] = (uint8_t)value;
    if (picture.bitsPerPixel != 8) {
        p[1] = (uint8_t)(value >> 8);
        p[2] = (uint8_t)(value >> 16);
    }
}

static void FillSpan(const EditPicture &picture, int32_t y, int32_t left, int32_t right, uint32_t value,
                     const EditRect &clip)
{
    if (y < clip.top || y >= clip.bottom)
        return;
    for (int32_t x = Max32(left, clip.left); x < Min32(right, clip.right); ++x)
        PutPixel(picture, x, y, value);
}

void DrawOutline(const EditPicture &picture, const EditRect &r, int width, uint32_t value, const EditRect &clip)
{
    const EditRect inside = IntersectEditRect(clip, WholePicture(picture));
    for (int32_t y = r.top; y < r.bottom; ++y) {
        if (y < r.top + width || y >= r.bottom - width) {
            FillSpan(picture, y, r.left, r.right, value, inside);
        } else {
            FillSpan(picture, y, r.left, Min32(r.left + width, r.right), value, inside);
            FillSpan(picture, y, Max32(r.right - width, r.left), r.right, value, inside);
        }
    }
}

// The head: as long as four line widths and six pixels, as wide as long,
// shortened to the arrow when the arrow is shorter.
struct ArrowShape {
    double tipX, tipY, baseX, baseY;  // the line runs from the press to the base
    double cornerX[2], cornerY[2];
    double radius;                    // half the line's width
};

static ArrowShape ShapeArrow(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int width)
{
    ArrowShape s;
    s.tipX = x1;
    s.tipY = y1;
    s.radius = width / 2.0;
    const double dx = x1 - x0, dy = y1 - y0, length = sqrt(dx * dx + dy * dy);
    double head = 4.0 * width + 6.0;
    if (head > length)
        head = length;
    const double ux = length > 0 ? dx / length : 0, uy = length > 0 ? dy / length : 0;
    s.baseX = x1 - ux * head;
    s.baseY = y1 - uy * head;
    for (int side = 0; side < 2; ++side) {
        const double sign = side ? 1.0 : -1.0;
        s.cornerX[side] = s.baseX - uy * head / 2 * sign;
        s.cornerY[side] = s.baseY + ux * head / 2 * sign;
    }
    return s;
}

EditRect ArrowBounds(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int width)
{
    const ArrowShape s = ShapeArrow(x0, y0, x1, y1, width);
    double left = Min32(x0, x1), right = Max32(x0, x1), top = Min32(y0, y1), bottom = Max32(y0, y1);
    for (int side = 0; side < 2; ++side) {
        left = fmin(left, s.cornerX[side]);
        right = fmax(right, s.cornerX[side]);
        top = fmin(top, s.cornerY[side]);
        bottom = fmax(bottom, s.cornerY[side]);
    }
    const int32_t margin = width / 2 + 1;
    EditRect r = {(int32_t)floor(left) - margin, (int32_t)floor(top) - margin, (int32_t)ceil(right) + margin + 1,
                  (int32_t)ceil(bottom) + margin + 1};
    return r;
}

static double SegmentDistance(double px, double py, double ax, double ay, double bx, double by)
{
    const double dx = bx - ax, dy = by - ay, squared = dx * dx + dy * dy;
    double t = squared > 0 ? ((px - ax) * dx + (py - ay) * dy) / squared : 0;
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    const double ex = px - (ax + t * dx), ey = py - (ay + t * dy);
    return sqrt(ex * ex + ey * ey);
}

static double EdgeSide(double ax, double ay, double bx, double by, double px, double py)
{
    return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
}

static bool InHead(const ArrowShape &s, double px, double py)
{
    const double e = 1e-9;
    const double a = EdgeSide(s.tipX, s.tipY, s.cornerX[0], s.cornerY[0], px, py);
    const double b = EdgeSide(s.cornerX[0], s.cornerY[0], s.cornerX[1], s.cornerY[1], px, py);
    const double c = EdgeSide(s.cornerX[1], s.cornerY[1], s.tipX, s.tipY, px, py);
    return (a >= -e && b >= -e && c >= -e) || (a <= e && b <= e && c <= e);
}

void DrawArrow(const EditPicture &picture, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int width,
               uint32_t value, const EditRect &clip)
{
    const ArrowShape s = ShapeArrow(x0, y0, x1, y1, width);
    const EditRect area = IntersectEditRect(IntersectEditRect(ArrowBounds(x0, y0, x1, y1, width), clip),
                                            WholePicture(picture));
    // A one-pixel line still reaches every column (or row) it crosses:
    // each has a pixel centre within half a pixel of it.
    const double reach = s.radius < 0.5 ? 0.5 : s.radius;
    const bool hasHead = s.tipX != s.baseX || s.tipY != s.baseY;
    for (int32_t y = area.top; y < area.bottom; ++y)
        for (int32_t x = area.left; x < area.right; ++x)
            if (SegmentDistance(x, y, x0, y0, s.baseX, s.baseY) <= reach + 1e-9 || (hasHead && InHead(s, x, y)))
                PutPixel(picture, x, y, value);
}

static uint8_t Average2(uint8_t a, uint8_t b) { return (uint8_t)((a + b + 1) / 2); }

static EditColour Blend(EditColour c)
{
    EditColour out = {Average2(c.red, YELLOW.red), Average2(c.green, YELLOW.green), Average2(c.blue, YELLOW.blue)};
    return out;
}

void Highlight(const EditPicture &picture, const EditRect &r)
{
    const EditRect area = IntersectEditRect(r, WholePicture(picture));
    uint8_t blended[256];
    if (picture.bitsPerPixel == 8)
        for (int i = 0; i < 256; ++i)
            blended[i] = (uint8_t)NearestPaletteIndex(picture.colorTable, Blend(TableColour(picture.colorTable, i)));
    for (int32_t y = area.top; y < area.bottom; ++y) {
        uint8_t *p = PixelAt(picture, area.left, y);
        for (int32_t x = area.left; x < area.right; ++x) {
            if (picture.bitsPerPixel == 8) {
                *p = blended[*p];
                p += 1;
            } else {
                p[0] = Average2(p[0], YELLOW.blue);
                p[1] = Average2(p[1], YELLOW.green);
                p[2] = Average2(p[2], YELLOW.red);
                p += 3;
            }
        }
    }
}

static void FillBlock(const EditPicture &picture, const EditRect &block)
{
    uint64_t red = 0, green = 0, blue = 0;
    for (int32_t y = block.top; y < block.bottom; ++y)
        for (int32_t x = block.left; x < block.right; ++x) {
            const EditColour c = PixelColour(picture, x, y);
            red += c.red;
            green += c.green;
            blue += c.blue;
        }
    const uint64_t n = (uint64_t)(block.right - block.left) * (uint64_t)(block.bottom - block.top);
    const EditColour average = {(uint8_t)((red + n / 2) / n), (uint8_t)((green + n / 2) / n),
                                (uint8_t)((blue + n / 2) / n)};
    const uint32_t value = PixelValueFor(picture, average);
    for (int32_t y = block.top; y < block.bottom; ++y)
        FillSpan(picture, y, block.left, block.right, value, block);
}

void Pixelate(const EditPicture &picture, const EditRect &r)
{
    const EditRect area = IntersectEditRect(r, WholePicture(picture));
    for (int32_t top = area.top; top < area.bottom; top += PIXELATE_BLOCK)
        for (int32_t left = area.left; left < area.right; left += PIXELATE_BLOCK) {
            const EditRect block = {left, top, Min32(left + PIXELATE_BLOCK, area.right),
                                    Min32(top + PIXELATE_BLOCK, area.bottom)};
            FillBlock(picture, block);
        }
}

void ApplyMask(const EditPicture &picture, const uint8_t *mask, int32_t maskWidth, int32_t maskHeight,
               int32_t x, int32_t y, uint32_t value, const EditRect &clip)
{
    const EditRect placed = {x, y, x + maskWidth, y + maskHeight};
    const EditRect area = IntersectEditRect(IntersectEditRect(placed, clip), WholePicture(picture));
    for (int32_t py = area.top; py < area.bottom; ++py)
        for (int32_t px = area.left; px < area.right; ++px)
            if (mask[(size_t)(py - y) * maskWidth + (px - x)])
                PutPixel(picture, px, py, value);
}

void CropInPlace(EditPicture *picture, const EditRect &crop)
{
    const EditPicture old = *picture;
    const uint32_t bytesPerPixel = old.bitsPerPixel == 8 ? 1 : 3;
    const int32_t width = crop.right - crop.left, height = crop.bottom - crop.top;
    const uint32_t rowSize = ((uint32_t)width * bytesPerPixel + 3) / 4 * 4;
    const uint32_t used = (uint32_t)width * bytesPerPixel;
    // Bottom row first: each new row starts at or before the old row it
    // comes from and ends before any row still to be read.
    for (int32_t row = 0; row < height; ++row) {
        const int32_t top = crop.bottom - 1 - row;  // the picture row it shows, from the top
        uint8_t *to = old.pixels + (size_t)row * rowSize;
        memmove(to, PixelAt(old, crop.left, top), used);
        memset(to + used, 0, rowSize - used);
    }
    picture->width = width;
    picture->height = height;
    picture->rowSize = rowSize;
}
