#include "snap/shell/main_window_rect.h"

ScreenRect CentredModel(const ScreenRect &area, int modelWidth, int modelHeight)
{
    ScreenRect r;
    r.left = area.left + (area.right - area.left) / 2 - (modelWidth + 1) / 2;
    r.top = area.top + (area.bottom - area.top) / 2 - (modelHeight + 1) / 2;
    r.right = r.left + modelWidth;
    r.bottom = r.top + modelHeight;
    return r;
}

int MainWindowMargin(int textHeight, int externalLeading)
{
    return MAIN_WINDOW_MARGIN_LINES * (textHeight + externalLeading);
}

ScreenRect MainWindowRect(const ScreenRect &area, int modelWidth, int modelHeight, int textHeight,
                          int externalLeading)
{
    const int margin = MainWindowMargin(textHeight, externalLeading);
    ScreenRect r = CentredModel(area, modelWidth, modelHeight);
    r.left -= margin;
    r.top -= margin;
    r.right += margin;
    r.bottom += margin;
    return r;
}
