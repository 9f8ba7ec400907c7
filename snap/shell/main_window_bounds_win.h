// The place and size of the main window for a screen of a given size, as the
// start-up creates it and as the area preview lays it out again when the
// display has changed size since.
#pragma once
#include <windows.h>

// The centre quarter of the screen grown by three lines of the display's
// variable-pitch system font, adjusted for the frame of an overlapped window.
void MainWindowBounds(int screenWidth, int screenHeight, RECT *rect);
