// The one way into picking an area: on the model in the "Snapshot Preview"
// window or on the frozen screen itself, as Setup chose.
#pragma once
#include <windows.h>

// Freezes the desktop and opens the chosen picker; the snapshot goes out
// with owner (the main window) as its owner.
void OpenAreaPicker(HWND owner);
