#include "snap/shell/area_picker_geometry.h"

static int Min(int a, int b) { return a < b ? a : b; }
static int Max(int a, int b) { return a < b ? b : a; }

static bool Holds(const ScreenRect &r, PreviewPoint p)
{
    return r.left <= p.x && p.x < r.right && r.top <= p.y && p.y < r.bottom;
}

static bool Inside(const ScreenRect &inner, const ScreenRect &outer)
{
    return outer.left <= inner.left && outer.top <= inner.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

ScreenRect PickedBand(PreviewPoint press, PreviewPoint release)
{
    ScreenRect r;
    r.left = Min(press.x, release.x);
    r.top = Min(press.y, release.y);
    r.right = Max(press.x, release.x) + 1;
    r.bottom = Max(press.y, release.y) + 1;
    return r;
}

PreviewPoint NudgedPoint(PreviewPoint p, int dx, int dy, bool shift, const ScreenRect &bounds)
{
    const int step = shift ? NUDGE_SHIFT_STEP : NUDGE_STEP;
    PreviewPoint q;
    q.x = Max(bounds.left, Min(bounds.right - 1, p.x + dx * step));
    q.y = Max(bounds.top, Min(bounds.bottom - 1, p.y + dy * step));
    return q;
}

// The magnifier on one side of p each way: right (or left) of it and below
// (or above) it, MAGNIFIER_OFFSET away.
static ScreenRect Beside(PreviewPoint p, bool right, bool below, int width, int height)
{
    ScreenRect r;
    r.left = right ? p.x + MAGNIFIER_OFFSET : p.x - MAGNIFIER_OFFSET - width + 1;
    r.top = below ? p.y + MAGNIFIER_OFFSET : p.y - MAGNIFIER_OFFSET - height + 1;
    r.right = r.left + width;
    r.bottom = r.top + height;
    return r;
}

// r moved the least way onto the monitor (its top-left corner kept on it
// when it is larger).
static ScreenRect ShiftedOnto(ScreenRect r, const ScreenRect &monitor)
{
    int dx = 0, dy = 0;
    if (r.right > monitor.right)
        dx = monitor.right - r.right;
    if (r.left + dx < monitor.left)
        dx = monitor.left - r.left;
    if (r.bottom > monitor.bottom)
        dy = monitor.bottom - r.bottom;
    if (r.top + dy < monitor.top)
        dy = monitor.top - r.top;
    r.left += dx;
    r.right += dx;
    r.top += dy;
    r.bottom += dy;
    return r;
}

ScreenRect MagnifierPlace(PreviewPoint p, const ScreenRect &monitor, int width, int height)
{
    // Below right first, then the flipped places, in the order in which
    // the eye finds them near the pointer.
    const bool sides[4][2] = {{true, true}, {false, true}, {true, false}, {false, false}};
    for (const auto &side : sides) {
        ScreenRect r = Beside(p, side[0], side[1], width, height);
        if (Inside(r, monitor))
            return r;
    }
    // No corner fits whole (the pointer is near the middle of a monitor
    // hardly larger than the magnifier): moved onto the monitor, on the side
    // where it stays clear of the pointer, sliding past it sideways if need be.
    for (const auto &side : sides) {
        ScreenRect r = ShiftedOnto(Beside(p, side[0], side[1], width, height), monitor);
        if (!Holds(r, p))
            return r;
    }
    ScreenRect r = ShiftedOnto(Beside(p, true, true, width, height), monitor);
    // Still over the pointer: beside it, off the monitor's edge rather than
    // hiding the pixel being picked.
    if (Holds(r, p)) {
        r.left = p.x + 1;
        r.right = r.left + width;
    }
    return r;
}

ScreenRect MagnifiedSource(PreviewPoint p)
{
    ScreenRect r;
    r.left = p.x - MAGNIFIER_CELLS / 2;
    r.top = p.y - MAGNIFIER_CELLS / 2;
    r.right = r.left + MAGNIFIER_CELLS;
    r.bottom = r.top + MAGNIFIER_CELLS;
    return r;
}

int RectIndexAt(const ScreenRect *rects, int count, PreviewPoint p)
{
    for (int i = 0; i < count; ++i)
        if (Holds(rects[i], p))
            return i;
    return -1;
}

bool IntersectScreenRects(const ScreenRect &a, const ScreenRect &b, ScreenRect *out)
{
    ScreenRect r;
    r.left = Max(a.left, b.left);
    r.top = Max(a.top, b.top);
    r.right = Min(a.right, b.right);
    r.bottom = Min(a.bottom, b.bottom);
    if (r.left >= r.right || r.top >= r.bottom)
        return false;
    *out = r;
    return true;
}
