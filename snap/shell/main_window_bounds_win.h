// The place and size of the main window for the desktop, as the start-up
// creates it and as the area preview lays it out again when the desktop has
// changed since.
#pragma once
#include <windows.h>

#include "snap/engine/desktop_win.h"

// The model of the desktop, at the largest scale that fits the primary
// monitor's work area (*scale desktop pixels per model pixel), centred there
// and grown by three lines of the display's variable-pitch system font,
// adjusted for the frame of an overlapped window.
void MainWindowBounds(const DesktopLayout &desktop, RECT *rect, int *scale);
