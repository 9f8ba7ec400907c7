#include "snap/engine/window_rect_win.h"

#include "snap/engine/window_rect.h"

// The compositor's attribute (DWMWA_EXTENDED_FRAME_BOUNDS); the headers for
// Windows 95 do not have it.
enum { DWM_EXTENDED_FRAME_BOUNDS = 9 };

typedef HRESULT(WINAPI *DwmIsCompositionEnabledFn)(BOOL *enabled);
typedef HRESULT(WINAPI *DwmGetWindowAttributeFn)(HWND hwnd, DWORD attribute, void *value, DWORD size);

static const char DWM_LIBRARY[] = "\\dwmapi.dll";

struct DwmFunctions {
    bool tried;
    DwmIsCompositionEnabledFn isCompositionEnabled;
    DwmGetWindowAttributeFn getWindowAttribute;
};

static DwmFunctions g_dwm;

// Only Vista and later have the compositor. Its library is loaded from the
// system folder by its full path, never from where the program lies, and
// stays loaded for the run.
static const DwmFunctions &Dwm()
{
    if (g_dwm.tried)
        return g_dwm;
    g_dwm.tried = true;
    char path[MAX_PATH];
    UINT n = GetSystemDirectoryA(path, sizeof path);
    if (n == 0 || n + sizeof DWM_LIBRARY > sizeof path)
        return g_dwm;
    lstrcpynA(path + n, DWM_LIBRARY, (int)(sizeof path - n));
    HMODULE dwm = LoadLibraryA(path);
    if (!dwm)
        return g_dwm;
    g_dwm.isCompositionEnabled =
        reinterpret_cast<DwmIsCompositionEnabledFn>(reinterpret_cast<void (*)()>(GetProcAddress(dwm, "DwmIsCompositionEnabled")));
    g_dwm.getWindowAttribute =
        reinterpret_cast<DwmGetWindowAttributeFn>(reinterpret_cast<void (*)()>(GetProcAddress(dwm, "DwmGetWindowAttribute")));
    return g_dwm;
}

static WindowBox ToBox(const RECT &r)
{
    return {r.left, r.top, r.right, r.bottom};
}

bool WindowRectAsDrawn(HWND hwnd, RECT *rect)
{
    if (!hwnd)
        return false;
    RECT window = {0, 0, 0, 0}, frame = {0, 0, 0, 0};
    const bool windowKnown = GetWindowRect(hwnd, &window) != FALSE;
    bool composited = false, frameKnown = false;
    const DwmFunctions &dwm = Dwm();
    BOOL enabled = FALSE;
    if (dwm.isCompositionEnabled && dwm.getWindowAttribute &&
        SUCCEEDED(dwm.isCompositionEnabled(&enabled)) && enabled) {
        composited = true;
        frameKnown = SUCCEEDED(dwm.getWindowAttribute(hwnd, DWM_EXTENDED_FRAME_BOUNDS, &frame, sizeof frame));
    }
    WindowBox chosen;
    if (!ChooseDrawnRect(composited, frameKnown, ToBox(frame), windowKnown, ToBox(window), &chosen))
        return false;
    SetRect(rect, chosen.left, chosen.top, chosen.right, chosen.bottom);
    return true;
}
