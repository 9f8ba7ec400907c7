// The magnifier of the area pickers: the frozen pixels around the pointer
// enlarged, the pointer's own pixel marked, its desktop coordinates beneath
// and, while a band is dragged, the band's size in pixels.
#pragma once
#include <windows.h>

// The magnifier's outer size, with room for its two lines in the stock
// variable font of dc.
SIZE MagnifierSize(HDC dc);

// Draws the magnifier into dc with its top-left corner at (left, top) of dc.
// frozenDc holds the frozen desktop, whose top-left pixel is desktop's
// left/top corner; pointer is in desktop coordinates. band is the band's
// width and height, or NULL when none is dragged.
void DrawMagnifier(HDC dc, int left, int top, HDC frozenDc, const RECT &desktop, POINT pointer, const SIZE *band);
