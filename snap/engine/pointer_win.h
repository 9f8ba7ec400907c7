// The mouse pointer drawn into a snapshot, as the screen shows it.
#pragma once
#include <windows.h>

// Draws the pointer's current image into memoryDc, which holds a copy of
// rect (screen pixels) at 0,0: the hot spot over the pointer's position.
// Nothing is drawn when the pointer is hidden or lies outside rect. False
// when the pointer could not be drawn.
bool DrawPointer(HDC memoryDc, const RECT *rect);
