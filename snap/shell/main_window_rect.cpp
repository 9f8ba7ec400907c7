#include "snap/shell/main_window_rect.h"

ScreenRect CentreQuarter(int screenWidth, int screenHeight)
{
    ScreenRect r;
    r.left = screenWidth / 4;
    r.top = screenHeight / 4;
    r.right = r.left + screenWidth / 2;
    r.bottom = r.top + screenHeight / 2;
    return r;
}

ScreenRect MainWindowRect(int screenWidth, int screenHeight, int textHeight, int externalLeading)
{
    const int margin = MAIN_WINDOW_MARGIN_LINES * (textHeight + externalLeading);
    ScreenRect r = CentreQuarter(screenWidth, screenHeight);
    r.left -= margin;
    r.top -= margin;
    r.right += margin;
    r.bottom += margin;
    return r;
}
