#include "snap/engine/window_rect.h"

static bool HasArea(const WindowBox &box)
{
    return box.right > box.left && box.bottom > box.top;
}

bool ChooseDrawnRect(bool composited, bool frameKnown, const WindowBox &frame, bool windowKnown,
                     const WindowBox &window, WindowBox *out)
{
    if (composited && frameKnown && HasArea(frame)) {
        *out = frame;
        return true;
    }
    if (windowKnown && HasArea(window)) {
        *out = window;
        return true;
    }
    return false;
}
