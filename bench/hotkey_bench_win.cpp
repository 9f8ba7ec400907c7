// Times what a hot key press costs, stage by stage, with the program's own
// capture, conversion and Save dialog: the key arriving as WM_HOTKEY, the
// pixels frozen in the captured bitmap, the DIB block filled, the Save dialog
// shown (it is cancelled 300 ms later). Each press writes one line of wall-clock
// times in milliseconds since 1970, comparable with the clock of whoever
// pressed the key:
//
//   press N arrived A frozen F converted C shown S
//
//   hotkey_bench.exe OUTPUT-FILE PRESSES
//
// The key is Ctrl+Shift+S; a small window named "Hotkey Bench" is shown so
// that the X keyboard focus can be given to a window of ours. Start-up warms
// the path up as the resident program does, so the first press stands for
// the program's first press.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

#include "snap/engine/bitmap_file_win.h"
#include "snap/engine/dib_layout.h"
#include "snap/engine/gdi_guards_win.h"
#include "snap/engine/snapshot_dib_win.h"
#include "bench/file_capture_win.h"
#include "snap/engine/warm_up_win.h"
#include "snap/settings/snap_settings.h"
#include "snap/common/app_state_win.h"

enum { BENCH_HOTKEY_ID = 1, KEY_S = 'S', WINDOW_SIZE = 200, DIALOG_SHOWN_MS = 300 };
static const char WINDOW_NAME[] = "Hotkey Bench";
static const char DIALOG_CLASS[] = "#32770";
static const ULONGLONG FILETIME_UNIX_EPOCH = 116444736000000000ULL;

typedef void(WINAPI *PreciseTimeFn)(FILETIME *);
static PreciseTimeFn g_preciseTime;
static FILE *g_out;
static int g_presses, g_done;
static double g_shown;
static HHOOK g_hook;

static double WallMs()
{
    FILETIME ft;
    if (g_preciseTime)
        g_preciseTime(&ft);
    else
        GetSystemTimeAsFileTime(&ft);
    ULONGLONG t = ((ULONGLONG)ft.dwHighDateTime << 32) | ft.dwLowDateTime;
    return (double)(t - FILETIME_UNIX_EPOCH) / 10000.0;
}

// The dialog stays up a moment, so that whoever watches the display can
// read its name before it goes.
static HWND g_dialog;
static VOID CALLBACK CancelDialog(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(NULL, id);
    PostMessageA(g_dialog, WM_COMMAND, IDCANCEL, 0);
}

// Notes when the Save dialog becomes visible and cancels it shortly after.
static LRESULT CALLBACK ShownHook(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT *m = reinterpret_cast<const CWPRETSTRUCT *>(lParam);
    if (code == HC_ACTION && m->message == WM_SHOWWINDOW && m->wParam && g_shown == 0 &&
        !GetParent(m->hwnd)) {
        char cls[16];
        if (GetClassNameA(m->hwnd, cls, sizeof cls) && lstrcmpA(cls, DIALOG_CLASS) == 0) {
            g_shown = WallMs();
            g_dialog = m->hwnd;
            SetTimer(NULL, 0, DIALOG_SHOWN_MS, CancelDialog);
        }
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

static void OnPress()
{
    const double arrived = WallMs();
    const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    double frozen, converted;
    {
        DcGuard display(CreateDCA("DISPLAY", NULL, NULL, NULL));
        DibLayout layout;
        if (!ComputeDibLayout(screen.right, screen.bottom, 24, &layout))
            return;
        DcGuard memory(CreateCompatibleDC(display));
        GdiObjectGuard captured(CreateFileCapture(display, layout));
        SelectGuard selected(memory, captured.object);
        CaptureScreenRect(display, memory, &screen, NULL);
        GdiFlush();
        frozen = WallMs();
        SnapshotDib dib;
        if (FillFileDib(display, memory, layout, &captured, &selected, &dib) != Ok)
            return;
        converted = WallMs();
        g_shown = 0;
        g_hook = SetWindowsHookExA(WH_CALLWNDPROCRET, ShownHook, NULL, GetCurrentThreadId());
        char path[SNAPSHOT_PATH_SIZE];
        ChooseSnapshotFile(path);
        UnhookWindowsHookEx(g_hook);
        FreeSnapshotDib(&dib);
    }
    fprintf(g_out, "press %d arrived %.3f frozen %.3f converted %.3f shown %.3f\n", g_done + 1, arrived, frozen,
            converted, g_shown);
    fflush(g_out);
}

static LRESULT CALLBACK BenchWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_HOTKEY && wParam == BENCH_HOTKEY_ID) {
        OnPress();
        if (++g_done >= g_presses)
            PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    if (__argc < 3 || !(g_out = fopen(__argv[1], "w")))
        return 2;
    g_presses = atoi(__argv[2]);
    g_hInstance = instance;
    g_preciseTime = reinterpret_cast<PreciseTimeFn>(reinterpret_cast<void (*)(void)>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
    lstrcpynA(SnapSettings.snapshotDir, "C:\\", sizeof SnapSettings.snapshotDir);
    WarmUpSnapshotPath();

    WNDCLASSA wc = {};
    wc.lpfnWndProc = BenchWndProc;
    wc.hInstance = instance;
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszClassName = WINDOW_NAME;
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, WINDOW_NAME, WINDOW_NAME, WS_POPUP | WS_VISIBLE, 0, 0, WINDOW_SIZE,
                                WINDOW_SIZE, NULL, NULL, instance, NULL);
    if (!hwnd || !RegisterHotKey(hwnd, BENCH_HOTKEY_ID, MOD_CONTROL | MOD_SHIFT, KEY_S))
        return 1;
    fprintf(g_out, "ready\n");
    fflush(g_out);
    MSG m;
    while (GetMessageA(&m, NULL, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    UnregisterHotKey(hwnd, BENCH_HOTKEY_ID);
    fclose(g_out);
    return 0;
}
