// Test driver for the tray icon: a hidden window that adds the program's icon
// to the notification area with AddTrayIcon and removes it with
// RemoveTrayIcon when told, while the window still lives (Wine removes the
// icons of a destroyed window by itself, which would hide a missing NIM_DELETE).
//
//   traydriver.exe --exe PATH_OF_TAMBLIT95 --result FILE
//
// The icon resource is borrowed from tamblit95.exe, loaded as a data file.
// Commands arrive as WM_COMMAND to the top-level window "Tray Driver"
// (uiprobe command --id N): 1 removes the icon, 2 closes the driver. FILE gets
// one line per step: "added N", "removed N" (N the BOOL that came back).
//
//   traydriver.exe --shell take|restarted
//
// stands in for a shell that restarts: "take" removes the resident program's
// icon from outside (as a shell that ends loses it), "restarted" broadcasts
// "TaskbarCreated" as a new shell does. The exit code is 0 when it was done.
#include <windows.h>
#include <shellapi.h>

#include <stdio.h>
#include <string.h>

#include "snap/common/app_state_win.h"
#include "snap/shell/tray_win.h"

namespace {

const char kClassName[] = "TamblitTrayDriver";
const char kCaption[] = "Tray Driver";
enum { kCmdRemove = 1, kCmdQuit = 2 };

const char *g_resultPath = NULL;

void Append(const char *what, BOOL value)
{
    if (!g_resultPath)
        return;
    FILE *f = fopen(g_resultPath, "a");
    if (f) {
        fprintf(f, "%s %d\n", what, value ? 1 : 0);
        fclose(f);
    }
}

LRESULT CALLBACK DriverWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (wParam == kCmdRemove)
            Append("removed", RemoveTrayIcon(hwnd));
        else if (wParam == kCmdQuit)
            DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

}  // namespace

int ActAsShell(const char *what)
{
    if (strcmp(what, "restarted") == 0)
        return PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0) ? 0 : 1;
    NOTIFYICONDATAA nid;
    ZeroMemory(&nid, sizeof nid);
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = FindWindowA("tamblit95", NULL);
    nid.uID = TRAY_ICON_ID;
    return nid.hWnd && Shell_NotifyIconA(NIM_DELETE, &nid) ? 0 : 1;
}

int main(int argc, char **argv)
{
    if (argc == 3 && strcmp(argv[1], "--shell") == 0)
        return ActAsShell(argv[2]);
    const char *exe = NULL;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (strcmp(argv[i], "--exe") == 0)
            exe = argv[i + 1];
        else if (strcmp(argv[i], "--result") == 0)
            g_resultPath = argv[i + 1];
    }
    if (!exe || !g_resultPath)
        return 2;

    g_hInstance = LoadLibraryExA(exe, NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (!g_hInstance)
        return 3;

    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = DriverWndProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, kClassName, kCaption, WS_OVERLAPPED, 0, 0, 100, 100, NULL,
                                NULL, wc.hInstance, NULL);
    if (!hwnd)
        return 4;
    Append("added", AddTrayIcon(hwnd));

    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
