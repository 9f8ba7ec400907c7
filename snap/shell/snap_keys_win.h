// What the hot keys do: the kind of snapshot each takes, a key held down
// taking one snapshot, and the wait before it when a delay is set.
#pragma once
#include <windows.h>

// WM_HOTKEY at the main window.
void OnSnapHotKey(HWND hwnd, WPARAM id);

// WM_TIMER at the main window: true when the timer was one of the keys'.
bool HandleSnapKeyTimer(HWND hwnd, WPARAM timerId);

// The end of the program: no wait, no watch on a held key.
void StopSnapKeys(HWND hwnd);
