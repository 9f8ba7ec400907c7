// A window's rectangle as the screen shows it.
#pragma once
#include <windows.h>

// The window's rectangle as drawn, in screen pixels: on Windows Vista and
// later with the desktop composited, the frame bounds the compositor gives
// (no invisible resize border, so no strip of what lies behind); elsewhere
// GetWindowRect. False when there is none or it is empty.
bool WindowRectAsDrawn(HWND hwnd, RECT *rect);
