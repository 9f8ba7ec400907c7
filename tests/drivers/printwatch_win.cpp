// printwatch: catches the snapshot program's printing box the moment it
// appears and holds the program still, so that a test can press Abort as a
// user would while the page is being sent.
//
//   printwatch OUTFILE GOFILE [TIMEOUT_MS]
//
// Polls every millisecond for a visible top-level dialog holding the static
// text "Printing Snapshot", suspends the thread that owns it and writes to OUTFILE
// one line: "box L T R B abort L T R B owner H step N" (screen rectangles,
// the owner window's handle, the step). Then waits for GOFILE: "step" lets
// the program run for 2 ms and holds it again (a new line is written),
// anything else resumes it for good. Exit code 0, or 1 when no box came within the time-out.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0500  // OpenThread; this is a test tool, not part of the program
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static HWND FindPrintingBox()
{
    for (HWND w = FindWindowExA(NULL, NULL, "#32770", NULL); w; w = FindWindowExA(NULL, w, "#32770", NULL)) {
        if (IsWindowVisible(w) && FindWindowExA(w, NULL, "Static", "Printing Snapshot"))
            return w;
    }
    return NULL;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (__argc < 3)
        return 2;
    const DWORD timeout = __argc > 3 ? (DWORD)atoi(__argv[3]) : 60000;
    const DWORD start = GetTickCount();
    HWND box;
    while (!(box = FindPrintingBox())) {
        if (GetTickCount() - start > timeout)
            return 1;
        Sleep(1);
    }
    HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, GetWindowThreadProcessId(box, NULL));
    if (!thread)
        return 1;
    SuspendThread(thread);
    for (int step = 1;; ++step) {
        RECT boxRect = {}, abortRect = {};
        GetWindowRect(box, &boxRect);
        GetWindowRect(GetDlgItem(box, 1), &abortRect);
        FILE *f = fopen(__argv[1], "w");
        if (f) {
            fprintf(f, "box %ld %ld %ld %ld abort %ld %ld %ld %ld owner %lu step %d\n", boxRect.left, boxRect.top,
                    boxRect.right, boxRect.bottom, abortRect.left, abortRect.top, abortRect.right, abortRect.bottom,
                    (unsigned long)(ULONG_PTR)GetWindow(box, GW_OWNER), step);
            fclose(f);
        }
        char command[16] = "";
        while (GetTickCount() - start < timeout) {
            f = fopen(__argv[2], "r");
            if (f) {
                fgets(command, sizeof command, f);
                fclose(f);
                DeleteFileA(__argv[2]);
                break;
            }
            Sleep(10);
        }
        // "step": let the program run a few milliseconds (Wine shows the box
        // on X a little after the window is visible), then hold it again.
        ResumeThread(thread);
        if (strncmp(command, "step", 4) != 0)
            break;
        Sleep(2);
        SuspendThread(thread);
    }
    CloseHandle(thread);
    return 0;
}
