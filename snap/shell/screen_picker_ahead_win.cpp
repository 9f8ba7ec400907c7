// The picker's window built ahead of the key. Showing a new window the size
// of the desktop is most of what the picker costs beyond the freeze: the
// system gives it fresh memory for its pixels, and the first copy into that
// memory and the first send of it to the display pay for all of it. A
// window that stays visible keeps that memory. So the window waits visible
// but not displayed: a layered window is shown only once its layered
// attributes are set, and, transparent to the mouse, it takes no clicks
// meanwhile. The key then only paints it and sets its attributes. Where
// layered windows do not exist (before Windows 2000), or none waits for the
// desktop just frozen, the key builds the window.
#include "snap/shell/screen_picker_win.h"

#include "snap/common/app_state_win.h"
#include "snap/engine/desktop_win.h"
#include "snap/engine/window_list_win.h"
#include "snap/settings/snap_settings.h"
#include "snap/shell/screen_picker_state_win.h"

// Windows 2000's, absent from the headers this program is built with.
#ifndef WS_EX_LAYERED
#define WS_EX_LAYERED 0x00080000
#endif
#ifndef LWA_ALPHA
#define LWA_ALPHA 0x00000002
#endif

enum {
    PICKER_PREPARE_TIMER = 31,  // at the main window: the next picker built ahead
    PICKER_PREPARE_DELAY = 500  // ms after one closes, once its snapshot is on its way
};

static const BYTE OPAQUE_ALPHA = 255;

typedef BOOL(WINAPI *SetLayeredWindowAttributesFn)(HWND, COLORREF, BYTE, DWORD);

static SetLayeredWindowAttributesFn LayeredAttributes()
{
    static bool looked;
    static SetLayeredWindowAttributesFn function;
    if (!looked) {
        looked = true;
        HMODULE user = GetModuleHandleA("user32.dll");
        if (user)
            function = reinterpret_cast<SetLayeredWindowAttributesFn>(
                reinterpret_cast<void (*)()>(GetProcAddress(user, "SetLayeredWindowAttributes")));
    }
    return function;
}

void ReleaseScreenPicker()
{
    HWND ahead = g_picker.ahead;
    g_picker.ahead = NULL;
    if (ahead)
        DestroyWindow(ahead);
}

// Whether the window built ahead covers rect (a desktop) exactly.
static bool AheadCovers(const RECT &rect)
{
    RECT covered;
    return g_picker.ahead && GetWindowRect(g_picker.ahead, &covered) && EqualRect(&covered, &rect);
}

void PrepareScreenPicker()
{
    if (SnapSettings.picker != ScreenPicker) {
        ReleaseScreenPicker();
        return;
    }
    if (g_picker.busy)
        return;
    RECT desktop;
    DesktopBounds(&desktop);
    if (AheadCovers(desktop))
        return;
    ReleaseScreenPicker();
    if (!LayeredAttributes() || !RegisterPickerClass())
        return;
    const int width = desktop.right - desktop.left, height = desktop.bottom - desktop.top;
    // Not topmost yet: until the key it lies below every other window.
    HWND window = CreateWindowExA(WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW, PICKER_CLASS, "",
                                  WS_POPUP, desktop.left, desktop.top, width, height, NULL, NULL, g_hInstance,
                                  NULL);
    if (!window)
        return;
    SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    // Touching every pixel now spares the key the first touch of fresh memory.
    HDC dc = GetDC(window);
    if (dc) {
        PatBlt(dc, 0, 0, width, height, BLACKNESS);
        ReleaseDC(window, dc);
    }
    g_picker.ahead = window;
    // The first listing of windows loads what it needs once, here rather
    // than on the key; the monitors are kept until the display changes.
    g_picker.windowCount = ListOtherWindows(g_picker.windows, MAX_LISTED_WINDOWS);
    ReadDesktopLayout(&g_picker.aheadLayout);
}

static void CALLBACK PrepareLater(HWND hwnd, UINT, UINT_PTR id, DWORD)
{
    KillTimer(hwnd, id);
    PrepareScreenPicker();
}

void PrepareScreenPickerLater()
{
    if (g_hwndMain && SnapSettings.picker == ScreenPicker)
        SetTimer(g_hwndMain, PICKER_PREPARE_TIMER, PICKER_PREPARE_DELAY, PrepareLater);
}

bool PickerAheadFits()
{
    return AheadCovers(g_picker.desktop);
}

bool ShowPickerAhead(const char *caption)
{
    if (!PickerAheadFits()) {
        // Built for another desktop than the one just frozen.
        ReleaseScreenPicker();
        return false;
    }
    HWND window = g_picker.ahead;
    g_picker.ahead = NULL;
    SetWindowTextA(window, caption);
    SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) & ~WS_EX_TRANSPARENT);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // A window whose attributes did not take would never be displayed.
    if (!LayeredAttributes()(window, 0, OPAQUE_ALPHA, LWA_ALPHA)) {
        DestroyWindow(window);
        return false;
    }
    g_picker.window = window;
    // Painted in full from the frozen picture before anything is sent.
    InvalidateRect(window, NULL, FALSE);
    return true;
}

