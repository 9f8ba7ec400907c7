// The program's one global hot key, registered from SnapSettings.hotKeyCode.
#pragma once
#include <windows.h>

// Registers SNAP_HOTKEY_ID for hwnd from the settings record and returns the
// result of RegisterHotKey. Start-up calls it with the window being created;
// the Setup dialog calls it again with g_hwndMain when it closes.
BOOL RegisterSnapHotKey(HWND hwnd);

// RegisterSnapHotKey, and when the key cannot be had (another program holds
// it), one error box that names it, so that the sign-on box's promise of a
// key is not left standing silently. Returns what RegisterSnapHotKey did.
BOOL RegisterSnapHotKeyOrTell(HWND hwnd);
