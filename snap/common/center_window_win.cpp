#include "snap/common/center_window_win.h"

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

void CenterWindowOnOwner(HWND hwnd)
{
    HWND owner = GetWindow(hwnd, GW_OWNER);
    RECT rc, area;
    if (!owner || !GetWindowRect(hwnd, &rc) || !GetWindowRect(owner, &area)) {
        CenterWindow(hwnd);
        return;
    }
    int width = rc.right - rc.left;
    int height = rc.bottom - rc.top;
    int left = area.left + (area.right - area.left - width) / 2;
    int top = area.top + (area.bottom - area.top - height) / 2;
    int right = GetSystemMetrics(SM_CXSCREEN) - width;
    int bottom = GetSystemMetrics(SM_CYSCREEN) - height;
    left = left > right ? right : left;
    top = top > bottom ? bottom : top;
    MoveWindow(hwnd, left < 0 ? 0 : left, top < 0 ? 0 : top, width, height, TRUE);
}
