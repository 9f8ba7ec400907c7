#include "snap/common/display_depth_win.h"

int DisplayBitsPerPixel(HWND hwnd)
{
    HDC dc = GetDC(hwnd);
    if (!dc)
        return 0;
    int bits = GetDeviceCaps(dc, BITSPIXEL);
    ReleaseDC(hwnd, dc);
    return bits;
}
