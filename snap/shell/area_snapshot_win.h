// The one way into picking an area of the screen for a snapshot.
#pragma once
#include <windows.h>

// Freezes the desktop and lets the user pick an area of it; the snapshot
// follows when the area is taken. owner is the window the picker works in.
void StartAreaSnapshot(HWND owner);
