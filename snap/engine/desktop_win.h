// The desktop a snapshot can see: every monitor, in the virtual screen's
// coordinates (the primary monitor's top-left corner is 0,0; a monitor left
// of or above it has negative ones). Where the system knows a single screen
// only (no multi-monitor functions, no virtual screen metrics) the desktop is
// the primary screen.
#pragma once
#include <windows.h>

enum { MAX_DESKTOP_MONITORS = 16 };

struct DesktopLayout {
    RECT bounds;       // the rectangle holding every monitor
    RECT primaryWork;  // the primary monitor's work area (without the taskbar)
    int monitorCount;  // 0 when there were more than MAX_DESKTOP_MONITORS
    RECT monitors[MAX_DESKTOP_MONITORS];
};

// Reads the desktop as it is now, and keeps what it learnt about the display
// for the calls below.
void ReadDesktopLayout(DesktopLayout *layout);

// The rectangle holding every monitor, and the display's bits per pixel (0
// when unknown): read at the first call, then kept until ForgetDisplay.
void DesktopBounds(RECT *bounds);
int DisplayDepth();

// The display changed (WM_DISPLAYCHANGE): the next call reads it again.
void ForgetDisplay();

// Paints black the parts of rect (screen coordinates, copied into memoryDc at
// 0,0) that no monitor (as kept since ForgetDisplay) shows: the screen has no
// pixels there and a copy from it brings back whatever the platform keeps.
// False when that could not be done.
bool BlackenOffMonitorParts(HDC memoryDc, const RECT *rect);
