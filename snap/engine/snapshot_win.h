// The snapshot pipeline: one rectangle of the screen, live or from a frozen
// copy of it, to a DIB delivered to the chosen destination.
#pragma once
#include <windows.h>

// Copies rect (screen pixels, origin left/top) from the live screen or, when
// frozenScreen is given, from that full-screen bitmap (only read; the caller
// keeps it), converts it to a DIB of SnapSettings.bitsPerPixel bits and hands
// it to destination (a SnapshotDestination). Shows the one error box that a
// failure calls for, after the cursor is restored, and returns a SnapResult.
// An empty rect takes nothing and returns Cancelled.
int TakeSnapshot(HWND owner, const RECT *rect, int destination, HBITMAP frozenScreen, BOOL playSound);
