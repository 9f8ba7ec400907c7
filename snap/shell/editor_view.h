// Where the picture being edited lies in the editor's canvas: its zoom (a
// ratio, 1:1 at first or fitted to the canvas) and how far it is scrolled,
// and which picture pixel lies under a point. Portable: no Windows headers.
#pragma once
#include <stdint.h>

#include "snap/engine/edit_pixels.h"

struct EditView {
    int32_t pictureWidth;   // the picture as now cropped
    int32_t pictureHeight;
    int32_t zoomNum;        // canvas pixels per zoomDen picture pixels
    int32_t zoomDen;
    int32_t scrollX;        // canvas pixels scrolled past on the left and top
    int32_t scrollY;
};

// 1:1, or the largest ratio at which the whole picture fits a canvas of
// canvasWidth x canvasHeight (larger or smaller than 1:1).
void SetZoomActual(EditView *view);
void SetZoomToFit(EditView *view, int32_t canvasWidth, int32_t canvasHeight);

// The picture's size on the canvas at the view's zoom.
int32_t ScaledWidth(const EditView &view);
int32_t ScaledHeight(const EditView &view);

// Keeps the scroll position within what a canvas of this size can show.
void ClampScroll(EditView *view, int32_t canvasWidth, int32_t canvasHeight);

// The picture pixel under canvas point (x, y), held inside the picture, so
// that a drag that leaves the picture ends on its edge.
void CanvasToPicture(const EditView &view, int32_t x, int32_t y, int32_t *px, int32_t *py);

// The canvas pixels that show picture rectangle r: each picture pixel p
// covers the canvas pixels from ceil(p * num / den) up to the next one's.
EditRect PictureToCanvas(const EditView &view, const EditRect &r);

// The picture pixels that canvas rectangle r shows, part shown counting.
EditRect CanvasToPictureRect(const EditView &view, const EditRect &r);
