// The mouse pointer drawn into a snapshot, as the screen shows it.
#pragma once
#include <windows.h>

// The pointer's image and place at one moment: cursor is NULL when the
// screen shows none.
struct PointerShot {
    HCURSOR cursor;
    POINT at;
};

// The pointer as the screen shows it now. Taken before the snapshot puts up
// its own wait cursor, which is never in the picture. False when it cannot
// be told.
bool TakePointer(PointerShot *shot);

// Draws the pointer taken into memoryDc, which holds a copy of rect (screen
// pixels) at 0,0: its hot spot over its place. Nothing is drawn for a hidden
// pointer; what lies outside rect is clipped. False when it could not be drawn.
bool DrawPointer(HDC memoryDc, const RECT *rect, const PointerShot &shot);
