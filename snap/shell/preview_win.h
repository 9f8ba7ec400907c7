// The area preview: the main window shown as "Snapshot Preview" with a
// half-scale model of the screen frozen at the hot key, on which the user
// drags a rubber band; the band's part of the frozen screen is the snapshot.
#pragma once
#include <windows.h>

// Fixes the model's geometry from the screen size and the window's client
// area; called once while the main window is created.
void FixPreviewGeometry(HWND hwnd);

// The whole screen copied into a bitmap compatible with the display; NULL,
// with the SnapResult of the step that failed in *failure (NoDisplay or
// NoMemory), when any step of the copy fails.
HBITMAP FreezeScreen(int *failure);

// The hot key with the SelectableArea source: freeze the screen, show the
// preview and capture the mouse.
void OpenPreview(HWND hwnd);

// Message handlers of the main window while (or whether) a preview is up.
void OnPreviewPaint(HWND hwnd);
void OnPreviewButtonDown();
void OnPreviewMouseMove();
void OnPreviewButtonUp(HWND hwnd);

// WM_CLOSE on the main window (Alt+F4, the system menu): ends a preview
// without a snapshot. The program itself stays resident; nothing happens
// when no preview is up.
void ClosePreview(HWND hwnd);
