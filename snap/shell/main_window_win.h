// The hidden main window: owner of the tray icon and the hot key, and the
// window that the area preview shows.
#pragma once
#include <windows.h>

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
