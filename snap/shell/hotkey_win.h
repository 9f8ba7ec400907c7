// The program's global hot keys: SNAP_HOTKEY_ID from SnapSettings.hotKeyCode
// (the source chosen in Setup) and one id for each kind's key that is set.
#pragma once
#include <windows.h>
#include <stddef.h>

// Registers SNAP_HOTKEY_ID for hwnd from the settings record and returns the
// result of RegisterHotKey.
BOOL RegisterSnapHotKey(HWND hwnd);

// Registers every key that is set, each on its own, so that a key another
// program holds leaves the others working. Those that cannot be had are told
// in one error box that names each with what it takes; a Print Screen key
// that Windows keeps for its own snipping tool is told once a run.
void RegisterSnapHotKeysOrTell(HWND hwnd);

// Gives every key back (Setup, the end of the program).
void UnregisterSnapHotKeys(HWND hwnd);

// The position in the key list (hotkey_keys.h) of a WM_HOTKEY id; -1 when
// the id is none of ours.
int SnapKeyIndex(WPARAM id);

// The code of the key at that position as the settings hold it.
unsigned short SnapKeyCode(size_t index);
