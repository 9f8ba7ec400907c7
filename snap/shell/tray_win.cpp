#include "snap/shell/tray_win.h"

#include <shellapi.h>

#include "snap/shell/app_state_win.h"
#include "snap/shell/signon_dlg_win.h"

// The record in its first form, which every shell since Windows 95 accepts:
// the headers declare a later, longer one, of which only the first 88 bytes
// are filled and announced, with the tip limited to that form's 64 bytes.
enum { NOTIFYICONDATA_FIRST_SIZE = 88, NOTIFYICONDATA_FIRST_TIP_SIZE = 64 };
static_assert(NOTIFYICONDATAA_V1_SIZE == NOTIFYICONDATA_FIRST_SIZE,
              "first form of NOTIFYICONDATAA is not 88 bytes");

static const char TRAY_TIP[] = "Tamblit 95";

BOOL AddTrayIcon(HWND hwnd)
{
    HICON icon = LoadIconA(g_hInstance, "MainIcon");

    NOTIFYICONDATAA nid;
    ZeroMemory(&nid, sizeof nid);
    nid.cbSize = NOTIFYICONDATA_FIRST_SIZE;
    nid.hWnd = hwnd;
    nid.uID = TRAY_ICON_ID;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = WM_TRAYNOTIFY;
    nid.hIcon = icon;
    lstrcpynA(nid.szTip, TRAY_TIP, NOTIFYICONDATA_FIRST_TIP_SIZE);
    BOOL added = Shell_NotifyIconA(NIM_ADD, &nid);

    // The notification area keeps a copy of its own.
    if (icon)
        DestroyIcon(icon);
    return added;
}

BOOL RemoveTrayIcon(HWND hwnd)
{
    NOTIFYICONDATAA nid;
    ZeroMemory(&nid, sizeof nid);
    nid.cbSize = NOTIFYICONDATA_FIRST_SIZE;
    nid.hWnd = hwnd;
    nid.uID = TRAY_ICON_ID;
    return Shell_NotifyIconA(NIM_DELETE, &nid);
}

void HandleTrayNotify(HWND, WPARAM wParam, LPARAM lParam)
{
    if (wParam == TRAY_ICON_ID && lParam == WM_LBUTTONDOWN)
        ShowSignOnDialog(NULL, FALSE);
}
