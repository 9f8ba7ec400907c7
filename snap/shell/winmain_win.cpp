// Entry point of tamblit95.exe: one copy only, a hidden main window that owns
// the tray icon and the hot key, and the message loop.
#include <windows.h>

#include <commctrl.h>

#include "snap/common/dll_search_win.h"

#include "snap/common/app_state_win.h"
#include "snap/common/program_names.h"
#include "snap/shell/main_window_bounds_win.h"
#include "snap/shell/main_window_win.h"
#include "snap/common/message_box_win.h"

static const char *const MAIN_CLASS = PROGRAM_WINDOW_CLASS;
static const char MAIN_CAPTION[] = "Tamblit 95";

static void RegisterMainClass(HINSTANCE instance)
{
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "MainIcon");
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(LTGRAY_BRUSH);
    wc.lpszClassName = MAIN_CLASS;
    RegisterClassA(&wc);
}

static HWND CreateMainWindow(HINSTANCE instance)
{
    DesktopLayout desktop;
    ReadDesktopLayout(&desktop);
    RECT rect;
    int scale;
    MainWindowBounds(desktop, &rect, &scale);

    // Hidden: no WS_VISIBLE, and nothing here ever shows it. WM_CREATE runs
    // the start-up (tray icon, settings, sign-on, hot key) inside this call.
    return CreateWindowExA(0, MAIN_CLASS, MAIN_CAPTION, WS_CAPTION, rect.left, rect.top,
                           rect.right - rect.left, rect.bottom - rect.top, NULL, NULL, instance,
                           NULL);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // People run it from the folder they unpacked it into.
    KeepDllSearchToSystem();
    if (FindWindowA(MAIN_CLASS, NULL)) {
        ShowErrorBox("Tamblit 95 is already loaded.");
        return 0;
    }

    // The sign-on and Setup dialogs hold hot key controls, whose class the
    // common controls library registers.
    InitCommonControlsFromSystem();

    g_hInstance = instance;
    RegisterMainClass(instance);
    g_hwndMain = CreateMainWindow(instance);
    MSG msg;
    if (!g_hwndMain) {
        // Exit pressed in a sign-on box opened from the tray during the
        // start-up destroys the window before creation returns and leaves the
        // quit message behind. Without it, the window could not be made at
        // all: nothing would ever end the loop, so the program ends here.
        return PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE) ? 0 : 1;
    }

    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
