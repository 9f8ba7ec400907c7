// Which rectangle stands for a window in a snapshot. Portable: the caller
// asks Windows for both rectangles, this only chooses.
#pragma once
#include <stdint.h>

struct WindowBox {
    int32_t left, top, right, bottom;
};

// A composited desktop draws a window inside its rectangle and leaves an
// invisible border of resize handles around it: there the frame bounds that
// the compositor reports (when it gave them, frameKnown) are the window as
// seen. Elsewhere, or when they have no area, the window's own rectangle
// (windowKnown). False when neither is known with an area.
bool ChooseDrawnRect(bool composited, bool frameKnown, const WindowBox &frame, bool windowKnown,
                     const WindowBox &window, WindowBox *out);
