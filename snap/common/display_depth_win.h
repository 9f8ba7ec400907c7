#pragma once
#include <windows.h>

// Bits per pixel of the display that hwnd is on; 0 when no device context
// can be had for it.
int DisplayBitsPerPixel(HWND hwnd);
