#include "snap/shell/main_window_win.h"

#include "snap/engine/desktop_win.h"
#include "snap/engine/print_win.h"
#include "snap/engine/snapshot_win.h"
#include "snap/engine/warm_up_win.h"
#include "snap/settings/settings_store_win.h"
#include "snap/settings/snap_settings.h"
#include "snap/common/app_state_win.h"
#include "snap/shell/area_picker_win.h"
#include "snap/shell/editor_win.h"
#include "snap/shell/end_request_win.h"
#include "snap/shell/hotkey_win.h"
#include "snap/shell/preview_win.h"
#include "snap/common/program_path_win.h"
#include "snap/shell/signon_dlg_win.h"
#include "snap/shell/tray_win.h"

static void OnCreate(HWND hwnd)
{
    // Stored now rather than when CreateWindowExA returns: the tray icon
    // already answers during the start-up sign-on, and Exit in a sign-on box
    // opened from it must find the window to close.
    g_hwndMain = hwnd;

    ShowTrayIcon(hwnd);
    LoadSettings(hwnd);
    ShowSignOnDialog(NULL, TRUE);
    // Exit may have been pressed in a box opened from the tray meanwhile.
    if (!IsWindow(hwnd))
        return;
    // Before the key is ours, so that no press waits behind it: the first
    // snapshot then costs what every later one does.
    WarmUpSnapshotPath();
    SetSnapshotEditor(EditSnapshotWhenChosen);
    RegisterSnapHotKeyOrTell(hwnd);
    FixPreviewGeometry(hwnd);
}

// The rectangle of the window in the foreground, frame included and unclipped,
// on whichever monitors it lies (the capture paints black what none shows).
// False when there is none to take: no window is in the foreground (the user
// is between windows) or it has no area.
static bool ActiveWindowRect(RECT *rect)
{
    HWND foreground = GetForegroundWindow();
    if (!foreground || !GetWindowRect(foreground, rect))
        return false;
    return !IsRectEmpty(rect);
}

static void OnHotKey(WPARAM id)
{
    // A press while a snapshot prints, or while one is being marked, is
    // dropped rather than started inside it.
    if (id != SNAP_HOTKEY_ID || PrintInProgress() || SnapshotEditorOpen())
        return;

    RECT rect;
    switch (SnapSettings.source) {
    case FullScreen:
        // Every monitor: the rectangle that holds them all.
        DesktopBounds(&rect);
        break;
    case ActiveWindow:
        if (!ActiveWindowRect(&rect))
            return;
        break;
    case SelectableArea:
        // The snapshot follows when the user has picked an area.
        OpenAreaPicker(g_hwndMain);
        return;
    default:
        return;
    }
    // The pipeline tells the user how it went; nothing more to do here.
    TakeSnapshot(NULL, &rect, SnapSettings.destination, NULL, TRUE);
}

static void OnDestroy(HWND hwnd)
{
    RemoveTrayIcon(hwnd);
    char helpPath[PROGRAM_PATH_SIZE];
    if (MakeProgramFilePath(helpPath, sizeof helpPath, HELP_FILE))
        WinHelpA(hwnd, helpPath, HELP_QUIT, 0);
    UnregisterHotKey(hwnd, SNAP_HOTKEY_ID);
    PostQuitMessage(0);
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnCreate(hwnd);
        return 0;
    case WM_HOTKEY:
        OnHotKey(wParam);
        return 0;
    case WM_TRAYNOTIFY:
        HandleTrayNotify(hwnd, wParam, lParam);
        return 0;
    case WM_CLOSE:
        // The window is only ever seen as the preview: closing it ends the
        // preview, never the program (Exit in the sign-on box does that).
        ClosePreview(hwnd);
        return 0;
    case WM_DESTROY:
        OnDestroy(hwnd);
        return 0;
    case WM_DISPLAYCHANGE:
        // A new mode or monitor: what the snapshots knew of the display is old.
        ForgetDisplay();
        return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_PAINT:
        OnPreviewPaint(hwnd);
        return 0;
    case WM_LBUTTONDOWN:
        OnPreviewButtonDown(hwnd, lParam);
        return 0;
    case WM_MOUSEMOVE:
        OnPreviewMouseMove(hwnd);
        return 0;
    case WM_LBUTTONUP:
        OnPreviewButtonUp(hwnd, lParam);
        return 0;
    case WM_CAPTURECHANGED:
        OnPreviewMouseLost(hwnd, reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_CANCELMODE:
        OnPreviewMouseLost(hwnd, NULL);
        return DefWindowProcA(hwnd, message, wParam, lParam);
    default: {
        LRESULT ended;
        if (HandleEndMessage(hwnd, message, wParam, &ended))
            return ended;
        if (HandleTrayMessage(hwnd, message, wParam))
            return 0;
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    }
}
