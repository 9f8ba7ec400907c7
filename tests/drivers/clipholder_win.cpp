// clipholder: another program that keeps the clipboard open, as a busy
// clipboard viewer would, until it is ended.
//
//   clipholder READYFILE
//
// Opens the clipboard for a window of its own (under Wine an opener without
// a window keeps nobody out), writes "1" to READYFILE, then sits in its
// message loop until the test ends it.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    if (__argc < 2)
        return 2;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.lpszClassName = "clipholder";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, "clipholder", "clipholder", WS_POPUP, 0, 0, 10, 10, NULL, NULL, instance, NULL);
    if (!hwnd || !OpenClipboard(hwnd))
        return 1;
    FILE *f = fopen(__argv[1], "w");
    if (!f)
        return 1;
    fputs("1", f);
    fclose(f);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}
