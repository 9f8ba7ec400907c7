// Geometry of picking an area on the frozen screen at full size: the band
// between two pixels, the pointer nudged by the keys, where the magnifier
// goes beside the pointer, and which rectangle of a list lies under a point.
// Portable arithmetic; the Windows side supplies the coordinates.
#pragma once

#include "snap/shell/preview_geometry.h"

enum {
    MAGNIFIER_CELLS = 21,     // frozen pixels shown each way, the pointer's in the middle
    MAGNIFIER_ZOOM = 6,       // screen pixels per frozen pixel in the magnifier
    MAGNIFIER_OFFSET = 20,    // from the pointer to the magnifier's near corner, each way
    NUDGE_STEP = 1,           // an arrow key moves the pointer this far
    NUDGE_SHIFT_STEP = 10     // and with Shift this far
};

// The pixels from the one where the button went down to the one where it
// came up, both included, whichever way the drag went (right and bottom
// exclusive, as everywhere in GDI).
ScreenRect PickedBand(PreviewPoint press, PreviewPoint release);

// p moved by (dx, dy) steps of NUDGE_STEP, or of NUDGE_SHIFT_STEP with
// shift, kept on a pixel of bounds.
PreviewPoint NudgedPoint(PreviewPoint p, int dx, int dy, bool shift, const ScreenRect &bounds);

// Where a width x height magnifier goes for the pointer at p: below and right
// of it where it fits on the monitor, else flipped to the other side of the
// pointer; never over the pointer's pixel where the monitor has room for
// that, and always on the monitor when it fits there at all.
ScreenRect MagnifierPlace(PreviewPoint p, const ScreenRect &monitor, int width, int height);

// The square of frozen pixels the magnifier enlarges, centred on p.
ScreenRect MagnifiedSource(PreviewPoint p);

// The first of count rectangles that holds p (listed topmost first), or -1.
int RectIndexAt(const ScreenRect *rects, int count, PreviewPoint p);

// The part of a inside b; false when they do not overlap.
bool IntersectScreenRects(const ScreenRect &a, const ScreenRect &b, ScreenRect *out);
