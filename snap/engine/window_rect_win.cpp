#include "snap/engine/window_rect_win.h"

bool WindowRectAsDrawn(HWND hwnd, RECT *rect)
{
    return GetWindowRect(hwnd, rect) && !IsRectEmpty(rect);
}
