#include "snap/shell/preview_geometry.h"

PreviewPoint ModelOrigin(int clientWidth, int clientHeight, int screenWidth, int screenHeight)
{
    PreviewPoint origin;
    origin.x = (clientWidth - screenWidth / MODEL_SCALE) / 2;
    origin.y = (clientHeight - screenHeight / MODEL_SCALE) / 2;
    return origin;
}

ScreenRect ModelRect(PreviewPoint origin, int screenWidth, int screenHeight)
{
    ScreenRect r;
    r.left = origin.x;
    r.top = origin.y;
    r.right = origin.x + screenWidth / MODEL_SCALE;
    r.bottom = origin.y + screenHeight / MODEL_SCALE;
    return r;
}

ScreenRect ModelFrame(PreviewPoint origin, int screenWidth, int screenHeight)
{
    ScreenRect r = ModelRect(origin, screenWidth, screenHeight);
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

ScreenRect BandToImage(const ScreenRect &bandInClient, PreviewPoint origin)
{
    ScreenRect r;
    r.left = (bandInClient.left - origin.x) * MODEL_SCALE;
    r.top = (bandInClient.top - origin.y) * MODEL_SCALE;
    r.right = (bandInClient.right - origin.x) * MODEL_SCALE;
    r.bottom = (bandInClient.bottom - origin.y) * MODEL_SCALE;
    return r;
}
