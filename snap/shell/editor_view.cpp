#include "snap/shell/editor_view.h"

static int64_t FloorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

static int64_t CeilDiv(int64_t a, int64_t b) { return -FloorDiv(-a, b); }

void SetZoomActual(EditView *view)
{
    view->zoomNum = view->zoomDen = 1;
}

void SetZoomToFit(EditView *view, int32_t canvasWidth, int32_t canvasHeight)
{
    if (canvasWidth <= 0 || canvasHeight <= 0 || view->pictureWidth <= 0 || view->pictureHeight <= 0) {
        SetZoomActual(view);
        return;
    }
    // The smaller of the two ratios, compared without division.
    if ((int64_t)canvasWidth * view->pictureHeight <= (int64_t)canvasHeight * view->pictureWidth) {
        view->zoomNum = canvasWidth;
        view->zoomDen = view->pictureWidth;
    } else {
        view->zoomNum = canvasHeight;
        view->zoomDen = view->pictureHeight;
    }
    view->scrollX = view->scrollY = 0;
}

static int32_t Scale(const EditView &view, int32_t p)
{
    return (int32_t)CeilDiv((int64_t)p * view.zoomNum, view.zoomDen);
}

int32_t ScaledWidth(const EditView &view) { return Scale(view, view.pictureWidth); }
int32_t ScaledHeight(const EditView &view) { return Scale(view, view.pictureHeight); }

static int32_t Clamp(int32_t v, int32_t low, int32_t high) { return v < low ? low : v > high ? high : v; }

void ClampScroll(EditView *view, int32_t canvasWidth, int32_t canvasHeight)
{
    const int32_t maxX = ScaledWidth(*view) - canvasWidth, maxY = ScaledHeight(*view) - canvasHeight;
    view->scrollX = Clamp(view->scrollX, 0, maxX > 0 ? maxX : 0);
    view->scrollY = Clamp(view->scrollY, 0, maxY > 0 ? maxY : 0);
}

static int32_t ToPicture(const EditView &view, int32_t canvas, int32_t scroll)
{
    return (int32_t)FloorDiv((int64_t)(canvas + scroll) * view.zoomDen, view.zoomNum);
}

void CanvasToPicture(const EditView &view, int32_t x, int32_t y, int32_t *px, int32_t *py)
{
    *px = Clamp(ToPicture(view, x, view.scrollX), 0, view.pictureWidth - 1);
    *py = Clamp(ToPicture(view, y, view.scrollY), 0, view.pictureHeight - 1);
}

EditRect PictureToCanvas(const EditView &view, const EditRect &r)
{
    EditRect c = {Scale(view, r.left) - view.scrollX, Scale(view, r.top) - view.scrollY,
                  Scale(view, r.right) - view.scrollX, Scale(view, r.bottom) - view.scrollY};
    return c;
}

EditRect CanvasToPictureRect(const EditView &view, const EditRect &r)
{
    EditRect p = {ToPicture(view, r.left, view.scrollX), ToPicture(view, r.top, view.scrollY),
                  ToPicture(view, r.right - 1, view.scrollX) + 1, ToPicture(view, r.bottom - 1, view.scrollY) + 1};
    const EditRect whole = {0, 0, view.pictureWidth, view.pictureHeight};
    return IntersectEditRect(p, whole);
}
