#include "setup/setup_ui_win.h"

#include <stdarg.h>
#include <stdio.h>

#include "setup/setup_res.h"
#include "snap/common/center_window_win.h"

HINSTANCE g_hInstance = NULL;
HWND g_hwndSetup = NULL;
DWORD g_ddeInstance = 0;
bool g_silent = false;

static const size_t MESSAGE_SIZE = 1000;

static void SetStatusLine(const char *text)
{
    if (g_hwndSetup)
        SetDlgItemTextA(g_hwndSetup, IDC_STATUS_TEXT, text);
}

static HHOOK g_boxHook = NULL;
static bool g_boxOnTop = false;

// The message box is the first window activated after the hook is set: it
// moves over its owner, the dialog, instead of the middle of the screen, and
// is put above every other window when asked to be (Wine ignores MB_TOPMOST).
static LRESULT CALLBACK PlaceBoxHook(int code, WPARAM wParam, LPARAM lParam)
{
    HHOOK hook = g_boxHook;
    if (code == HCBT_ACTIVATE && hook) {
        g_boxHook = NULL;
        UnhookWindowsHookEx(hook);
        HWND box = reinterpret_cast<HWND>(wParam);
        if (GetWindow(box, GW_OWNER))
            CenterWindowOnOwner(box);
        if (g_boxOnTop)
            SetWindowPos(box, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        return 0;
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

int SetupMessageBox(const char *text, const char *caption, UINT type)
{
    if (g_silent)
        return (type & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
    HWND owner = g_hwndSetup;
    g_boxOnTop = (type & MB_TOPMOST) != 0;
    if ((owner || g_boxOnTop) && !g_boxHook)
        g_boxHook = SetWindowsHookExA(WH_CBT, PlaceBoxHook, NULL, GetCurrentThreadId());
    int answer = MessageBoxA(owner, text, caption, type);
    if (g_boxHook) {
        UnhookWindowsHookEx(g_boxHook);
        g_boxHook = NULL;
    }
    return answer;
}

static void ShowErrorText(const char *text)
{
    SetupMessageBox(text, "Error", MB_OK | MB_ICONEXCLAMATION);
}

// Formats into a zero-filled heap buffer of MESSAGE_SIZE bytes and hands the
// text to show; a message that cannot get its buffer is not shown.
static int ShowFormatted(void (*show)(const char *), const char *format, va_list args)
{
    char *text = static_cast<char *>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, MESSAGE_SIZE));
    if (!text)
        return 0;
    vsnprintf(text, MESSAGE_SIZE, format, args);
    show(text);
    HeapFree(GetProcessHeap(), 0, text);
    return 0;
}

int ShowStatus(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    int result = ShowFormatted(SetStatusLine, format, args);
    va_end(args);
    return result;
}

int ShowError(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    int result = ShowFormatted(ShowErrorText, format, args);
    va_end(args);
    return result;
}
