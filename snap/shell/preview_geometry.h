// Geometry of the area preview: where the half-scale model of the frozen
// screen sits in the main window, and how a rubber band drawn over it maps
// back to pixels of the frozen image. Portable arithmetic; the Windows side
// supplies the sizes and coordinates.
#pragma once

#include "snap/shell/main_window_rect.h"

struct PreviewPoint {
    int x;
    int y;
};

enum {
    MODEL_SCALE = 2,        // one model pixel stands for 2 x 2 screen pixels
    MODEL_FRAME_MARGIN = 2  // the black-outlined frame sits this far around the model
};

// Top-left corner of the model, centred in a client area of the given size;
// every division truncates (a negative origin when the model is wider than
// the client area).
PreviewPoint ModelOrigin(int clientWidth, int clientHeight, int screenWidth, int screenHeight);

// The model in client coordinates: half the screen's width and height.
ScreenRect ModelRect(PreviewPoint origin, int screenWidth, int screenHeight);

// The frame drawn behind the model: the model grown on every side.
ScreenRect ModelFrame(PreviewPoint origin, int screenWidth, int screenHeight);

// The rubber band between the point where the button went down and the
// cursor, normalised (left <= right, top <= bottom) whichever way it was
// dragged; right and bottom exclusive.
ScreenRect RubberBand(PreviewPoint anchor, PreviewPoint cursor);

// A band given in client coordinates, converted to pixels of the frozen
// image: relative to the model origin, then scaled up. Not clipped: a band
// reaching outside the model gives coordinates below 0 or beyond the image,
// and its width and height are always even.
ScreenRect BandToImage(const ScreenRect &bandInClient, PreviewPoint origin);
