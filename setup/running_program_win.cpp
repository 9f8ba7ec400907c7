#include "setup/running_program_win.h"

#include <windows.h>

#include "setup/setup_ui_win.h"
#include "snap/common/program_names.h"

// Long enough for a copy to close its help and tray icon, and for Wine to
// take its hidden windows down.
static const DWORD END_WAIT_MS = 8000;
static const DWORD END_POLL_MS = 100;
static const int MAX_COPIES = 16;

namespace {

struct RunningCopies {
    HANDLE process[MAX_COPIES];
    int count;
    UINT request;
};

}  // namespace

static bool IsProgramWindow(HWND window)
{
    char name[sizeof PROGRAM_WINDOW_CLASS + 1];
    return GetClassNameA(window, name, sizeof name) > 0 && lstrcmpiA(name, PROGRAM_WINDOW_CLASS) == 0;
}

static BOOL CALLBACK AskToEnd(HWND window, LPARAM param)
{
    if (!IsProgramWindow(window))
        return TRUE;
    RunningCopies *copies = reinterpret_cast<RunningCopies *>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (copies->count < MAX_COPIES && pid != 0) {
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
        if (process)
            copies->process[copies->count++] = process;
    }
    PostMessageA(window, copies->request, 0, 0);
    return TRUE;
}

static BOOL CALLBACK FindProgramWindow(HWND window, LPARAM found)
{
    if (!IsProgramWindow(window))
        return TRUE;
    *reinterpret_cast<bool *>(found) = true;
    return FALSE;
}

static bool AnyProgramWindow()
{
    bool found = false;
    EnumWindows(FindProgramWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Gone: no window of the class, and every process that had one has ended
// (its files are free only then).
static bool AllEnded(const RunningCopies &copies)
{
    if (AnyProgramWindow())
        return false;
    for (int i = 0; i < copies.count; ++i)
        if (WaitForSingleObject(copies.process[i], 0) == WAIT_TIMEOUT)
            return false;
    return true;
}

// Keeps the dialog painted while it waits; its commands are held off by the
// installation that runs.
static void PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool EndRunningProgram()
{
    RunningCopies copies;
    copies.count = 0;
    copies.request = RegisterWindowMessageA(END_REQUEST_MESSAGE);
    if (!AnyProgramWindow())
        return true;
    ShowStatus("Ending Tamblit 95...");
    EnumWindows(AskToEnd, reinterpret_cast<LPARAM>(&copies));
    DWORD start = GetTickCount();
    bool ended = AllEnded(copies);
    while (!ended && GetTickCount() - start < END_WAIT_MS) {
        Sleep(END_POLL_MS);
        PumpMessages();
        ended = AllEnded(copies);
    }
    for (int i = 0; i < copies.count; ++i)
        CloseHandle(copies.process[i]);
    if (!ended)
        ShowError("Tamblit 95 is still running. End Tamblit 95 (Exit in its sign-on box), then run "
                  "Setup again.");
    return ended;
}
