// Times the "Edit Snapshot" window: from the start of a 24-bit capture of
// the whole desktop (every monitor) to the editor on the screen, one step of
// a rectangle being dragged (the mark moved and repainted), and the memory
// the editor holds beside the picture. Then sends the picture and checks
// that it came back whole.
//
//   editor_bench.exe OUTPUT-FILE [WIDTHxHEIGHT]
//
// With a size, a made-up picture of that size instead of a capture (a
// desktop of three 4K monitors is more than the test displays hold). One
// line: "editor W H CAPTURE OPEN STEP-MEDIAN STEP-MAX PICTURE UNDO WS-GROWTH
// SENT IDLE BUILD" (milliseconds, then bytes; SENT is 1 when the picture came back
// from Send at its size; IDLE is what the hidden editor built at start-up
// holds while no snapshot is open; BUILD the milliseconds building it took).
//
// As in the resident program with editing on, the editor's window is built
// at start-up and the key comes once the program is idle: the first
// snapshot of the process is timed, through the window built ahead.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <vector>

#include "bench/file_capture_win.h"
#include "snap/common/app_state_win.h"
#include "snap/common/dll_search_win.h"
#include "snap/engine/desktop_win.h"
#include "snap/res/resource.h"
#include "snap/settings/snap_settings.h"
#include "snap/shell/editor_state_win.h"
#include "snap/shell/editor_win.h"

enum { DRAG_STEPS = 40, WM_BENCH_OPENED = WM_APP + 1, WM_BENCH_NEVER_POSTED = WM_APP + 99, IDLE_MS = 300 };

static LARGE_INTEGER g_frequency;
static double g_start, g_captured, g_opened, g_prepared;
static std::vector<double> g_steps;
static size_t g_undoBytes, g_baseWorkingSet, g_openWorkingSet, g_idleWorkingSet;

static double NowMs()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart * 1000.0 / g_frequency.QuadPart;
}

// The process's working set, through psapi when the system has it.
static size_t WorkingSet()
{
    struct Counters {
        DWORD cb, pageFaultCount;
        SIZE_T peakWorkingSetSize, workingSetSize, quotas[4], pagefileUsage, peakPagefileUsage;
    } counters = {};
    counters.cb = sizeof counters;
    typedef BOOL(WINAPI * GetMemoryInfo)(HANDLE, Counters *, DWORD);
    GetMemoryInfo get = (GetMemoryInfo)(void *)SystemFunction("psapi.dll", "GetProcessMemoryInfo");
    const bool ok = get && get(GetCurrentProcess(), &counters, sizeof counters);
    return ok ? counters.workingSetSize : 0;
}

// Runs inside the editor's own loop: the window has painted by then, and
// the X server has its pixels once this has read one back.
static LRESULT CALLBACK BenchProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_BENCH_OPENED)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    // Showing a window may take messages before it is done: wait for it.
    if (!g_edit.shown) {
        PostMessageA(hwnd, WM_BENCH_OPENED, 0, 0);
        return 0;
    }
    // Wine sends a window's drawing to X once the thread looks for messages
    // and finds none: look for one that never comes, then read a pixel of
    // the screen, which X answers only after every earlier drawing request.
    MSG pending;
    PeekMessageA(&pending, NULL, WM_BENCH_NEVER_POSTED, WM_BENCH_NEVER_POSTED, PM_NOREMOVE);
    RECT drawn;
    GetWindowRect(g_edit.canvas, &drawn);
    HDC screen = GetDC(NULL);
    GetPixel(screen, drawn.right - 20, drawn.bottom - 20);
    ReleaseDC(NULL, screen);
    g_opened = NowMs();
    g_openWorkingSet = WorkingSet();
    HWND canvas = g_edit.canvas;
    RECT client;
    GetClientRect(canvas, &client);
    const int x0 = 20, y0 = 20;
    SendMessageA(canvas, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x0, y0));
    for (int i = 1; i <= DRAG_STEPS; ++i) {
        const int x = x0 + (client.right - 2 * x0) * i / DRAG_STEPS, y = y0 + (client.bottom - 2 * y0) * i / DRAG_STEPS;
        const double t = NowMs();
        SendMessageA(canvas, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
        g_steps.push_back(NowMs() - t);
    }
    SendMessageA(canvas, WM_LBUTTONUP, 0, MAKELPARAM(client.right - x0, client.bottom - y0));
    g_undoBytes = g_edit.history.savedBytes;
    SendMessageA(g_edit.frame, WM_COMMAND, MAKEWPARAM(IDC_EDITOR_SEND, BN_CLICKED), 0);
    PostMessageA(hwnd, WM_NULL, 0, 0);  // wakes the loop to see it is done
    return 0;
}

static bool ParseSize(const char *text, int *w, int *h)
{
    return sscanf(text, "%dx%d", w, h) == 2 && *w > 0 && *h > 0;
}

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    QueryPerformanceFrequency(&g_frequency);
    g_hInstance = GetModuleHandleA(NULL);
    SnapSettings.bitsPerPixel = 24;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = BenchProc;
    wc.hInstance = g_hInstance;
    wc.lpszClassName = "EditorBench";
    RegisterClassA(&wc);
    HWND bench = CreateWindowExA(0, "EditorBench", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, g_hInstance, NULL);

    int width = 0, height = 0;
    const bool madeUp = argc > 2 && ParseSize(argv[2], &width, &height);
    RECT rect;
    if (!madeUp) {
        DesktopBounds(&rect);
        width = rect.right - rect.left;
        height = rect.bottom - rect.top;
    }
    DibLayout layout;
    if (!bench || !ComputeDibLayout(width, height, 24, &layout))
        return 3;
    g_baseWorkingSet = WorkingSet();
    const double prepare = NowMs();
    PrepareSnapshotEditor();
    g_prepared = NowMs() - prepare;
    // Idle until the key: what the window's making left behind is served.
    const double idleUntil = NowMs() + IDLE_MS;
    for (MSG msg; NowMs() < idleUntil;) {
        if (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        else
            MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
    }
    g_idleWorkingSet = WorkingSet();
    g_start = NowMs();
    SnapshotDib dib = {};
    if (madeUp) {
        if (!AllocSnapshotDib(layout, &dib))
            return 4;
        for (DWORD i = 0; i < dib.pixelArraySize; ++i)
            dib.pixels[i] = (BYTE)(i * 7 + i / 4096);
    } else {
        DcGuard display(CreateDCA("DISPLAY", NULL, NULL, NULL));
        DcGuard memory(CreateCompatibleDC(display));
        GdiObjectGuard captured(CreateFileCapture(display, layout));
        SelectGuard selected(memory, captured.object);
        if (CaptureScreenRect(display, memory, &rect, NULL) != Ok ||
            FillFileDib(display, memory, layout, &captured, &selected, &dib) != Ok)
            return 4;
    }
    g_captured = NowMs();
    PostMessageA(bench, WM_BENCH_OPENED, 0, 0);
    const EditOutcome outcome = RunSnapshotEditor(&dib);
    const bool sent = outcome == EditSent && dib.header->biWidth == width && dib.header->biHeight == height;

    std::vector<double> steps = g_steps;
    std::sort(steps.begin(), steps.end());
    FILE *f = fopen(argv[1], "w");
    if (!f)
        return 5;
    const size_t growth = g_openWorkingSet > g_baseWorkingSet ? g_openWorkingSet - g_baseWorkingSet : 0;
    const size_t idle = g_idleWorkingSet > g_baseWorkingSet ? g_idleWorkingSet - g_baseWorkingSet : 0;
    fprintf(f, "editor %d %d %.2f %.2f %.3f %.3f %lu %lu %lu %d %lu %.2f\n", width, height, g_captured - g_start,
            g_opened - g_captured, steps.empty() ? 0.0 : steps[steps.size() / 2], steps.empty() ? 0.0 : steps.back(),
            (unsigned long)layout.pixelArraySize, (unsigned long)g_undoBytes, (unsigned long)growth, sent ? 1 : 0,
            (unsigned long)idle, g_prepared);
    fclose(f);
    FreeSnapshotDib(&dib);
    return 0;
}
