// Geometry of the area preview: where the scaled-down model of the frozen
// desktop sits in the main window, how small it must be to fit, and how a
// rubber band drawn over it maps back to pixels of the frozen image.
// Portable arithmetic; the Windows side supplies the sizes and coordinates.
#pragma once

#include "snap/shell/main_window_rect.h"

struct PreviewPoint {
    int x;
    int y;
};

enum {
    MODEL_SCALE = 2,        // one model pixel stands for 2 x 2 desktop pixels where that fits
    MAX_MODEL_SCALE = 64,   // the smallest model, whatever room there is
    MODEL_FRAME_MARGIN = 2  // the black-outlined frame sits this far around the model
};

// The smallest whole scale, MODEL_SCALE or more, at which a desktop of the
// given size fits in roomWidth x roomHeight (the work area less the window's
// margins and frame); MAX_MODEL_SCALE when even that does not fit. A whole
// scale keeps every model pixel standing for the same square of desktop
// pixels, so a band converts back exactly.
int ModelScale(int desktopWidth, int desktopHeight, int roomWidth, int roomHeight);

// Top-left corner of the model, centred in a client area of the given size;
// every division truncates (a negative origin when the model is wider than
// the client area).
PreviewPoint ModelOrigin(int clientWidth, int clientHeight, int desktopWidth, int desktopHeight, int scale);

// The model in client coordinates: the desktop's width and height divided by
// the scale.
ScreenRect ModelRect(PreviewPoint origin, int desktopWidth, int desktopHeight, int scale);

// The frame drawn behind the model: the model grown on every side.
ScreenRect ModelFrame(PreviewPoint origin, int desktopWidth, int desktopHeight, int scale);

// The rubber band between the point where the button went down and the
// cursor, normalised (left <= right, top <= bottom) whichever way it was
// dragged; right and bottom exclusive.
ScreenRect RubberBand(PreviewPoint anchor, PreviewPoint cursor);

// A band given in client coordinates, converted to pixels of the frozen
// image: relative to the model origin, then scaled up. Not clipped: a band
// reaching outside the model gives coordinates below 0 or beyond the image,
// and its width and height are always multiples of the scale.
ScreenRect BandToImage(const ScreenRect &bandInClient, PreviewPoint origin, int scale);
