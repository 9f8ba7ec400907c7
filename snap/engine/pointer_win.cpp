#include "snap/engine/pointer_win.h"

#include "snap/common/dll_search_win.h"

// CURSORINFO and CURSOR_SHOWING, which the headers for Windows 95 lack:
// GetCursorInfo came with Windows 98 and NT 4.0 SP3.
struct PointerInfo {
    DWORD cbSize;
    DWORD flags;
    HCURSOR hCursor;
    POINT ptScreenPos;
};
enum { POINTER_SHOWING = 0x00000001 };
typedef BOOL(WINAPI *GetCursorInfoFn)(PointerInfo *info);

// The pointer that the screen shows and where. GetCursorInfo knows it for
// every program; without it (Windows 95) GetCursor tells only a thread's
// own, so the thread of the window under the pointer is joined for a moment.
static bool CurrentPointer(HCURSOR *cursor, POINT *at)
{
    static GetCursorInfoFn getCursorInfo = SystemProc<GetCursorInfoFn>("user32.dll", "GetCursorInfo");
    if (getCursorInfo) {
        PointerInfo info;
        ZeroMemory(&info, sizeof info);
        info.cbSize = sizeof info;
        if (!getCursorInfo(&info))
            return false;
        *cursor = (info.flags & POINTER_SHOWING) ? info.hCursor : NULL;
        *at = info.ptScreenPos;
        return true;
    }
    if (!GetCursorPos(at))
        return false;
    const DWORD ours = GetCurrentThreadId();
    HWND under = WindowFromPoint(*at);
    const DWORD theirs = under ? GetWindowThreadProcessId(under, NULL) : 0;
    const bool joined = theirs && theirs != ours && AttachThreadInput(ours, theirs, TRUE);
    *cursor = GetCursor();
    if (joined)
        AttachThreadInput(ours, theirs, FALSE);
    return true;
}

bool TakePointer(PointerShot *shot)
{
    return CurrentPointer(&shot->cursor, &shot->at);
}

bool DrawPointer(HDC memoryDc, const RECT *rect, const PointerShot &shot)
{
    const HCURSOR cursor = shot.cursor;
    const POINT at = shot.at;
    if (!cursor)
        return true;  // hidden: the screen shows none either
    ICONINFO icon;
    if (!GetIconInfo(cursor, &icon))
        return false;
    if (icon.hbmMask)
        DeleteObject(icon.hbmMask);
    if (icon.hbmColor)
        DeleteObject(icon.hbmColor);
    const int x = at.x - (int)icon.xHotspot - rect->left;
    const int y = at.y - (int)icon.yHotspot - rect->top;
    // Its own size, with its mask: drawn as the screen draws it.
    return DrawIconEx(memoryDc, x, y, cursor, 0, 0, 0, NULL, DI_NORMAL) != FALSE;
}
