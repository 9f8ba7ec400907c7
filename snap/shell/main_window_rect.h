// Where the hidden main window sits: the scaled-down model of the desktop
// centred on the primary monitor's work area, with a margin of three text
// lines around it, so that the area preview (which reuses the window) has
// room for the model and a caption. Portable arithmetic; the Windows side
// supplies the metrics.
#pragma once

struct ScreenRect {
    int left;
    int top;
    int right;
    int bottom;
};

enum { MAIN_WINDOW_MARGIN_LINES = 3 };

// A model of modelWidth x modelHeight centred in area; the model's half is
// rounded up, so that a half-size model of a single screen is its centre
// quarter, each division truncated (left = width / 4).
ScreenRect CentredModel(const ScreenRect &area, int modelWidth, int modelHeight);

// Three lines of a font whose tmHeight and tmExternalLeading are given.
int MainWindowMargin(int textHeight, int externalLeading);

// The centred model grown on every side by MainWindowMargin, before any
// window frame is added.
ScreenRect MainWindowRect(const ScreenRect &area, int modelWidth, int modelHeight, int textHeight,
                          int externalLeading);
