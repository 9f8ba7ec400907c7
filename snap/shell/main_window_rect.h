// Where the hidden main window sits: the centre quarter of the screen with a
// margin of three text lines around it, so that the area preview (which reuses
// the window) has room for its half-scale model of the screen and a caption.
// Portable arithmetic; the Windows side supplies the metrics.
#pragma once

struct ScreenRect {
    int left;
    int top;
    int right;
    int bottom;
};

enum { MAIN_WINDOW_MARGIN_LINES = 3 };

// Half the screen's width and half its height, centred; divisions truncate.
ScreenRect CentreQuarter(int screenWidth, int screenHeight);

// The centre quarter grown on every side by three lines of a font whose
// tmHeight and tmExternalLeading are given, before any window frame is added.
ScreenRect MainWindowRect(int screenWidth, int screenHeight, int textHeight, int externalLeading);
