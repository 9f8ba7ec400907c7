#include "snap/shell/main_window_win.h"

#include "snap/engine/desktop_win.h"
#include "snap/engine/warm_up_win.h"
#include "snap/settings/settings_store_win.h"
#include "snap/settings/snap_settings.h"
#include "snap/common/app_state_win.h"
#include "snap/shell/editor_win.h"
#include "snap/shell/screen_picker_win.h"
#include "snap/shell/end_request_win.h"
#include "snap/shell/hotkey_win.h"
#include "snap/shell/preview_win.h"
#include "snap/common/program_path_win.h"
#include "snap/shell/snap_keys_win.h"
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
    if (SnapSettings.edit)
        PrepareSnapshotEditor();
    PrepareScreenPicker();
    RegisterSnapHotKeysOrTell(hwnd);
    FixPreviewGeometry(hwnd);
}

static void OnDestroy(HWND hwnd)
{
    RemoveTrayIcon(hwnd);
    char helpPath[PROGRAM_PATH_SIZE];
    if (MakeProgramFilePath(helpPath, sizeof helpPath, HELP_FILE))
        WinHelpA(hwnd, helpPath, HELP_QUIT, 0);
    StopSnapKeys(hwnd);
    UnregisterSnapHotKeys(hwnd);
    PostQuitMessage(0);
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnCreate(hwnd);
        return 0;
    case WM_HOTKEY:
        OnSnapHotKey(hwnd, wParam);
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
        ReleaseScreenPicker();
        PrepareScreenPickerLater();
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
        // The keys, the tray and the end request each keep timers of their
        // own on this window, so WM_TIMER too goes past every one of them.
        if (message == WM_TIMER && HandleSnapKeyTimer(hwnd, wParam))
            return 0;
        LRESULT ended;
        if (HandleEndMessage(hwnd, message, wParam, &ended))
            return ended;
        if (HandleTrayMessage(hwnd, message, wParam))
            return 0;
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    }
}
