// Program-wide handles of the snapshot program, set by WinMain (or by a test
// driver that stands in for it).
#pragma once
#include <windows.h>

extern HINSTANCE g_hInstance;  // every resource is loaded from it by name
extern HWND g_hwndMain;        // stored as the window is created, before its start-up runs
// The sign-on box, or the Setup or Page Setup dialog opened from it, whichever
// is innermost; NULL while none is open. A tray click brings it to the front
// rather than opening a second one.
extern HWND g_hwndOpenDialog;

// Window messages and ids that cross between the shell's pieces.
enum {
    SNAP_HOTKEY_ID = 1001,
    // The keys of the kinds (SnapshotKeyKind order) follow it: 1002 to 1005.
    SNAP_KIND_HOTKEY_ID_FIRST = 1002,
    WM_TRAYNOTIFY = WM_USER + 200,
    TRAY_ICON_ID = 100
};
