#include "snap/shell/preview_geometry.h"

int ModelScale(int desktopWidth, int desktopHeight, int roomWidth, int roomHeight)
{
    if (roomWidth <= 0 || roomHeight <= 0)
        return MAX_MODEL_SCALE;
    int scale = MODEL_SCALE;
    while (scale < MAX_MODEL_SCALE && (desktopWidth / scale > roomWidth || desktopHeight / scale > roomHeight))
        ++scale;
    return scale;
}

PreviewPoint ModelOrigin(int clientWidth, int clientHeight, int desktopWidth, int desktopHeight, int scale)
{
    PreviewPoint origin;
    origin.x = (clientWidth - desktopWidth / scale) / 2;
    origin.y = (clientHeight - desktopHeight / scale) / 2;
    return origin;
}

ScreenRect ModelRect(PreviewPoint origin, int desktopWidth, int desktopHeight, int scale)
{
    ScreenRect r;
    r.left = origin.x;
    r.top = origin.y;
    r.right = origin.x + desktopWidth / scale;
    r.bottom = origin.y + desktopHeight / scale;
    return r;
}

ScreenRect ModelFrame(PreviewPoint origin, int desktopWidth, int desktopHeight, int scale)
{
    ScreenRect r = ModelRect(origin, desktopWidth, desktopHeight, scale);
    r.left -= MODEL_FRAME_MARGIN;
    r.top -= MODEL_FRAME_MARGIN;
    r.right += MODEL_FRAME_MARGIN;
    r.bottom += MODEL_FRAME_MARGIN;
    return r;
}

ScreenRect RubberBand(PreviewPoint anchor, PreviewPoint cursor)
{
    ScreenRect r;
    r.left = anchor.x < cursor.x ? anchor.x : cursor.x;
    r.right = anchor.x < cursor.x ? cursor.x : anchor.x;
    r.top = anchor.y < cursor.y ? anchor.y : cursor.y;
    r.bottom = anchor.y < cursor.y ? cursor.y : anchor.y;
    return r;
}

ScreenRect BandToImage(const ScreenRect &bandInClient, PreviewPoint origin, int scale)
{
    ScreenRect r;
    r.left = (bandInClient.left - origin.x) * scale;
    r.top = (bandInClient.top - origin.y) * scale;
    r.right = (bandInClient.right - origin.x) * scale;
    r.bottom = (bandInClient.bottom - origin.y) * scale;
    return r;
}
