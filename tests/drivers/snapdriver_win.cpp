// Test driver for the snapshot pipeline: stands in for the resident program,
// sets the settings from its command line and takes one snapshot, so that a
// test can look at what comes out of it.
//
//   snapdriver.exe [--dir C:\snaps\] [--bpp 8|24] [--sound 0|1] [--play 0|1]
//                  [--rect left,top,right,bottom] [--dest N]
//                  [--frozen none|screen|picture|gone] [--result FILE]
//                  [--margins left,top,right,bottom] [--owner 0|1] [--resources 0|1]
//                  [--load-settings 1] [--pointer 0|1] [--pointer-at x,y]
//   snapdriver.exe --check-guards FILE
//   snapdriver.exe --program-path NAME FILE
//
// The snapshot's result code is written to the --result file once
// TakeSnapshot has returned. --frozen picture snaps from a bitmap the driver
// paints itself (blue, with red over (0,0)-(150,100) and green over
// (250,200)-(400,400)), which the live screen never shows; --frozen gone
// passes a bitmap handle already deleted. --check-guards
// checks the GDI scope guards and writes "ok" or what went wrong.
// --owner 1 passes a stand-in main window as the owner, as area snapshots
// do. --resources 1 takes the dialog templates (PRINTING) from tamblit95.exe
// in the folder above the driver's. --load-settings 1 first loads the record
// from the registry, as the program does at start, and the other options
// then override it. --pointer sets whether the pointer is drawn in;
// --pointer-at puts a white 40 x 40 window of the driver's own around x,y,
// in front, with a class cursor of its own (a black 16 x 16 square, hot spot
// at its 8,8, the rest of its 32 x 32 clear) and the pointer at x,y.
// --frozen freeze freezes the desktop as the area pickers do. --program-path writes "1 <path>" or "0" for MakeProgramFilePath(NAME).
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "snap/engine/freeze_win.h"
#include "snap/engine/gdi_guards_win.h"
#include "snap/engine/snapshot_win.h"
#include "snap/settings/settings_store_win.h"
#include "snap/settings/snap_settings.h"
#include "snap/common/app_state_win.h"
#include "snap/common/program_path_win.h"

static void WriteText(const char *path, const char *text)
{
    FILE *f = fopen(path, "w");
    if (f) {
        fputs(text, f);
        fclose(f);
    }
}

static void FillRectColor(HDC dc, int l, int t, int r, int b, COLORREF color)
{
    RECT rc = {l, t, r, b};
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
}

// The live screen, as the area preview freezes it.
static void CopyScreen(HDC mem, HDC screen, int w, int h)
{
    BitBlt(mem, 0, 0, w, h, screen, 0, 0, SRCCOPY);
}

// A picture that the live screen never shows: blue with a red and a green
// block, so that a copy taken from the live screen cannot pass for it.
static void PaintPicture(HDC mem, HDC, int w, int h)
{
    FillRectColor(mem, 0, 0, w, h, RGB(0, 0, 255));
    FillRectColor(mem, 0, 0, 150, 100, RGB(255, 0, 0));
    FillRectColor(mem, 250, 200, 400, 400, RGB(0, 255, 0));
}

// A bitmap of the screen's size and format, drawn by draw and selected into
// no DC when it is returned, as TakeSnapshot needs a frozen screen to be.
static HBITMAP MakeScreenBitmap(void (*draw)(HDC mem, HDC screen, int w, int h))
{
    HDC screen = GetDC(NULL);
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    draw(mem, screen, w, h);
    SelectObject(mem, old);
    DeleteDC(mem);
    ReleaseDC(NULL, screen);
    return bmp;
}

// The guards must leave a DC as they found it and free what they own.
static const char *CheckGuards()
{
    HDC screen = GetDC(NULL);
    HDC mem = CreateCompatibleDC(screen);
    HGDIOBJ original = GetCurrentObject(mem, OBJ_BITMAP);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 8, 8);
    const char *failure = NULL;
    {
        GdiObjectGuard owned(bmp);
        {
            SelectGuard selected(mem, bmp);
            if (GetCurrentObject(mem, OBJ_BITMAP) != bmp)
                failure = "the guard did not select the bitmap";
        }
        if (!failure && GetCurrentObject(mem, OBJ_BITMAP) != original)
            failure = "the DC's previous bitmap was not selected back";
    }
    if (!failure && GetObjectType(bmp) != 0)
        failure = "the bitmap guard did not delete the bitmap";
    {
        SelectGuard nothing(mem, NULL);
        if (GetCurrentObject(mem, OBJ_BITMAP) != original)
            failure = "selecting nothing changed the DC";
    }
    DeleteDC(mem);

    HDC dc = CreateCompatibleDC(screen);
    { DcGuard guard(dc); }
    if (!failure && GetObjectType(dc) != 0)
        failure = "the DC guard did not delete the DC";
    ReleaseDC(NULL, screen);
    return failure ? failure : "ok";
}

static HWND CreateStandInOwner(HINSTANCE instance)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.lpszClassName = "snapdriver";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "snapdriver", "snapdriver", WS_POPUP, 0, 0, 10, 10, NULL, NULL, instance, NULL);
}

enum { CURSOR_SIZE = 32, CURSOR_SQUARE = 16, CURSOR_HOT = 8, POINTER_WINDOW = 40, SETTLE_MS = 300,
       POINTER_WAIT_MS = 5000 };

// AND mask 0 with XOR 0 is black; AND 1 with XOR 0 leaves the screen.
static HCURSOR BlackSquareCursor(HINSTANCE instance)
{
    BYTE andMask[CURSOR_SIZE * CURSOR_SIZE / 8], xorMask[CURSOR_SIZE * CURSOR_SIZE / 8];
    memset(andMask, 0xFF, sizeof andMask);
    memset(xorMask, 0, sizeof xorMask);
    for (int y = 0; y < CURSOR_SQUARE; ++y)
        andMask[y * CURSOR_SIZE / 8] = andMask[y * CURSOR_SIZE / 8 + 1] = 0;
    return CreateCursor(instance, CURSOR_HOT, CURSOR_HOT, CURSOR_SIZE, CURSOR_SIZE, andMask, xorMask);
}

static void PutPointer(HINSTANCE instance, int x, int y)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.hCursor = BlackSquareCursor(instance);
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszClassName = "snapdriver-pointer";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "Pointer Window", WS_POPUP | WS_VISIBLE,
                                x - POINTER_WINDOW / 2, y - POINTER_WINDOW / 2, POINTER_WINDOW,
                                POINTER_WINDOW, NULL, NULL, instance, NULL);
    UpdateWindow(hwnd);
    SetForegroundWindow(hwnd);
    SetCursor(wc.hCursor);
    // Until the window has been painted and the pointer is there: the move
    // reaches the system's idea of the pointer a little later.
    DWORD settled = GetTickCount() + SETTLE_MS, until = GetTickCount() + POINTER_WAIT_MS;
    MSG m;
    POINT at = {-1, -1};
    while ((int)(until - GetTickCount()) > 0 && ((int)(settled - GetTickCount()) > 0 || at.x != x || at.y != y)) {
        if (at.x != x || at.y != y)
            SetCursorPos(x, y);
        while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&m);
        Sleep(10);
        GetCursorPos(&at);
    }
}

static HINSTANCE LoadProgramResources()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, sizeof path);
    char *slash = n && n < sizeof path ? strrchr(path, '\\') : NULL;
    if (slash)
        *slash = '\0';
    slash = slash ? strrchr(path, '\\') : NULL;
    if (!slash)
        return NULL;
    lstrcpynA(slash + 1, "tamblit95.exe", (int)(sizeof path - (slash + 1 - path)));
    return LoadLibraryExA(path, NULL, LOAD_LIBRARY_AS_DATAFILE);
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    g_hInstance = hInstance;
    SnapSettings.bitsPerPixel = 24;
    SnapSettings.destination = File;
    SnapSettings.sound = 0;
    lstrcpynA(SnapSettings.snapshotDir, "C:\\", sizeof SnapSettings.snapshotDir);

    RECT rect = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const char *frozen = "none";
    const char *resultFile = NULL;
    BOOL play = FALSE;
    HWND owner = NULL;

    for (int i = 1; i + 1 < __argc; i += 2) {
        if (!strcmp(__argv[i], "--load-settings") && atoi(__argv[i + 1]))
            LoadSettings(NULL);
    }
    for (int i = 1; i + 1 < __argc; i += 2) {
        const char *opt = __argv[i], *val = __argv[i + 1];
        if (!strcmp(opt, "--dir")) {
            lstrcpynA(SnapSettings.snapshotDir, val, sizeof SnapSettings.snapshotDir);
        } else if (!strcmp(opt, "--bpp")) {
            SnapSettings.bitsPerPixel = atoi(val);
        } else if (!strcmp(opt, "--sound")) {
            SnapSettings.sound = atoi(val);
        } else if (!strcmp(opt, "--play")) {
            play = atoi(val) != 0;
        } else if (!strcmp(opt, "--rect")) {
            sscanf(val, "%ld,%ld,%ld,%ld", &rect.left, &rect.top, &rect.right, &rect.bottom);
        } else if (!strcmp(opt, "--dest")) {
            SnapSettings.destination = atoi(val);
        } else if (!strcmp(opt, "--frozen")) {
            frozen = val;
        } else if (!strcmp(opt, "--margins")) {
            sscanf(val, "%d,%d,%d,%d", &SnapSettings.leftMargin, &SnapSettings.topMargin,
                   &SnapSettings.rightMargin, &SnapSettings.bottomMargin);
        } else if (!strcmp(opt, "--owner")) {
            owner = atoi(val) ? CreateStandInOwner(hInstance) : NULL;
        } else if (!strcmp(opt, "--resources")) {
            HINSTANCE resources = atoi(val) ? LoadProgramResources() : NULL;
            if (resources)
                g_hInstance = resources;
        } else if (!strcmp(opt, "--pointer")) {
            SnapSettings.pointer = atoi(val);
        } else if (!strcmp(opt, "--pointer-at")) {
            int x, y;
            if (sscanf(val, "%d,%d", &x, &y) == 2)
                PutPointer(hInstance, x, y);
        } else if (!strcmp(opt, "--result")) {
            resultFile = val;
        } else if (!strcmp(opt, "--check-guards")) {
            WriteText(val, CheckGuards());
            return 0;
        } else if (!strcmp(opt, "--program-path") && i + 2 < __argc) {
            char path[PROGRAM_PATH_SIZE];
            char text[PROGRAM_PATH_SIZE + 8];
            bool made = MakeProgramFilePath(path, sizeof path, val);
            snprintf(text, sizeof text, "%d %s", made ? 1 : 0, path);
            WriteText(__argv[i + 2], text);
            return 0;
        }
    }

    HBITMAP frozenScreen = NULL;
    if (!strcmp(frozen, "screen"))
        frozenScreen = MakeScreenBitmap(CopyScreen);
    else if (!strcmp(frozen, "picture"))
        frozenScreen = MakeScreenBitmap(PaintPicture);
    RECT desktop;
    if (!strcmp(frozen, "freeze"))
        FreezeDesktop(&desktop, &frozenScreen);
    HBITMAP gone = NULL;
    if (!strcmp(frozen, "gone")) {
        // A handle that no longer names a bitmap: the copy from it fails.
        gone = MakeScreenBitmap(PaintPicture);
        DeleteObject(gone);
    }

    int result = TakeSnapshot(owner, &rect, SnapSettings.destination, frozenScreen ? frozenScreen : gone, play);

    if (frozenScreen)
        DeleteObject(frozenScreen);
    if (resultFile) {
        char text[16];
        snprintf(text, sizeof text, "%d\n", result);
        WriteText(resultFile, text);
    }
    return 0;
}
