#include "snap/shell/magnifier_win.h"

#include <stdio.h>

#include "snap/engine/gdi_guards_win.h"
#include "snap/shell/area_picker_geometry.h"

enum {
    MAGNIFIER_BORDER = 1,
    MAGNIFIER_TEXT_GAP = 2,  // above and below the text lines
    ZOOMED_SIZE = MAGNIFIER_CELLS * MAGNIFIER_ZOOM
};

static int LineHeight(HDC dc)
{
    SelectGuard font(dc, GetStockObject(ANSI_VAR_FONT));
    TEXTMETRICA metrics;
    return GetTextMetricsA(dc, &metrics) ? metrics.tmHeight : 13;
}

SIZE MagnifierSize(HDC dc)
{
    SIZE size;
    size.cx = ZOOMED_SIZE + 2 * MAGNIFIER_BORDER;
    size.cy = ZOOMED_SIZE + 2 * MAGNIFIER_BORDER + 2 * LineHeight(dc) + 2 * MAGNIFIER_TEXT_GAP;
    return size;
}

static void Frame(HDC dc, int left, int top, int right, int bottom, int stockBrush)
{
    RECT r = {left, top, right, bottom};
    FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(stockBrush)));
}

void DrawMagnifier(HDC dc, int left, int top, HDC frozenDc, const RECT &desktop, POINT pointer, const SIZE *band)
{
    const SIZE size = MagnifierSize(dc);
    RECT box = {left, top, left + size.cx, top + size.cy};
    FillRect(dc, &box, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

    // The enlarged pixels; what lies beyond the desktop's edge is black.
    const int zoomLeft = left + MAGNIFIER_BORDER, zoomTop = top + MAGNIFIER_BORDER;
    RECT zoomed = {zoomLeft, zoomTop, zoomLeft + ZOOMED_SIZE, zoomTop + ZOOMED_SIZE};
    FillRect(dc, &zoomed, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    const PreviewPoint p = {pointer.x, pointer.y};
    const ScreenRect source = MagnifiedSource(p);
    const ScreenRect bounds = {desktop.left, desktop.top, desktop.right, desktop.bottom};
    ScreenRect seen;
    if (IntersectScreenRects(source, bounds, &seen)) {
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, zoomLeft + (seen.left - source.left) * MAGNIFIER_ZOOM,
                   zoomTop + (seen.top - source.top) * MAGNIFIER_ZOOM, (seen.right - seen.left) * MAGNIFIER_ZOOM,
                   (seen.bottom - seen.top) * MAGNIFIER_ZOOM, frozenDc, seen.left - desktop.left,
                   seen.top - desktop.top, seen.right - seen.left, seen.bottom - seen.top, SRCCOPY);
    }
    // The pointer's pixel in the middle, ringed black and white so that the
    // ring shows on any colour while the pixel itself stays as it is.
    const int cellLeft = zoomLeft + (MAGNIFIER_CELLS / 2) * MAGNIFIER_ZOOM;
    const int cellTop = zoomTop + (MAGNIFIER_CELLS / 2) * MAGNIFIER_ZOOM;
    Frame(dc, cellLeft - 1, cellTop - 1, cellLeft + MAGNIFIER_ZOOM + 1, cellTop + MAGNIFIER_ZOOM + 1, BLACK_BRUSH);
    Frame(dc, cellLeft - 2, cellTop - 2, cellLeft + MAGNIFIER_ZOOM + 2, cellTop + MAGNIFIER_ZOOM + 2, WHITE_BRUSH);

    char position[32], extent[32];
    snprintf(position, sizeof position, "%ld, %ld", static_cast<long>(pointer.x), static_cast<long>(pointer.y));
    if (band)
        snprintf(extent, sizeof extent, "%ld x %ld", static_cast<long>(band->cx), static_cast<long>(band->cy));
    else
        extent[0] = '\0';
    SelectGuard font(dc, GetStockObject(ANSI_VAR_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    SetTextAlign(dc, TA_CENTER | TA_TOP);
    const int lineHeight = LineHeight(dc);
    const int textTop = zoomed.bottom + MAGNIFIER_TEXT_GAP;
    const int middle = (box.left + box.right) / 2;
    TextOutA(dc, middle, textTop, position, lstrlenA(position));
    if (extent[0])
        TextOutA(dc, middle, textTop + lineHeight, extent, lstrlenA(extent));
    SetTextAlign(dc, TA_LEFT | TA_TOP);
}
