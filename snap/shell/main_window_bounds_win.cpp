#include "snap/shell/main_window_bounds_win.h"

#include "snap/engine/gdi_guards_win.h"
#include "snap/shell/main_window_rect.h"

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

void MainWindowBounds(int screenWidth, int screenHeight, RECT *rect)
{
    int lineHeight, externalLeading;
    ReadLineMetrics(&lineHeight, &externalLeading);
    ScreenRect box = MainWindowRect(screenWidth, screenHeight, lineHeight, externalLeading);
    SetRect(rect, box.left, box.top, box.right, box.bottom);
    // Adjusted for a sizing frame although the window has a thin one: its
    // client area comes out a little larger, and the preview centres its model
    // in whatever client area the window really has.
    AdjustWindowRect(rect, WS_OVERLAPPEDWINDOW, FALSE);
}
