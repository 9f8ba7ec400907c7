#include "snap/shell/end_request_win.h"

#include "snap/common/program_names.h"
#include "snap/engine/print_win.h"

// While the program is busy in one of its dialogs, the request is looked at
// again at this pace until the dialog closes.
static const UINT_PTR END_RETRY_TIMER_ID = 40;
static const UINT END_RETRY_MS = 250;

static UINT EndRequestMessage()
{
    static UINT message = 0;
    if (!message)
        message = RegisterWindowMessageA(END_REQUEST_MESSAGE);
    return message;
}

static BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM found)
{
    if (!IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<bool *>(found) = true;
    return FALSE;
}

// A dialog, a message box or the preview (the main window shown) is up, or a
// print runs: ending now would pull the window from under it.
static bool IsBusy()
{
    bool found = false;
    EnumThreadWindows(GetCurrentThreadId(), FindVisibleWindow, reinterpret_cast<LPARAM>(&found));
    return found || PrintInProgress();
}

// Ends as Exit does: destroying the main window removes the tray icon,
// closes help, frees the hot key and ends the message loop.
static void EndWhenFree(HWND hwnd)
{
    if (IsBusy()) {
        SetTimer(hwnd, END_RETRY_TIMER_ID, END_RETRY_MS, NULL);
        return;
    }
    KillTimer(hwnd, END_RETRY_TIMER_ID);
    DestroyWindow(hwnd);
}

bool HandleEndMessage(HWND hwnd, UINT message, WPARAM wParam, LRESULT *result)
{
    *result = 0;
    if (message == WM_TIMER && wParam == END_RETRY_TIMER_ID) {
        EndWhenFree(hwnd);
        return true;
    }
    if (message == WM_QUERYENDSESSION) {
        // Nothing is ever left unsaved: settings are written by Save only.
        *result = TRUE;
        return true;
    }
    if (message == WM_ENDSESSION) {
        // The session ends whatever is open; Restart Manager waits for the
        // process to go.
        if (wParam)
            DestroyWindow(hwnd);
        return true;
    }
    if (message != 0 && message == EndRequestMessage()) {
        EndWhenFree(hwnd);
        return true;
    }
    return false;
}
