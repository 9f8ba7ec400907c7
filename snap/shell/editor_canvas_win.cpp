// The canvas of the "Edit Snapshot" window: the picture at its zoom with
// scroll bars, and the mouse that makes the marks.
#include "snap/shell/editor_state_win.h"

#include "snap/engine/gdi_guards_win.h"
#include "snap/res/resource.h"

static const char CANVAS_CLASS[] = "TamblitEditCanvas";

enum { SCROLL_LINE = 32 };  // canvas pixels a scroll bar arrow moves

static void CanvasSize(int32_t *width, int32_t *height)
{
    RECT client = {0, 0, 0, 0};
    GetClientRect(g_edit.canvas, &client);
    *width = client.right;
    *height = client.bottom;
}

static void UpdateScrollBars()
{
    // Twice: a bar that comes or goes changes the room for the other.
    for (int pass = 0; pass < 2; ++pass) {
        int32_t width, height;
        CanvasSize(&width, &height);
        ClampScroll(&g_edit.view, width, height);
        SCROLLINFO info;
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        info.nMin = 0;
        info.nMax = ScaledWidth(g_edit.view) - 1;
        info.nPage = (UINT)width;
        info.nPos = g_edit.view.scrollX;
        SetScrollInfo(g_edit.canvas, SB_HORZ, &info, TRUE);
        info.nMax = ScaledHeight(g_edit.view) - 1;
        info.nPage = (UINT)height;
        info.nPos = g_edit.view.scrollY;
        SetScrollInfo(g_edit.canvas, SB_VERT, &info, TRUE);
    }
}

void ResetEditorView()
{
    g_edit.view.pictureWidth = g_edit.crop.right - g_edit.crop.left;
    g_edit.view.pictureHeight = g_edit.crop.bottom - g_edit.crop.top;
    int32_t width, height;
    CanvasSize(&width, &height);
    if (g_edit.fit) {
        // Fitted to the room the canvas has without scroll bars.
        RECT window;
        GetWindowRect(g_edit.canvas, &window);
        SetZoomToFit(&g_edit.view, window.right - window.left, window.bottom - window.top);
        ShowScrollBar(g_edit.canvas, SB_BOTH, FALSE);
    } else {
        SetZoomActual(&g_edit.view);
    }
    UpdateScrollBars();
    InvalidateRect(g_edit.canvas, NULL, TRUE);
}

// A rectangle of picture pixels where it lies on the canvas: past the crop,
// at the zoom.
static EditRect CanvasRectOf(const EditRect &r)
{
    const EditRect inView = {r.left - g_edit.crop.left, r.top - g_edit.crop.top, r.right - g_edit.crop.left,
                             r.bottom - g_edit.crop.top};
    return PictureToCanvas(g_edit.view, inView);
}

void InvalidatePictureRect(const EditRect &r)
{
    if (EditRectEmpty(r))
        return;
    const EditRect c = CanvasRectOf(r);
    RECT rect = {c.left, c.top, c.right, c.bottom};
    InvalidateRect(g_edit.canvas, &rect, FALSE);
}

void InvalidatePictureFrame(const EditRect &r, int32_t edge)
{
    if (EditRectEmpty(r))
        return;
    const EditRect c = CanvasRectOf(r);
    const int32_t scaled = (int32_t)(((int64_t)edge * g_edit.view.zoomNum + g_edit.view.zoomDen - 1) / g_edit.view.zoomDen);
    const int32_t e = scaled > 0 ? scaled : 1;
    const RECT sides[4] = {{c.left, c.top, c.right, c.top + e},
                           {c.left, c.bottom - e, c.right, c.bottom},
                           {c.left, c.top, c.left + e, c.bottom},
                           {c.right - e, c.top, c.right, c.bottom}};
    for (const RECT &side : sides)
        InvalidateRect(g_edit.canvas, &side, FALSE);
}

static void FrameInCanvas(HDC dc, const EditRect &r)
{
    if (EditRectEmpty(r))
        return;
    const EditRect c = CanvasRectOf(r);
    RECT rect = {c.left, c.top, c.right, c.bottom};
    DrawFocusRect(dc, &rect);
}

// The picture's pixels under one rectangle of the canvas.
static void PaintPart(HDC dc, const RECT &part)
{
    const EditView &view = g_edit.view;
    const EditRect update = {part.left, part.top, part.right, part.bottom};
    const EditRect source = CanvasToPictureRect(view, update);
    if (EditRectEmpty(source))
        return;
    const EditRect target = PictureToCanvas(view, source);
    // A bottom-up DIB is addressed from its bottom row.
    const int32_t sourceTop = g_edit.crop.top + source.top;
    StretchDIBits(dc, target.left, target.top, target.right - target.left, target.bottom - target.top,
                  g_edit.crop.left + source.left, g_edit.picture.height - (sourceTop + source.bottom - source.top),
                  source.right - source.left, source.bottom - source.top, g_edit.picture.pixels,
                  reinterpret_cast<const BITMAPINFO *>(g_edit.dib->header), DIB_RGB_COLORS, SRCCOPY);
}

enum { REGION_RECTS = 32 };  // more than this, and the bounding box is painted whole

// Each rectangle of what needs painting on its own: the frames that a
// rectangle mark's move changes are thin, their bounding box is not.
static void PaintPicture(HDC dc, HRGN update, const RECT &bounds, const RECT &shown)
{
    struct {
        RGNDATAHEADER header;
        RECT rects[REGION_RECTS];
    } data;
    const bool split = update && GetRegionData(update, sizeof data, reinterpret_cast<RGNDATA *>(&data)) != 0 &&
                       data.header.nCount <= REGION_RECTS;
    const DWORD count = split ? data.header.nCount : 1;
    for (DWORD i = 0; i < count; ++i) {
        RECT part;
        if (IntersectRect(&part, split ? &data.rects[i] : &bounds, &shown))
            PaintPart(dc, part);
    }
}

static void Paint(HWND hwnd)
{
    HRGN update = CreateRectRgn(0, 0, 0, 0);
    if (update && GetUpdateRgn(hwnd, update, FALSE) == ERROR) {
        DeleteObject(update);
        update = NULL;
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    const EditView &view = g_edit.view;
    const RECT shown = {-view.scrollX, -view.scrollY, ScaledWidth(view) - view.scrollX,
                        ScaledHeight(view) - view.scrollY};
    HPALETTE previous = NULL;
    if (g_edit.palette) {
        previous = SelectPalette(dc, g_edit.palette, FALSE);
        RealizePalette(dc);
    }
    SetStretchBltMode(dc, COLORONCOLOR);
    PaintPicture(dc, update, ps.rcPaint, shown);
    if (previous)
        SelectPalette(dc, previous, FALSE);
    if (update)
        DeleteObject(update);
    // Around the picture, the colour of an empty work area.
    HRGN outside = CreateRectRgnIndirect(&ps.rcPaint);
    HRGN picture = CreateRectRgnIndirect(&shown);
    if (outside && picture && CombineRgn(outside, outside, picture, RGN_DIFF) != NULLREGION)
        FillRgn(dc, outside, GetSysColorBrush(COLOR_APPWORKSPACE));
    if (outside)
        DeleteObject(outside);
    if (picture)
        DeleteObject(picture);
    FrameInCanvas(dc, g_edit.band);
    if (g_edit.typing)
        FrameInCanvas(dc, g_edit.textRect);
    EndPaint(hwnd, &ps);
}

static void Scroll(int bar, int request)
{
    SCROLLINFO info;
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(g_edit.canvas, bar, &info);
    int pos = info.nPos;
    switch (request) {
    case SB_LINELEFT: pos -= SCROLL_LINE; break;
    case SB_LINERIGHT: pos += SCROLL_LINE; break;
    case SB_PAGELEFT: pos -= (int)info.nPage; break;
    case SB_PAGERIGHT: pos += (int)info.nPage; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = info.nTrackPos; break;
    case SB_LEFT: pos = 0; break;
    case SB_RIGHT: pos = info.nMax; break;
    default: return;
    }
    int32_t &scroll = bar == SB_HORZ ? g_edit.view.scrollX : g_edit.view.scrollY;
    const int32_t before = scroll;
    scroll = pos;
    int32_t width, height;
    CanvasSize(&width, &height);
    ClampScroll(&g_edit.view, width, height);
    SetScrollPos(g_edit.canvas, bar, scroll, TRUE);
    if (scroll != before) {
        const int by = before - scroll;
        ScrollWindowEx(g_edit.canvas, bar == SB_HORZ ? by : 0, bar == SB_VERT ? by : 0, NULL, NULL, NULL, NULL,
                       SW_INVALIDATE);
        UpdateWindow(g_edit.canvas);
    }
}

// The picture pixel (of the full picture) under a point of the canvas.
static void PointToPicture(LPARAM lParam, int32_t *x, int32_t *y)
{
    CanvasToPicture(g_edit.view, (short)LOWORD(lParam), (short)HIWORD(lParam), x, y);
    *x += g_edit.crop.left;
    *y += g_edit.crop.top;
}

static LRESULT CALLBACK CanvasProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    int32_t x, y;
    switch (message) {
    case WM_CREATE:
        g_edit.canvas = hwnd;  // its size is set before CreateWindowExA returns
        return 0;
    case WM_PAINT:
        Paint(hwnd);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // painted whole in WM_PAINT
    case WM_SIZE:
        if (g_edit.fit)
            ResetEditorView();
        else
            UpdateScrollBars();
        return 0;
    case WM_HSCROLL:
        Scroll(SB_HORZ, LOWORD(wParam));
        return 0;
    case WM_VSCROLL:
        Scroll(SB_VERT, LOWORD(wParam));
        return 0;
    case WM_LBUTTONDOWN:
        SetFocus(hwnd);
        PointToPicture(lParam, &x, &y);
        if (g_edit.typing) {
            EndText();  // a click elsewhere ends the text and does nothing more
        } else if (g_edit.tool == TOOL_TEXT) {
            StartText(x, y);
        } else {
            SetCapture(hwnd);
            BeginDrag(x, y);
        }
        return 0;
    case WM_MOUSEMOVE:
        if (g_edit.dragging) {
            PointToPicture(lParam, &x, &y);
            MoveDrag(x, y);
        }
        return 0;
    case WM_LBUTTONUP:
        if (g_edit.dragging) {
            PointToPicture(lParam, &x, &y);
            EndDrag(x, y, true);
            ReleaseCapture();
        }
        return 0;
    case WM_CAPTURECHANGED:
        // Taken away in the middle of a drag: the mark stays as last shown.
        if (g_edit.dragging)
            EndDrag(g_edit.lastX, g_edit.lastY, true);
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

HWND CreateEditorCanvas(HWND frame, HINSTANCE instance)
{
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof wc);
    if (!GetClassInfoA(instance, CANVAS_CLASS, &wc)) {
        wc.lpfnWndProc = CanvasProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorA(NULL, IDC_CROSS);
        wc.lpszClassName = CANVAS_CLASS;
        if (!RegisterClassA(&wc))
            return NULL;
    }
    return CreateWindowExA(0, CANVAS_CLASS, "", WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | WS_CLIPSIBLINGS,
                           0, EDITOR_TOOLBAR_HEIGHT, 10, 10, frame, (HMENU)IDC_EDITOR_CANVAS, instance, NULL);
}
