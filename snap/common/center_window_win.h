// Centres a window, keeping its size: on the screen, or over its owner.
#pragma once
#include <windows.h>

void CenterWindow(HWND hwnd);

// Over the owner window (on the screen when there is none), moved back onto
// the screen where the owner's edge would push it off.
void CenterWindowOnOwner(HWND hwnd);
