// The program's one global hot key, registered from SnapSettings.hotKeyCode.
#pragma once
#include <windows.h>

// Registers SNAP_HOTKEY_ID for hwnd from the settings record and returns the
// result of RegisterHotKey. Start-up calls it with the window being created;
// the Setup dialog calls it again with g_hwndMain when it closes.
BOOL RegisterSnapHotKey(HWND hwnd);
