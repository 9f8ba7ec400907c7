#include "snap/engine/window_list_win.h"

#include "snap/engine/window_rect_win.h"

struct WindowSearch {
    RECT *rects;
    int max;
    int count;
    DWORD ownProcess;
};

static BOOL CALLBACK AddWindow(HWND hwnd, LPARAM data)
{
    WindowSearch *search = reinterpret_cast<WindowSearch *>(data);
    if (search->count == search->max)
        return FALSE;
    if (!IsWindowVisible(hwnd) || IsIconic(hwnd))
        return TRUE;
    // The program's own windows (the picker itself, a preview, its dialogs)
    // are not what the user came to take.
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    if (process == search->ownProcess)
        return TRUE;
    RECT rect;
    if (WindowRectAsDrawn(hwnd, &rect))
        search->rects[search->count++] = rect;
    return TRUE;
}

int ListOtherWindows(RECT *rects, int max)
{
    // EnumWindows goes through the top-level windows in their Z order,
    // topmost first.
    WindowSearch search = {rects, max, 0, GetCurrentProcessId()};
    EnumWindows(AddWindow, reinterpret_cast<LPARAM>(&search));
    return search.count;
}
