// A window's rectangle as the screen shows it, in screen coordinates.
#pragma once
#include <windows.h>

// The frame of hwnd as drawn; false when the window has none or no area.
bool WindowRectAsDrawn(HWND hwnd, RECT *rect);
