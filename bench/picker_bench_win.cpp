// Times the picker on the screen with the program's own code: the desktop
// frozen alone, the picker opened (frozen, its window up and painted on the
// display), and one pointer move repainted without a button (crosshair,
// magnifier, window outline) and with a band dragged. The freeze and the
// opening are each timed after half a second at rest, the picker with its
// window built ahead, as a key finds the resident program. Each figure is read
// once the X server has the pixels: Wine keeps a window's drawing in memory
// and sends it to X when the thread looks for messages and finds none, so
// the bench looks for a message that never comes (which sends whatever is
// left), then reads a pixel of the screen itself, an X round trip answered
// only after every earlier drawing request. One line per measurement, in
// milliseconds:
//
//   freeze MS | open MS | move MS | drag MS
//
//   picker_bench.exe OUTPUT-FILE [RUNS]
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

#include "snap/common/app_state_win.h"
#include "snap/engine/freeze_win.h"
#include "snap/engine/snap_result.h"
#include "snap/engine/warm_up_win.h"
#include "snap/settings/snap_settings.h"
#include "snap/shell/screen_picker_state_win.h"
#include "snap/shell/screen_picker_win.h"

enum { DEFAULT_RUNS = 5, MOVES = 30, MOVE_STEP = 7, PICKER_SETTLE_MS = 500 };

static LARGE_INTEGER g_frequency;

static double NowMs()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart * 1000.0 / g_frequency.QuadPart;
}

enum { WM_NEVER_POSTED = WM_APP + 99 };

// Waits until the X server has drawn everything the picker drew.
static void ReadBack(POINT p)
{
    MSG msg;
    PeekMessageA(&msg, NULL, WM_NEVER_POSTED, WM_NEVER_POSTED, PM_NOREMOVE);
    HDC screen = GetDC(NULL);
    GetPixel(screen, p.x, p.y);
    ReleaseDC(NULL, screen);
}

static void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Handles messages for ms, as the resident program does between building
// the window and a key pressed later.
static void PumpFor(double ms)
{
    const double end = NowMs() + ms;
    for (double now = NowMs(); now < end; now = NowMs()) {
        MsgWaitForMultipleObjects(0, NULL, FALSE, static_cast<DWORD>(end - now) + 1, QS_ALLINPUT);
        Pump();
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    if (__argc < 2)
        return 2;
    FILE *out = fopen(__argv[1], "w");
    if (!out)
        return 2;
    const int runs = __argc > 2 ? atoi(__argv[2]) : DEFAULT_RUNS;
    QueryPerformanceFrequency(&g_frequency);
    g_hInstance = instance;
    SnapSettings.sound = 0;
    SnapSettings.picker = ScreenPicker;
    WarmUpSnapshotPath();

    for (int r = 0; r < runs; ++r) {
        RECT desktop;
        HBITMAP frozen;
        // Both timed on a display at rest, as a key finds it: the last
        // picker's window gone and the display done with it.
        PumpFor(PICKER_SETTLE_MS);
        double t0 = NowMs();
        if (FreezeDesktop(&desktop, &frozen) != Ok)
            return 1;
        fprintf(out, "freeze %.3f\n", NowMs() - t0);
        DeleteObject(frozen);

        SetCursorPos(100, 100);
        // As the resident program has it by the key: the window built ahead.
        PrepareScreenPicker();
        PumpFor(PICKER_SETTLE_MS);
        t0 = NowMs();
        OpenScreenPicker(NULL);
        if (!g_picker.window)
            return 1;
        ReadBack(g_picker.pointer);
        fprintf(out, "open %.3f\n", NowMs() - t0);
        Pump();

        // Moves on the primary monitor, first without a button, then with
        // a band from where the moves began.
        for (int dragging = 0; dragging < 2; ++dragging) {
            const POINT start = {200, 150};
            g_picker.anchor = start;
            g_picker.dragging = dragging != 0;
            for (int i = 1; i <= MOVES; ++i) {
                const POINT p = {start.x + i * MOVE_STEP, start.y + i * MOVE_STEP / 2};
                g_picker.pointer = p;
                t0 = NowMs();
                RefreshPicker();
                ReadBack(p);
                fprintf(out, "%s %.3f\n", dragging ? "drag" : "move", NowMs() - t0);
            }
        }
        g_picker.dragging = false;
        SendMessageA(g_picker.window, WM_KEYDOWN, VK_ESCAPE, 0);
        Pump();
    }
    fclose(out);
    return 0;
}
