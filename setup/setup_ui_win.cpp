#include "setup/setup_ui_win.h"

#include <stdarg.h>
#include <stdio.h>

#include "setup/setup_res.h"

HINSTANCE g_hInstance = NULL;
HWND g_hwndSetup = NULL;
DWORD g_ddeInstance = 0;

static const size_t MESSAGE_SIZE = 1000;

static void SetStatusLine(const char *text)
{
    if (g_hwndSetup)
        SetDlgItemTextA(g_hwndSetup, IDC_STATUS_TEXT, text);
}

static void ShowErrorText(const char *text)
{
    MessageBoxA(NULL, text, "Error", MB_OK | MB_ICONEXCLAMATION);
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
