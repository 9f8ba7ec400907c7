#include "snap/engine/window_rect_win.h"

#include "snap/engine/window_rect.h"
#include "snap/common/dll_search_win.h"

// The compositor's attribute (DWMWA_EXTENDED_FRAME_BOUNDS); the headers for
// Windows 95 do not have it.
enum { DWM_EXTENDED_FRAME_BOUNDS = 9 };

typedef HRESULT(WINAPI *DwmIsCompositionEnabledFn)(BOOL *enabled);
typedef HRESULT(WINAPI *DwmGetWindowAttributeFn)(HWND hwnd, DWORD attribute, void *value, DWORD size);

static const char DWM_LIBRARY[] = "dwmapi.dll";

// Only Vista and later have the compositor. Its library comes from the
// system folder by its full path, never from where the program lies, and
// stays loaded for the run; looked up once.
struct DwmFunctions {
    DwmIsCompositionEnabledFn isCompositionEnabled;
    DwmGetWindowAttributeFn getWindowAttribute;
};

static const DwmFunctions &Dwm()
{
    static const DwmFunctions dwm = {
        SystemProc<DwmIsCompositionEnabledFn>(DWM_LIBRARY, "DwmIsCompositionEnabled"),
        SystemProc<DwmGetWindowAttributeFn>(DWM_LIBRARY, "DwmGetWindowAttribute")};
    return dwm;
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
