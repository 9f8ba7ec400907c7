// The area picked on the frozen screen itself: one topmost window over the
// whole desktop, captioned "Snapshot Area", showing the desktop as it was
// at the hot key at full size, with a crosshair, a magnifier and the outline
// of the window under the pointer. A drag takes its band, a click or Enter
// the outlined window; Escape or the right button take nothing.
#pragma once
#include <windows.h>

// Freezes the desktop and puts the picker up; the snapshot goes out with
// owner as its owner window. Nothing happens while a picker is up or its
// snapshot is still on its way.
void OpenScreenPicker(HWND owner);

// From the freeze until the picked snapshot has been delivered.
bool ScreenPickerBusy();

// With the picker on the screen chosen, builds its window ahead, not yet
// displayed, so that the key only freezes, paints and shows it, and drops
// it with the model chosen; now, or half a second from now (after a picker
// closes or the display changed).
void PrepareScreenPicker();
void PrepareScreenPickerLater();

// Drops the window built ahead (the display changed).
void ReleaseScreenPicker();
