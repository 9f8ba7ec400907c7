#include "snap/shell/center_window_win.h"

void CenterWindow(HWND hwnd)
{
    RECT rc;
    if (!GetWindowRect(hwnd, &rc))
        return;
    int width = rc.right - rc.left;
    int height = rc.bottom - rc.top;
    // C++ division truncates toward zero, so a window larger than the screen
    // gets the same (negative) origin on every machine.
    int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    MoveWindow(hwnd, left, top, width, height, TRUE);
}
