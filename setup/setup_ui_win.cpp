#include "setup/setup_ui_win.h"

#include <stdarg.h>
#include <stdio.h>

#include "setup/setup_res.h"

HINSTANCE g_hInstance = NULL;
HWND g_hwndSetup = NULL;
DWORD g_ddeInstance = 0;

static const size_t MESSAGE_SIZE = 1000;

// Formats into a zero-filled heap buffer of MESSAGE_SIZE bytes; NULL when it
// cannot be had. Free with HeapFree.
static char *FormatMessageText(const char *format, va_list args)
{
    char *text = static_cast<char *>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, MESSAGE_SIZE));
    if (text)
        vsnprintf(text, MESSAGE_SIZE, format, args);
    return text;
}

int ShowStatus(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    char *text = FormatMessageText(format, args);
    va_end(args);
    if (!text)
        return 0;
    if (g_hwndSetup)
        SetDlgItemTextA(g_hwndSetup, IDC_STATUS_TEXT, text);
    HeapFree(GetProcessHeap(), 0, text);
    return 0;
}

int ShowError(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    char *text = FormatMessageText(format, args);
    va_end(args);
    if (!text)
        return 0;
    MessageBoxA(NULL, text, "Error", MB_OK | MB_ICONEXCLAMATION);
    HeapFree(GetProcessHeap(), 0, text);
    return 0;
}
