// The windows of other programs as they lie on the desktop, for picking one
// whole with the pointer.
#pragma once
#include <windows.h>

enum { MAX_LISTED_WINDOWS = 256 };

// The frames (as drawn) of the visible, not minimised top-level windows of
// every program but this one, topmost first, at most max of them. Returns
// how many were listed.
int ListOtherWindows(RECT *rects, int max);
