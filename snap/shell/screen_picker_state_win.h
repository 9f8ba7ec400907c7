// The state of the picker on the screen and the marks it draws over the
// frozen picture; shared by the picker's window and its drawing only.
#pragma once
#include <windows.h>

#include "snap/engine/desktop_win.h"
#include "snap/engine/window_list_win.h"
#include "snap/shell/area_picker_geometry.h"

enum {
    MAX_PIECES = 12  // rectangles that the marks over the picture cover
};

// How a mark is drawn over the restored picture.
enum PieceKind { SOLID_PIECE, INVERTED_PIECE, MAGNIFIER_PIECE };

// The marks over the frozen picture, each a rectangle in client
// coordinates.
struct Marks {
    int count;
    RECT pieces[MAX_PIECES];
    PieceKind kinds[MAX_PIECES];
};

struct ScreenPickerState {
    bool busy;            // from the freeze until the snapshot is delivered
    HWND owner;
    HWND window;          // the picker while it is up
    HWND ahead;           // the next picker's window, built ahead and not yet displayed
    DesktopLayout aheadLayout;  // the monitors, read as it was built
    RECT desktop;         // the frozen desktop; the window's client area lies over it
    HBITMAP frozen;
    HDC frozenDc;         // holds frozen while the window is up
    HGDIOBJ frozenPrevious;
    DesktopLayout layout;
    int windowCount;
    RECT windows[MAX_LISTED_WINDOWS];  // other programs' windows at the freeze, topmost first
    SIZE magnifier;
    POINT pointer;        // desktop coordinates
    POINT anchor;         // where the left button went down
    bool dragging;
    Marks shown;          // the marks now on the window
};

extern ScreenPickerState g_picker;

extern const char PICKER_CLASS[];

// The picker's window class, registered once.
bool RegisterPickerClass();

// Whether a window was built ahead for the desktop just frozen.
bool PickerAheadFits();

// Makes the window built ahead the picker's, captioned and ready to paint
// and bring forward; false where none was built for the frozen desktop.
bool ShowPickerAhead(const char *caption);

// Windows' points and rectangles in the portable geometry's terms.
inline PreviewPoint ToPreviewPoint(POINT p)
{
    const PreviewPoint q = {p.x, p.y};
    return q;
}

inline ScreenRect ToScreenRect(const RECT &r)
{
    const ScreenRect s = {r.left, r.top, r.right, r.bottom};
    return s;
}

// The monitor under p (the desktop when p lies where none is).
RECT PickerMonitorAt(POINT p);

// The window under p at the freeze, clipped to the desktop; false over none.
bool PickerWindowAt(POINT p, RECT *rect);

// The band from the press to the pointer, both pixels included.
RECT PickerBand();

// What is drawn over the picture for the pointer and the button as they are.
Marks PickerMarksNow();

// Draws marks into dc (the window's), over pixels just painted from the
// frozen picture.
void DrawPickerMarks(HDC dc, const Marks &marks);

// Brings the window up to date after the pointer or the button changed:
// only the parts that old and new marks cover.
void RefreshPicker();
