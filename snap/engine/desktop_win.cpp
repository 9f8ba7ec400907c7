#include "snap/engine/desktop_win.h"

#include <string.h>

#include "snap/engine/gdi_guards_win.h"

// Windows 95 and NT 4.0 lack these; they are looked up so that the program
// still loads there.
typedef BOOL(WINAPI *EnumDisplayMonitorsFn)(HDC, LPCRECT, MONITORENUMPROC, LPARAM);
typedef BOOL(WINAPI *GetMonitorInfoFn)(HMONITOR, LPMONITORINFO);

// A function of user32 by name; NULL where this system has none. Passed
// through a function type without arguments, as any function may be.
typedef void (*AnyFunction)();
static AnyFunction LookUpUser(const char *name)
{
    HMODULE user = GetModuleHandleA("user32.dll");
    return user ? reinterpret_cast<AnyFunction>(GetProcAddress(user, name)) : NULL;
}

struct MonitorSearch {
    DesktopLayout *layout;
    GetMonitorInfoFn getInfo;
    bool overflow;
};

static BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT area, LPARAM data)
{
    MonitorSearch *search = reinterpret_cast<MonitorSearch *>(data);
    DesktopLayout *layout = search->layout;
    if (layout->monitorCount == MAX_DESKTOP_MONITORS) {
        search->overflow = true;
        return FALSE;
    }
    layout->monitors[layout->monitorCount++] = *area;
    MONITORINFO info;
    info.cbSize = sizeof info;
    if (search->getInfo && search->getInfo(monitor, &info) && (info.dwFlags & MONITORINFOF_PRIMARY))
        layout->primaryWork = info.rcWork;
    return TRUE;
}

static void ReadDesktopBounds(RECT *bounds)
{
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (width > 0 && height > 0) {
        const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
        const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
        SetRect(bounds, left, top, left + width, top + height);
    } else {
        SetRect(bounds, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    }
}

// Lists the monitors into layout (the primary screen alone where the system
// cannot list them; none when there are too many to list) and the primary
// monitor's work area.
static void ListMonitors(DesktopLayout *layout)
{
    EnumDisplayMonitorsFn enumMonitors = reinterpret_cast<EnumDisplayMonitorsFn>(LookUpUser("EnumDisplayMonitors"));
    MonitorSearch search = {layout, reinterpret_cast<GetMonitorInfoFn>(LookUpUser("GetMonitorInfoA")), false};
    layout->monitorCount = 0;
    if (enumMonitors && enumMonitors(NULL, NULL, AddMonitor, reinterpret_cast<LPARAM>(&search)) &&
        layout->monitorCount > 0)
        return;
    if (search.overflow) {
        // Too many to list: nothing is painted over as off the monitors.
        layout->monitorCount = 0;
        return;
    }
    layout->monitorCount = 1;
    SetRect(&layout->monitors[0], 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

// What a snapshot asks of the display, asked once and kept until the display
// changes. Under Wine each question costs about a quarter of a millisecond,
// and a full-screen snapshot asked six (its bounds, the depth, the monitors):
// as long as copying a tenth of a small screen. Windows tells every
// top-level window of a new mode or a monitor come or gone with
// WM_DISPLAYCHANGE, and the main window then forgets these.
static struct {
    bool known;
    DesktopLayout layout;
    int bitsPerPixel;
} g_display;

static void LearnDisplay()
{
    DesktopLayout *layout = &g_display.layout;
    memset(layout, 0, sizeof *layout);
    ReadDesktopBounds(&layout->bounds);
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &layout->primaryWork, 0))
        SetRect(&layout->primaryWork, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    ListMonitors(layout);
    ScreenDcGuard screen;
    g_display.bitsPerPixel = screen ? GetDeviceCaps(screen, BITSPIXEL) : 0;
    g_display.known = true;
}

static void KnowDisplay()
{
    if (!g_display.known)
        LearnDisplay();
}

void ForgetDisplay()
{
    g_display.known = false;
}

int DisplayDepth()
{
    KnowDisplay();
    return g_display.bitsPerPixel;
}

void DesktopBounds(RECT *bounds)
{
    KnowDisplay();
    *bounds = g_display.layout.bounds;
}

void ReadDesktopLayout(DesktopLayout *layout)
{
    // The work area moves with the taskbar, which is no display change.
    LearnDisplay();
    *layout = g_display.layout;
}

bool BlackenOffMonitorParts(HDC memoryDc, const RECT *rect)
{
    KnowDisplay();
    const DesktopLayout &layout = g_display.layout;
    if (layout.monitorCount == 0)
        return true;
    // Most often one monitor holds the whole rectangle: nothing to paint,
    // and no regions to build for it.
    for (int i = 0; i < layout.monitorCount; ++i) {
        const RECT &m = layout.monitors[i];
        if (m.left <= rect->left && m.top <= rect->top && rect->right <= m.right && rect->bottom <= m.bottom)
            return true;
    }
    // What is left of the rectangle once every monitor is taken out of it,
    // in the memory context's coordinates.
    GdiObjectGuard uncoveredGuard(CreateRectRgn(0, 0, rect->right - rect->left, rect->bottom - rect->top));
    GdiObjectGuard monitorGuard(CreateRectRgn(0, 0, 0, 0));
    HRGN uncovered = static_cast<HRGN>(uncoveredGuard.object), monitor = static_cast<HRGN>(monitorGuard.object);
    if (!uncovered || !monitor)
        return false;
    int kind = SIMPLEREGION;
    for (int i = 0; i < layout.monitorCount && kind != NULLREGION; ++i) {
        const RECT &m = layout.monitors[i];
        SetRectRgn(monitor, m.left - rect->left, m.top - rect->top, m.right - rect->left, m.bottom - rect->top);
        kind = CombineRgn(uncovered, uncovered, monitor, RGN_DIFF);
        if (kind == ERROR)
            return false;
    }
    return kind == NULLREGION ||
           FillRgn(memoryDc, uncovered, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}
