// The message boxes of the snapshot program. The first two have no owner
// window, so a hot key pressed while one is open is still handled by the main
// window.
#pragma once
#include <windows.h>

// "Error" box with the exclamation icon; returns when the user closes it.
void ShowErrorBox(const char *text);

// "Tamblit 95" box with the information icon, for successes worth telling.
void ShowInfoBox(const char *text);

// "Error" box owned by a dialog that refuses what was typed into it: the
// dialog waits, disabled, until the box is closed.
void ShowRefusal(HWND dialog, const char *text);

// Refuses what was typed into the dialog's control: tells why in ShowRefusal's
// box, then puts the focus on the control with its text selected, ready to
// be typed over.
void RefuseEntry(HWND dialog, int control, const char *text);
