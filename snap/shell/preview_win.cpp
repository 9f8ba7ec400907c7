#include "snap/shell/preview_win.h"

#include <windowsx.h>

#include "snap/engine/desktop_win.h"
#include "snap/engine/freeze_win.h"
#include "snap/engine/gdi_guards_win.h"
#include "snap/engine/snap_result.h"
#include "snap/engine/snapshot_win.h"
#include "snap/settings/settings_store_win.h"
#include "snap/settings/snap_settings.h"
#include "snap/common/app_state_win.h"
#include "snap/shell/main_window_bounds_win.h"
#include "snap/common/message_box_win.h"
#include "snap/shell/area_picker_geometry.h"
#include "snap/shell/magnifier_win.h"
#include "snap/shell/preview_geometry.h"
#include "snap/common/snap_sound_win.h"

static const char PREVIEW_CAPTION[] = "Snapshot Preview";
static const char FIRST_LINE[] = "A model of the screen is shown below.";
static const char SECOND_LINE[] = "Click and drag to outline an area to \"snap\".";
enum { TEXT_TOP = 1 };

// The preview's state, touched only from the main window's messages.
struct PreviewStateRecord {
    RECT desktop;          // the desktop the model is laid out for, in screen coordinates
    int scale;             // desktop pixels per model pixel, each way
    POINT modelOrigin;     // client coordinates of the model's top-left corner
    HBITMAP frozenBitmap;  // the frozen screen while a preview is up
    BOOL active;           // the preview is up and accepts a drag
    BOOL captured;         // it holds the mouse (once lost, the next press takes it back)
    BOOL dragging;         // the button went down and the band is drawn
    POINT anchor;          // screen point where the button went down
    RECT band;             // screen coordinates, normalised, right/bottom exclusive
    HCURSOR savedCursor;   // the cursor before the selection cursor
    BOOL delivering;       // the band's snapshot is on its way (its dialogs may be up)
    BOOL magnifierShown;   // the magnifier is drawn at magnifierRect (client coordinates)
    RECT magnifierRect;
    POINT magnified;       // the desktop pixel under the pointer's model point
};

static PreviewStateRecord PreviewState;

static void LayOutModel(HWND hwnd, const RECT &desktop, int scale)
{
    RECT client;
    GetClientRect(hwnd, &client);
    PreviewPoint origin = ModelOrigin(client.right - client.left, client.bottom - client.top,
                                      desktop.right - desktop.left, desktop.bottom - desktop.top, scale);
    PreviewState.desktop = desktop;
    PreviewState.scale = scale;
    PreviewState.modelOrigin.x = origin.x;
    PreviewState.modelOrigin.y = origin.y;
}

void FixPreviewGeometry(HWND hwnd)
{
    DesktopLayout desktop;
    ReadDesktopLayout(&desktop);
    RECT bounds;
    int scale;
    MainWindowBounds(desktop, &bounds, &scale);
    LayOutModel(hwnd, desktop.bounds, scale);
}

// The geometry was fixed for the desktop at start-up, while each freeze
// takes the desktop as it is now. When a monitor has been added, removed or
// resized since, the window and the model are laid out again for the frozen
// image, as a start-up with this desktop would have done, so that the model
// shows the whole image and a band converts to pixels of this image: nothing
// draws from or converts against a desktop that the bitmap does not hold.
static void FitPreviewToDesktop(HWND hwnd, const RECT &frozenDesktop)
{
    if (EqualRect(&frozenDesktop, &PreviewState.desktop))
        return;
    DesktopLayout desktop;
    ReadDesktopLayout(&desktop);
    desktop.bounds = frozenDesktop;
    RECT bounds;
    int scale;
    MainWindowBounds(desktop, &bounds, &scale);
    SetWindowPos(hwnd, NULL, bounds.left, bounds.top, bounds.right - bounds.left,
                 bounds.bottom - bounds.top, SWP_NOZORDER | SWP_NOACTIVATE);
    LayOutModel(hwnd, frozenDesktop, scale);
}

static void DropFrozenBitmap()
{
    if (PreviewState.frozenBitmap)
        DeleteObject(PreviewState.frozenBitmap);
    PreviewState.frozenBitmap = NULL;
}

// The band is drawn by inversion, so a second identical call erases it and
// nothing underneath has to repaint. Over the preview window it is drawn
// through the window's own DC, in order with the window's painting: drawn
// through the screen's DC it could reach the display before pixels the
// window painted just earlier (the magnifier moving away), which then cover
// it, and erasing it would leave that part of the old band behind.
static void InvertBand(HWND hwnd)
{
    RECT window;
    GetWindowRect(hwnd, &window);
    {
        ScreenDcGuard screen;
        if (screen) {
            ExcludeClipRect(screen, window.left, window.top, window.right, window.bottom);
            DrawFocusRect(screen, &PreviewState.band);
        }
    }
    if (HDC dc = GetWindowDC(hwnd)) {
        RECT inWindow = PreviewState.band;
        OffsetRect(&inWindow, -window.left, -window.top);
        DrawFocusRect(dc, &inWindow);
        ReleaseDC(hwnd, dc);
    }
}

// Captures the mouse for the selection and shows its cursor; returns the
// cursor shown before.
static HCURSOR TakeMouse(HWND hwnd)
{
    SetCapture(hwnd);
    PreviewState.captured = TRUE;
    return SetCursor(LoadCursorA(g_hInstance, "RUBBERBAND"));
}

void OpenPreview(HWND hwnd)
{
    // While the band's snapshot is in its Save or print dialog the preview is
    // still on screen but already finished: opening it again inside that
    // dialog would leave the mouse captured under a window that the finishing
    // snapshot then hides. The press is ignored.
    if (PreviewState.delivering)
        return;

    // Pressed again while the preview is up, the key freezes the screen anew,
    // preview and all, in place of the earlier image; should that fail, the
    // earlier image stays, so that a band is never cut from the live screen.
    const BOOL reopening = PreviewState.active;
    // A band half drawn belongs to the old image and would be frozen into
    // the new one.
    if (PreviewState.dragging)
        InvertBand(hwnd);
    PreviewState.dragging = FALSE;
    RECT desktop;
    HBITMAP frozen;
    const int failure = FreezeDesktop(&desktop, &frozen);
    if (failure != Ok) {
        // Opening, the user is told why no preview comes. Reopened, the
        // preview with its earlier image is still there to use.
        if (!reopening)
            ShowErrorBox(SnapResultMessage(failure));
        return;
    }
    DropFrozenBitmap();
    PreviewState.frozenBitmap = frozen;
    FitPreviewToDesktop(hwnd, desktop);
    // Already on screen when reopened: without this it would go on showing
    // the old image, from which no band is cut any more.
    InvalidateRect(hwnd, NULL, TRUE);

    // The screen is frozen first, so neither the window nor anything the
    // sound causes is in the image.
    PlaySnapSound(SnapSettings.sound != 0);
    SetWindowTextA(hwnd, PREVIEW_CAPTION);
    ShowWindow(hwnd, SW_SHOW);
    PreviewState.active = TRUE;
    PreviewState.magnifierShown = FALSE;
    const BOOL hadMouse = reopening && PreviewState.captured;
    HCURSOR previous = TakeMouse(hwnd);
    // Reopened while it holds the mouse, the current cursor is already the
    // selection cursor; the one to give back at the end is still the one
    // saved before.
    if (!hadMouse)
        PreviewState.savedCursor = previous;
}

static void DrawCentredLine(HDC dc, int clientWidth, int y, const char *text, int *height)
{
    const int length = lstrlenA(text);
    SIZE extent;
    if (!GetTextExtentPointA(dc, text, length, &extent))
        extent.cx = extent.cy = 0;
    TextOutA(dc, (clientWidth - extent.cx) / 2, y, text, length);
    *height = extent.cy;
}

static RECT BandInImage(HWND hwnd);

void OnPreviewPaint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    {
        SetBkMode(dc, TRANSPARENT);
        SelectGuard font(dc, GetStockObject(ANSI_VAR_FONT));
        int firstHeight, secondHeight;
        DrawCentredLine(dc, client.right, TEXT_TOP, FIRST_LINE, &firstHeight);
        DrawCentredLine(dc, client.right, firstHeight + TEXT_TOP, SECOND_LINE, &secondHeight);
    }

    // Default pen and brush: a one-pixel black outline filled with white,
    // which leaves a white ring around the model.
    const PreviewPoint origin = {PreviewState.modelOrigin.x, PreviewState.modelOrigin.y};
    const int scale = PreviewState.scale;
    const int modelWidth = (PreviewState.desktop.right - PreviewState.desktop.left) / scale;
    const int modelHeight = (PreviewState.desktop.bottom - PreviewState.desktop.top) / scale;
    ScreenRect frame = ModelFrame(origin, modelWidth * scale, modelHeight * scale, scale);
    Rectangle(dc, frame.left, frame.top, frame.right, frame.bottom);

    if (PreviewState.frozenBitmap) {
        // Each model pixel stands for the same scale x scale square of the
        // image that a band over it converts to.
        DcGuard memory(CreateCompatibleDC(dc));
        SelectGuard selected(memory, PreviewState.frozenBitmap);
        StretchBlt(dc, origin.x, origin.y, modelWidth, modelHeight, memory, 0, 0, modelWidth * scale,
                   modelHeight * scale, SRCCOPY);
        if (PreviewState.magnifierShown) {
            const RECT band = BandInImage(hwnd);
            const SIZE size = {band.right - band.left, band.bottom - band.top};
            DrawMagnifier(dc, PreviewState.magnifierRect.left, PreviewState.magnifierRect.top, memory,
                          PreviewState.desktop, PreviewState.magnified, PreviewState.dragging ? &size : NULL);
        }
    }
    EndPaint(hwnd, &ps);
}

// A button message's point, in screen coordinates: where the button went
// down or up, which the pointer may have left by the time it is read. The
// window holds the mouse while a band is drawn, so the point may lie outside
// its client area, at negative coordinates too.
static POINT ButtonPoint(HWND hwnd, LPARAM lParam)
{
    POINT p = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(hwnd, &p);
    return p;
}

void OnPreviewButtonDown(HWND hwnd, LPARAM lParam)
{
    if (!PreviewState.active)
        return;
    if (!PreviewState.captured)
        TakeMouse(hwnd);
    PreviewState.anchor = ButtonPoint(hwnd, lParam);
    SetRect(&PreviewState.band, PreviewState.anchor.x, PreviewState.anchor.y,
            PreviewState.anchor.x, PreviewState.anchor.y);
    PreviewState.dragging = TRUE;
}

// Puts the magnifier beside the pointer (screen point p) while it is over
// the model, enlarging the desktop pixel that its model point stands for;
// the window repaints where it was and where it goes, nothing else.
static void MoveMagnifier(HWND hwnd, POINT p)
{
    const BOOL wasShown = PreviewState.magnifierShown;
    const RECT old = PreviewState.magnifierRect;
    POINT c = p;
    ScreenToClient(hwnd, &c);
    const int scale = PreviewState.scale;
    const RECT &desktop = PreviewState.desktop;
    const POINT origin = PreviewState.modelOrigin;
    PreviewState.magnifierShown = PreviewState.active && c.x >= origin.x && c.y >= origin.y &&
                                  c.x < origin.x + (desktop.right - desktop.left) / scale &&
                                  c.y < origin.y + (desktop.bottom - desktop.top) / scale;
    if (PreviewState.magnifierShown) {
        PreviewState.magnified.x = (c.x - origin.x) * scale + desktop.left;
        PreviewState.magnified.y = (c.y - origin.y) * scale + desktop.top;
        RECT client;
        GetClientRect(hwnd, &client);
        SIZE size = {0, 0};
        if (HDC dc = GetDC(hwnd)) {
            size = MagnifierSize(dc);
            ReleaseDC(hwnd, dc);
        }
        const PreviewPoint at = {c.x, c.y};
        const ScreenRect room = {client.left, client.top, client.right, client.bottom};
        const ScreenRect place = MagnifierPlace(at, room, size.cx, size.cy);
        SetRect(&PreviewState.magnifierRect, place.left, place.top, place.right, place.bottom);
        InvalidateRect(hwnd, &PreviewState.magnifierRect, FALSE);
    }
    if (wasShown)
        InvalidateRect(hwnd, &old, FALSE);
    UpdateWindow(hwnd);
}

// Moves the band's free corner (while one is dragged) and the magnifier to
// p, in screen coordinates. The band is off the screen while the window
// repaints under it, so that no inverted pixel is painted over and then
// inverted back wrongly.
static void MoveBandTo(HWND hwnd, POINT p)
{
    if (!PreviewState.active)
        return;
    const BOOL band = PreviewState.dragging;
    if (band) {
        InvertBand(hwnd);
        const PreviewPoint anchor = {PreviewState.anchor.x, PreviewState.anchor.y};
        const PreviewPoint cursor = {p.x, p.y};
        ScreenRect r = RubberBand(anchor, cursor);
        SetRect(&PreviewState.band, r.left, r.top, r.right, r.bottom);
    }
    MoveMagnifier(hwnd, p);
    if (band)
        InvertBand(hwnd);
}

void OnPreviewMouseMove(HWND hwnd)
{
    POINT p;
    GetCursorPos(&p);
    MoveBandTo(hwnd, p);
}

// The band in pixels of the frozen image: through the window's client area
// into the model, then scaled up; unclipped.
static RECT BandInImage(HWND hwnd)
{
    POINT corners[2] = {{PreviewState.band.left, PreviewState.band.top},
                        {PreviewState.band.right, PreviewState.band.bottom}};
    ScreenToClient(hwnd, &corners[0]);
    ScreenToClient(hwnd, &corners[1]);
    const ScreenRect inClient = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    const PreviewPoint origin = {PreviewState.modelOrigin.x, PreviewState.modelOrigin.y};
    ScreenRect image = BandToImage(inClient, origin, PreviewState.scale);
    RECT rect;
    SetRect(&rect, image.left, image.top, image.right, image.bottom);
    return rect;
}

// Takes the band off the screen and gives the cursor and the mouse back; the
// window stays up with its frozen image until the caller is done with it.
static void EndSelection(HWND hwnd)
{
    if (PreviewState.dragging)
        InvertBand(hwnd);
    PreviewState.dragging = FALSE;
    PreviewState.active = FALSE;
    SetCursor(PreviewState.savedCursor);
    if (PreviewState.captured) {
        PreviewState.captured = FALSE;
        ReleaseCapture();
    }
}

void OnPreviewMouseLost(HWND hwnd, HWND newCapture)
{
    if (!PreviewState.active || !PreviewState.captured || newCapture == hwnd)
        return;
    PreviewState.captured = FALSE;
    if (PreviewState.dragging)
        InvertBand(hwnd);
    PreviewState.dragging = FALSE;
    if (PreviewState.magnifierShown) {
        PreviewState.magnifierShown = FALSE;
        InvalidateRect(hwnd, &PreviewState.magnifierRect, FALSE);
    }
    SetCursor(PreviewState.savedCursor);
    if (GetCapture() == hwnd)
        ReleaseCapture();
}

void OnPreviewButtonUp(HWND hwnd, LPARAM lParam)
{
    if (!PreviewState.active || !PreviewState.dragging)
        return;
    // The band ends where the button was let go, as the release says: the
    // last move may not have come before it.
    MoveBandTo(hwnd, ButtonPoint(hwnd, lParam));
    EndSelection(hwnd);
    MoveMagnifier(hwnd, ButtonPoint(hwnd, lParam));

    if (!IsRectEmpty(&PreviewState.band)) {
        RECT rect = BandInImage(hwnd);
        // Kept in desktop pixels for the last-area key, as it is taken.
        RECT onDesktop = rect;
        OffsetRect(&onDesktop, PreviewState.desktop.left, PreviewState.desktop.top);
        RememberLastArea(onDesktop);
        // The cue sounded when the screen was frozen.
        PreviewState.delivering = TRUE;
        TakeSnapshot(hwnd, &rect, SnapSettings.destination, PreviewState.frozenBitmap, FALSE);
        PreviewState.delivering = FALSE;
    }
    ShowWindow(hwnd, SW_HIDE);
    DropFrozenBitmap();
}

void ClosePreview(HWND hwnd)
{
    // Inside the band's Save or print dialog the snapshot under way finishes
    // the preview itself; the frozen image is still being read.
    if (PreviewState.delivering)
        return;
    if (PreviewState.active)
        EndSelection(hwnd);
    ShowWindow(hwnd, SW_HIDE);
    DropFrozenBitmap();
}
