// The frozen desktop that the area pickers show and take their pictures from.
#pragma once
#include <windows.h>

// A bitmap compatible with the display holding the whole desktop as it is
// now, its top-left pixel at desktop->left/top, with black where no monitor
// is. Returns Ok, NoMemory or FreezeFailed (SnapResult); *frozen
// is NULL unless the result is Ok.
int FreezeDesktop(RECT *desktop, HBITMAP *frozen);
