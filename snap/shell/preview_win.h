// The area preview: the main window shown as "Snapshot Preview" with a
// scaled-down model of the whole desktop frozen at the hot key, on which the user
// drags a rubber band; the band's part of the frozen screen is the snapshot.
#pragma once
#include <windows.h>

// Fixes the model's geometry from the desktop and the window's client
// area; called once while the main window is created.
void FixPreviewGeometry(HWND hwnd);

// The hot key with the SelectableArea source: freeze the screen, show the
// preview and capture the mouse.
void OpenPreview(HWND hwnd);

// Message handlers of the main window while (or whether) a preview is up.
void OnPreviewPaint(HWND hwnd);
void OnPreviewButtonDown(HWND hwnd, LPARAM lParam);
void OnPreviewMouseMove(HWND hwnd);
void OnPreviewButtonUp(HWND hwnd, LPARAM lParam);

// The mouse taken away during a preview (WM_CAPTURECHANGED to another window,
// or WM_CANCELMODE with newCapture NULL: another program's window or a focus
// change): the band goes and the cursor is given back. The preview stays up;
// the next press in it takes the mouse again for a fresh band.
void OnPreviewMouseLost(HWND hwnd, HWND newCapture);

// WM_CLOSE on the main window (Alt+F4, the system menu): ends a preview
// without a snapshot. The program itself stays resident; nothing happens
// when no preview is up.
void ClosePreview(HWND hwnd);
