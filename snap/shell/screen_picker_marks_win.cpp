#include "snap/shell/screen_picker_state_win.h"

#include "snap/engine/gdi_guards_win.h"
#include "snap/shell/area_picker_geometry.h"
#include "snap/shell/magnifier_win.h"

enum { OUTLINE_WIDTH = 3 };  // of the outline of the window under the pointer
static const COLORREF OUTLINE_COLOUR = RGB(0, 120, 215);

ScreenPickerState g_picker;

static RECT Rect(const ScreenRect &s)
{
    RECT r;
    SetRect(&r, s.left, s.top, s.right, s.bottom);
    return r;
}

static ScreenRect MonitorAt(POINT p)
{
    ScreenRect monitors[MAX_DESKTOP_MONITORS];
    for (int i = 0; i < g_picker.layout.monitorCount; ++i)
        monitors[i] = ToScreenRect(g_picker.layout.monitors[i]);
    const int i = RectIndexAt(monitors, g_picker.layout.monitorCount, ToPreviewPoint(p));
    return i >= 0 ? monitors[i] : ToScreenRect(g_picker.desktop);
}

bool PickerWindowAt(POINT p, RECT *rect)
{
    ScreenRect windows[MAX_LISTED_WINDOWS];
    for (int i = 0; i < g_picker.windowCount; ++i)
        windows[i] = ToScreenRect(g_picker.windows[i]);
    const int i = RectIndexAt(windows, g_picker.windowCount, ToPreviewPoint(p));
    ScreenRect clipped;
    if (i < 0 || !IntersectScreenRects(windows[i], ToScreenRect(g_picker.desktop), &clipped))
        return false;
    *rect = Rect(clipped);
    return true;
}

RECT PickerBand()
{
    return Rect(PickedBand(ToPreviewPoint(g_picker.anchor), ToPreviewPoint(g_picker.pointer)));
}

static void AddPiece(Marks *marks, int left, int top, int right, int bottom, PieceKind kind)
{
    if (marks->count == MAX_PIECES || left >= right || top >= bottom)
        return;
    // From desktop to client coordinates.
    SetRect(&marks->pieces[marks->count], left - g_picker.desktop.left, top - g_picker.desktop.top,
            right - g_picker.desktop.left, bottom - g_picker.desktop.top);
    marks->kinds[marks->count++] = kind;
}

// A frame of the given width along the inside of r (outside it, when
// outward), the corners belonging to the rows so that none is drawn twice.
static void AddFrame(Marks *marks, RECT r, int width, bool outward, PieceKind kind)
{
    if (outward)
        InflateRect(&r, width, width);
    AddPiece(marks, r.left, r.top, r.right, r.top + width, kind);
    AddPiece(marks, r.left, r.bottom - width, r.right, r.bottom, kind);
    AddPiece(marks, r.left, r.top + width, r.left + width, r.bottom - width, kind);
    AddPiece(marks, r.right - width, r.top + width, r.right, r.bottom - width, kind);
}

// What is drawn over the picture for the pointer where it is now.
Marks PickerMarksNow()
{
    Marks marks;
    marks.count = 0;
    const POINT p = g_picker.pointer;
    RECT r;
    if (g_picker.dragging)
        AddFrame(&marks, PickerBand(), 1, true, INVERTED_PIECE);
    else if (PickerWindowAt(p, &r))
        AddFrame(&marks, r, OUTLINE_WIDTH, false, SOLID_PIECE);
    // The crosshair across the pointer's monitor; where its lines cross, the
    // pointer's pixel is inverted twice and shows as it is.
    const ScreenRect monitor = MonitorAt(p);
    AddPiece(&marks, monitor.left, p.y, monitor.right, p.y + 1, INVERTED_PIECE);
    AddPiece(&marks, p.x, monitor.top, p.x + 1, monitor.bottom, INVERTED_PIECE);
    const ScreenRect place = MagnifierPlace(ToPreviewPoint(p), monitor, g_picker.magnifier.cx, g_picker.magnifier.cy);
    AddPiece(&marks, place.left, place.top, place.right, place.bottom, MAGNIFIER_PIECE);
    return marks;
}

void DrawPickerMarks(HDC dc, const Marks &marks)
{
    GdiObjectGuard outline(CreateSolidBrush(OUTLINE_COLOUR));
    for (int i = 0; i < marks.count; ++i) {
        const RECT &r = marks.pieces[i];
        switch (marks.kinds[i]) {
        case SOLID_PIECE:
            FillRect(dc, &r, static_cast<HBRUSH>(outline.object ? outline.object : GetStockObject(BLACK_BRUSH)));
            break;
        case INVERTED_PIECE:
            PatBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, DSTINVERT);
            break;
        case MAGNIFIER_PIECE: {
            const RECT band = PickerBand();
            const SIZE size = {band.right - band.left, band.bottom - band.top};
            DrawMagnifier(dc, r.left, r.top, g_picker.frozenDc, g_picker.desktop, g_picker.pointer,
                          g_picker.dragging ? &size : NULL);
            break;
        }
        }
    }
}

// Brings the window up to date for the pointer and the button: the parts
// that the old marks covered are painted again from the frozen picture (the
// copy in memory, so no window underneath repaints), every mark is drawn
// anew over them, and nothing else of the window is touched. Every part is
// restored before any mark is drawn, so inverted marks never invert twice.
void RefreshPicker()
{
    HDC dc = GetDC(g_picker.window);
    if (!dc)
        return;
    const Marks next = PickerMarksNow();
    const Marks *both[2] = {&g_picker.shown, &next};
    for (const Marks *marks : both)
        for (int i = 0; i < marks->count; ++i) {
            const RECT &r = marks->pieces[i];
            BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, g_picker.frozenDc, r.left, r.top, SRCCOPY);
        }
    DrawPickerMarks(dc, next);
    g_picker.shown = next;
    ReleaseDC(g_picker.window, dc);
}

RECT PickerMonitorAt(POINT p)
{
    return Rect(MonitorAt(p));
}
