#include "snap/shell/main_window_bounds_win.h"

#include "snap/engine/gdi_guards_win.h"
#include "snap/shell/main_window_rect.h"
#include "snap/shell/preview_geometry.h"

// Height and external leading of the display's variable-pitch system font;
// zero when no display context can be had.
static void ReadLineMetrics(int *height, int *externalLeading)
{
    *height = 0;
    *externalLeading = 0;
    DcGuard dc(CreateDCA("DISPLAY", NULL, NULL, NULL));
    if (!dc)
        return;
    SelectGuard font(dc, GetStockObject(ANSI_VAR_FONT));
    TEXTMETRICA tm;
    if (GetTextMetricsA(dc, &tm)) {
        *height = tm.tmHeight;
        *externalLeading = tm.tmExternalLeading;
    }
}

void MainWindowBounds(const DesktopLayout &desktop, RECT *rect, int *scale)
{
    int lineHeight, externalLeading;
    ReadLineMetrics(&lineHeight, &externalLeading);
    const int margin = MainWindowMargin(lineHeight, externalLeading);
    RECT frame = {0, 0, 0, 0};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    const RECT &work = desktop.primaryWork;
    const int desktopWidth = desktop.bounds.right - desktop.bounds.left;
    const int desktopHeight = desktop.bounds.bottom - desktop.bounds.top;
    *scale = ModelScale(desktopWidth, desktopHeight,
                        work.right - work.left - 2 * margin - (frame.right - frame.left),
                        work.bottom - work.top - 2 * margin - (frame.bottom - frame.top));
    const ScreenRect area = {work.left, work.top, work.right, work.bottom};
    ScreenRect box = MainWindowRect(area, desktopWidth / *scale, desktopHeight / *scale, lineHeight,
                                    externalLeading);
    SetRect(rect, box.left, box.top, box.right, box.bottom);
    // Adjusted for a sizing frame although the window has a thin one: its
    // client area comes out a little larger, and the preview centres its model
    // in whatever client area the window really has.
    AdjustWindowRect(rect, WS_OVERLAPPEDWINDOW, FALSE);
}
