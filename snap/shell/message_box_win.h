// The two message boxes of the snapshot program. Both have no owner window,
// so a hot key pressed while one is open is still handled by the main window.
#pragma once

// "Error" box with the exclamation icon; returns when the user closes it.
void ShowErrorBox(const char *text);

// "Tamblit 95" box with the information icon, for successes worth telling.
void ShowInfoBox(const char *text);
