// The program's icon in the taskbar notification area.
#pragma once
#include <windows.h>

// Adds the icon (id TRAY_ICON_ID, callback WM_TRAYNOTIFY, tip "Tamblit 95")
// for hwnd; returns the result of Shell_NotifyIconA.
BOOL AddTrayIcon(HWND hwnd);

// Removes hwnd's icon; returns the result of Shell_NotifyIconA.
BOOL RemoveTrayIcon(HWND hwnd);

// WM_TRAYNOTIFY: wParam is the icon's id, lParam the mouse message. A left
// button press opens the full sign-on dialog; everything else is ignored.
void HandleTrayNotify(HWND hwnd, WPARAM wParam, LPARAM lParam);
