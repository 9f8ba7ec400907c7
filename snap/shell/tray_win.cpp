#include "snap/shell/tray_win.h"

#include <shellapi.h>

#include "snap/common/app_state_win.h"
#include "snap/shell/signon_dlg_win.h"

// The record in its first form, which every shell since Windows 95 accepts:
// the headers declare a later, longer one, of which only the first 88 bytes
// are filled and announced, with the tip limited to that form's 64 bytes.
enum { NOTIFYICONDATA_FIRST_SIZE = 88, NOTIFYICONDATA_FIRST_TIP_SIZE = 64 };
static_assert(NOTIFYICONDATAA_V1_SIZE == NOTIFYICONDATA_FIRST_SIZE,
              "first form of NOTIFYICONDATAA is not 88 bytes");

static const char TRAY_TIP[] = "Tamblit 95";
static const char TASKBAR_CREATED[] = "TaskbarCreated";

// A shell still starting (at logon) refuses icons for a while: the icon is
// tried again every two seconds for a minute.
enum { TRAY_RETRY_TIMER_ID = 2, TRAY_RETRY_MS = 2000, TRAY_RETRY_TRIES = 30 };

static HICON g_trayIcon;         // the icon's small image, kept for re-adding
static UINT g_taskbarCreated;    // the message a restarted shell broadcasts
static int g_trayTriesLeft;
static char g_trayTip[NOTIFYICONDATA_FIRST_TIP_SIZE] = "Tamblit 95";  // as shown now

static BOOL NotifyIcon(HWND hwnd, DWORD message)
{
    // The small image of the icon, not the large one shrunk by the shell.
    // Loaded once, unshared, and kept: the shell may need it again.
    if (!g_trayIcon)
        g_trayIcon = static_cast<HICON>(LoadImageA(g_hInstance, "MainIcon", IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON),
                                                   GetSystemMetrics(SM_CYSMICON), 0));
    NOTIFYICONDATAA nid;
    ZeroMemory(&nid, sizeof nid);
    nid.cbSize = NOTIFYICONDATA_FIRST_SIZE;
    nid.hWnd = hwnd;
    nid.uID = TRAY_ICON_ID;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = WM_TRAYNOTIFY;
    nid.hIcon = g_trayIcon;
    lstrcpynA(nid.szTip, g_trayTip, NOTIFYICONDATA_FIRST_TIP_SIZE);
    return Shell_NotifyIconA(message, &nid);
}

BOOL AddTrayIcon(HWND hwnd)
{
    return NotifyIcon(hwnd, NIM_ADD);
}

void ShowTrayIcon(HWND hwnd)
{
    if (!g_taskbarCreated)
        g_taskbarCreated = RegisterWindowMessageA(TASKBAR_CREATED);
    KillTimer(hwnd, TRAY_RETRY_TIMER_ID);
    // An icon the shell still has refuses NIM_ADD but takes NIM_MODIFY.
    if (AddTrayIcon(hwnd) || NotifyIcon(hwnd, NIM_MODIFY))
        return;
    g_trayTriesLeft = TRAY_RETRY_TRIES;
    SetTimer(hwnd, TRAY_RETRY_TIMER_ID, TRAY_RETRY_MS, NULL);
}

bool HandleTrayMessage(HWND hwnd, UINT message, WPARAM wParam)
{
    if (message == WM_TIMER && wParam == TRAY_RETRY_TIMER_ID) {
        if (AddTrayIcon(hwnd) || --g_trayTriesLeft <= 0)
            KillTimer(hwnd, TRAY_RETRY_TIMER_ID);
        return true;
    }
    if (g_taskbarCreated && message == g_taskbarCreated) {
        ShowTrayIcon(hwnd);
        return true;
    }
    return false;
}

void SetTrayTip(HWND hwnd, const char *tip)
{
    lstrcpynA(g_trayTip, tip ? tip : TRAY_TIP, sizeof g_trayTip);
    NotifyIcon(hwnd, NIM_MODIFY);
}

BOOL RemoveTrayIcon(HWND hwnd)
{
    NOTIFYICONDATAA nid;
    ZeroMemory(&nid, sizeof nid);
    nid.cbSize = NOTIFYICONDATA_FIRST_SIZE;
    nid.hWnd = hwnd;
    nid.uID = TRAY_ICON_ID;
    KillTimer(hwnd, TRAY_RETRY_TIMER_ID);
    return Shell_NotifyIconA(NIM_DELETE, &nid);
}

void HandleTrayNotify(HWND, WPARAM wParam, LPARAM lParam)
{
    if (wParam == TRAY_ICON_ID && lParam == WM_LBUTTONDOWN)
        ShowSignOnDialog(NULL, FALSE);
}
