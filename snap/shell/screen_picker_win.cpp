#include "snap/shell/screen_picker_win.h"

#include <windowsx.h>

#include "snap/common/app_state_win.h"
#include "snap/common/message_box_win.h"
#include "snap/common/snap_sound_win.h"
#include "snap/engine/desktop_win.h"
#include "snap/engine/freeze_win.h"
#include "snap/engine/gdi_guards_win.h"
#include "snap/engine/snap_result.h"
#include "snap/engine/snapshot_win.h"
#include "snap/engine/window_list_win.h"
#include "snap/settings/settings_store_win.h"
#include "snap/settings/snap_settings.h"
#include "snap/shell/area_picker_geometry.h"
#include "snap/shell/magnifier_win.h"
#include "snap/shell/screen_picker_state_win.h"

const char PICKER_CLASS[] = "tamblit95 area";
static const char PICKER_CAPTION[] = "Snapshot Area";

enum {
    WM_PICKER_END = WM_USER + 220  // ends the picker without a snapshot, once the current message is done
};

bool ScreenPickerBusy()
{
    return g_picker.busy;
}

static void MovePointer(POINT p)
{
    if (p.x == g_picker.pointer.x && p.y == g_picker.pointer.y)
        return;
    g_picker.pointer = p;
    RefreshPicker();
}

// A mouse message's point in desktop coordinates (the client area lies
// over the desktop from its top-left corner).
static POINT MessagePoint(LPARAM lParam)
{
    POINT p = {GET_X_LPARAM(lParam) + g_picker.desktop.left, GET_Y_LPARAM(lParam) + g_picker.desktop.top};
    return p;
}

static void FreeDrawing()
{
    if (g_picker.frozenDc) {
        if (g_picker.frozenPrevious)
            SelectObject(g_picker.frozenDc, g_picker.frozenPrevious);
        DeleteDC(g_picker.frozenDc);
    }
    g_picker.frozenDc = NULL;
    g_picker.frozenPrevious = NULL;
}

// Takes the picker off the screen and, when take is set, rect (desktop
// coordinates) out of the frozen picture; the picker itself is never in it.
static void Finish(bool take, RECT rect)
{
    if (!g_picker.window)
        return;
    HWND window = g_picker.window;
    g_picker.window = NULL;
    g_picker.dragging = false;
    if (GetCapture() == window)
        ReleaseCapture();
    DestroyWindow(window);
    FreeDrawing();
    if (take && !IsRectEmpty(&rect)) {
        RECT image = rect;
        OffsetRect(&image, -g_picker.desktop.left, -g_picker.desktop.top);
        // The cue sounded when the screen was frozen.
        TakeSnapshot(g_picker.owner, &image, SnapSettings.destination, g_picker.frozen, FALSE);
        RememberLastArea(rect);
    }
    DeleteObject(g_picker.frozen);
    g_picker.frozen = NULL;
    g_picker.busy = false;
    PrepareScreenPickerLater();
}

static void Cancel()
{
    RECT none;
    SetRectEmpty(&none);
    Finish(false, none);
}

// A click or Enter: the outlined window whole, or the pointer's monitor
// where no window lay.
static void TakeWindow()
{
    RECT rect;
    if (!PickerWindowAt(g_picker.pointer, &rect))
        rect = PickerMonitorAt(g_picker.pointer);
    Finish(true, rect);
}

static void OnKey(WPARAM key)
{
    int dx = 0, dy = 0;
    switch (key) {
    case VK_ESCAPE:
        Cancel();
        return;
    case VK_RETURN:
        if (!g_picker.dragging)
            TakeWindow();
        return;
    case VK_LEFT: dx = -1; break;
    case VK_RIGHT: dx = 1; break;
    case VK_UP: dy = -1; break;
    case VK_DOWN: dy = 1; break;
    default:
        return;
    }
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const PreviewPoint p = NudgedPoint(ToPreviewPoint(g_picker.pointer), dx, dy, shift, ToScreenRect(g_picker.desktop));
    // The pointer itself goes there, so that the button's release lands on
    // the nudged pixel.
    SetCursorPos(p.x, p.y);
    const POINT q = {p.x, p.y};
    MovePointer(q);
}

static void OnButtonUp(LPARAM lParam)
{
    if (!g_picker.dragging)
        return;
    const POINT release = MessagePoint(lParam);
    g_picker.pointer = release;
    g_picker.dragging = false;
    if (release.x == g_picker.anchor.x && release.y == g_picker.anchor.y)
        TakeWindow();
    else
        Finish(true, PickerBand());
}

// Losing the mouse mid-drag (another program took it, or the system ended
// the drag) drops the band; the picker stays up and keeps working.
static void DropDrag()
{
    if (!g_picker.dragging)
        return;
    g_picker.dragging = false;
    RefreshPicker();
}

static LRESULT CALLBACK PickerWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Messages of a window already given up (while it is destroyed) change nothing.
    if (hwnd != g_picker.window)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        const RECT &r = ps.rcPaint;
        BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, g_picker.frozenDc, r.left, r.top, SRCCOPY);
        DrawPickerMarks(dc, g_picker.shown);  // clipped to what is being painted
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;  // the whole client area is painted from the frozen picture
    case WM_MOUSEMOVE:
        MovePointer(MessagePoint(lParam));
        return 0;
    case WM_LBUTTONDOWN:
        g_picker.pointer = g_picker.anchor = MessagePoint(lParam);
        g_picker.dragging = true;
        SetCapture(hwnd);
        RefreshPicker();
        return 0;
    case WM_LBUTTONUP:
        OnButtonUp(lParam);
        return 0;
    case WM_RBUTTONDOWN:
        return 0;
    case WM_RBUTTONUP:
        Cancel();
        return 0;
    case WM_KEYDOWN:
        OnKey(wParam);
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != hwnd)
            DropDrag();
        return 0;
    case WM_CANCELMODE:
        if (GetCapture() == hwnd)
            ReleaseCapture();
        DropDrag();
        return 0;
    case WM_ACTIVATE:
        // Another program came forward: the picker goes, taking nothing,
        // rather than lie topmost over a window the user is working in.
        if (LOWORD(wParam) == WA_INACTIVE)
            PostMessageA(hwnd, WM_PICKER_END, 0, 0);
        return 0;
    case WM_DISPLAYCHANGE:
        // The frozen picture no longer matches the desktop.
        PostMessageA(hwnd, WM_PICKER_END, 0, 0);
        return 0;
    case WM_PICKER_END:
    case WM_CLOSE:
        Cancel();
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

bool RegisterPickerClass()
{
    WNDCLASSA wc;
    if (GetClassInfoA(g_hInstance, PICKER_CLASS, &wc))
        return true;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = PickerWndProc;
    wc.hInstance = g_hInstance;
    wc.hCursor = LoadCursorA(NULL, IDC_CROSS);
    wc.lpszClassName = PICKER_CLASS;
    return RegisterClassA(&wc) != 0;
}

// The frozen picture selected for painting from.
static bool PrepareDrawing()
{
    ScreenDcGuard screen;
    if (!screen)
        return false;
    g_picker.frozenDc = CreateCompatibleDC(screen);
    if (!g_picker.frozenDc)
        return false;
    g_picker.frozenPrevious = SelectObject(g_picker.frozenDc, g_picker.frozen);
    if (!g_picker.frozenPrevious)
        return false;
    g_picker.magnifier = MagnifierSize(screen);
    return true;
}

// Where no window was built ahead: one over the frozen desktop, shown.
static bool BuildPickerNow()
{
    g_picker.window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, PICKER_CLASS, PICKER_CAPTION, WS_POPUP,
                                      g_picker.desktop.left, g_picker.desktop.top,
                                      g_picker.desktop.right - g_picker.desktop.left,
                                      g_picker.desktop.bottom - g_picker.desktop.top, NULL, NULL, g_hInstance, NULL);
    if (!g_picker.window)
        return false;
    ShowWindow(g_picker.window, SW_SHOW);
    return true;
}

void OpenScreenPicker(HWND owner)
{
    // A second press while the picker is up, or while its snapshot's dialogs
    // are, changes nothing.
    if (g_picker.busy)
        return;
    const int failure = FreezeDesktop(&g_picker.desktop, &g_picker.frozen);
    if (failure != Ok) {
        ShowErrorBox(SnapResultMessage(failure));
        return;
    }
    g_picker.busy = true;
    // What lay where at the freeze, before the picker covers it.
    g_picker.windowCount = ListOtherWindows(g_picker.windows, MAX_LISTED_WINDOWS);
    if (PickerAheadFits())
        g_picker.layout = g_picker.aheadLayout;
    else
        ReadDesktopLayout(&g_picker.layout);
    g_picker.owner = owner;
    g_picker.dragging = false;
    g_picker.shown.count = 0;
    GetCursorPos(&g_picker.pointer);

    if (!PrepareDrawing() || !RegisterPickerClass()) {
        FreeDrawing();
        DeleteObject(g_picker.frozen);
        g_picker.frozen = NULL;
        g_picker.busy = false;
        ShowErrorBox(SnapResultMessage(NoMemory));
        return;
    }
    // The screen is frozen first, so neither the picker nor anything the
    // sound causes is in the picture.
    PlaySnapSound(SnapSettings.sound != 0);
    g_picker.shown = PickerMarksNow();
    if (!ShowPickerAhead(PICKER_CAPTION) && !BuildPickerNow()) {
        FreeDrawing();
        DeleteObject(g_picker.frozen);
        g_picker.frozen = NULL;
        g_picker.busy = false;
        return;
    }
    SetForegroundWindow(g_picker.window);
    SetFocus(g_picker.window);
    UpdateWindow(g_picker.window);
}
