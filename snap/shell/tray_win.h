// The program's icon in the taskbar notification area.
#pragma once
#include <windows.h>

// Adds the icon (id TRAY_ICON_ID, callback WM_TRAYNOTIFY, tip "Tamblit 95")
// for hwnd; returns the result of Shell_NotifyIconA.
BOOL AddTrayIcon(HWND hwnd);

// Adds the icon, or when the shell refuses it for now (busy at logon), tries
// again on a timer for a while. Also listens from now on for the shell's
// "TaskbarCreated", after which the icon is added again.
void ShowTrayIcon(HWND hwnd);

// The retry timer and "TaskbarCreated" at the main window: true when the
// message was one of them and has been handled.
bool HandleTrayMessage(HWND hwnd, UINT message, WPARAM wParam);

// Shows tip (at most 63 characters) over the icon; NULL gives back "Tamblit 95".
void SetTrayTip(HWND hwnd, const char *tip);

// Removes hwnd's icon and stops any retry; returns the result of Shell_NotifyIconA.
BOOL RemoveTrayIcon(HWND hwnd);

// WM_TRAYNOTIFY: wParam is the icon's id, lParam the mouse message. A left
// button press opens the full sign-on dialog; everything else is ignored.
void HandleTrayNotify(HWND hwnd, WPARAM wParam, LPARAM lParam);
