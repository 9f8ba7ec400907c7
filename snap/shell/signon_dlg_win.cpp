#include "snap/shell/signon_dlg_win.h"

#include <commctrl.h>

#include "snap/res/resource.h"
#include "snap/shell/setup_dlg_win.h"
#include "snap/settings/snap_settings.h"
#include "snap/common/app_state_win.h"
#include "snap/common/center_window_win.h"
#include "snap/common/program_path_win.h"
#include "snap/shell/hotkey_keys.h"

enum {
    SIGNON_TIMER_ID = 1,
    SIGNON_STARTUP_MS = 3000
};

// The buttons of the full form, hidden in the start-up form.
static const int SIGNON_BUTTONS[] = {IDOK, IDC_SIGNON_SETUP, IDC_SIGNON_HELP, IDC_SIGNON_EXIT};

static const char *DestinationLine()
{
    switch (SnapSettings.destination) {
    case File:
        return SnapSettings.snapshotDir;
    case Printer:
        return "Printer";
    case Clipboard:
        return "Clipboard";
    default:
        return "";
    }
}

static void ShowButtons(HWND dlg, int show)
{
    for (int id : SIGNON_BUTTONS)
        ShowWindow(GetDlgItem(dlg, id), show);
}

struct MoveBelow {
    HWND line;
    int top;
    int by;
};

static BOOL CALLBACK MoveIfBelow(HWND child, LPARAM lParam)
{
    const MoveBelow *move = reinterpret_cast<const MoveBelow *>(lParam);
    RECT r;
    if (child == move->line || GetParent(child) != GetParent(move->line) || !GetWindowRect(child, &r))
        return TRUE;
    POINT at = {r.left, r.top};
    ScreenToClient(GetParent(child), &at);
    if (at.y >= move->top)
        SetWindowPos(child, NULL, at.x, at.y + move->by, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

// The keys of the kinds, one line below the hot key when any is set. The
// line makes room for itself, and gives it back when no key is left.
static void ShowKindKeys(HWND dlg)
{
    char keys[200];
    ListKindKeys(SnapSettings.kindKeys, keys, sizeof keys);
    HWND line = GetDlgItem(dlg, IDC_SIGNON_KIND_KEYS);
    SetWindowTextA(line, keys);
    const bool show = keys[0] != '\0';
    // Its own style: the box itself is not on screen yet when it opens.
    if (show == ((GetWindowLongA(line, GWL_STYLE) & WS_VISIBLE) != 0))
        return;
    RECT r;
    GetWindowRect(line, &r);
    POINT at = {r.left, r.top};
    ScreenToClient(dlg, &at);
    const int height = r.bottom - r.top;
    MoveBelow move = {line, show ? at.y : at.y + height, show ? height : -height};
    EnumChildWindows(dlg, MoveIfBelow, reinterpret_cast<LPARAM>(&move));
    RECT box;
    GetWindowRect(dlg, &box);
    SetWindowPos(dlg, NULL, 0, 0, box.right - box.left, box.bottom - box.top + move.by,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(line, show ? SW_SHOWNA : SW_HIDE);
}

static BOOL OnInitDialog(HWND dlg, BOOL startupForm)
{
    g_hwndOpenDialog = dlg;
    // Sized before it is centred.
    ShowKindKeys(dlg);
    CenterWindow(dlg);
    SetDlgItemTextA(dlg, IDC_SIGNON_DESTINATION, DestinationLine());
    if (startupForm) {
        ShowButtons(dlg, SW_HIDE);
        SetTimer(dlg, SIGNON_TIMER_ID, SIGNON_STARTUP_MS, NULL);
    }
    SendDlgItemMessageA(dlg, IDC_SIGNON_HOTKEY, HKM_SETHOTKEY, SnapSettings.hotKeyCode, 0);
    if (startupForm)
        return TRUE;  // no button to focus: Enter means OK all the same
    // Setup comes first in the Tab order, but Enter is to close the box, as
    // it does in the start-up form: the focus starts on OK.
    SetFocus(GetDlgItem(dlg, IDOK));
    return FALSE;
}

static void OpenHelp(HWND dlg)
{
    char path[PROGRAM_PATH_SIZE];
    // A program directory too long for the path is not worth a help window
    // on some other file.
    if (MakeProgramFilePath(path, sizeof path, HELP_FILE))
        WinHelpA(dlg, path, HELP_CONTENTS, 0);
}

static BOOL OnCommand(HWND dlg, WPARAM command)
{
    switch (command) {
    case IDC_SIGNON_SETUP:
        // After OK or Save the box shows the new choices, centred again
        // (a Setup dialog that could not open changed nothing).
        if (RunSetupDialog(dlg) > 0)
            SendMessageA(dlg, WM_INITDIALOG, 0, 0);
        return TRUE;
    case IDC_SIGNON_EXIT:
        DestroyWindow(g_hwndMain);
        EndDialog(dlg, TRUE);
        return TRUE;
    case IDOK:
    case IDCANCEL:
        EndDialog(dlg, TRUE);
        return TRUE;
    case IDC_SIGNON_HELP:
        OpenHelp(dlg);
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CALLBACK SignOnDlgProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dlg, lParam != 0);
    case WM_COMMAND:
        return OnCommand(dlg, wParam);
    case WM_TIMER:
        KillTimer(dlg, SIGNON_TIMER_ID);
        EndDialog(dlg, FALSE);
        return TRUE;
    default:
        return FALSE;
    }
}

void ShowSignOnDialog(HWND owner, BOOL startupForm)
{
    // A box dismissed while a dialog nested in its loop (a snapshot's Save
    // dialog) still runs is hidden, but its loop only ends after that one:
    // bringing it forward would show nothing, so a new box opens.
    if (g_hwndOpenDialog && IsWindowVisible(g_hwndOpenDialog)) {
        // One of each: a box already up (or the Setup or Page Setup dialog
        // in front of it) comes forward. A start-up box asked for from the
        // tray stays up with its buttons, as a box opened there would.
        HWND signOn = g_hwndOpenDialog;
        while (GetWindow(signOn, GW_OWNER))
            signOn = GetWindow(signOn, GW_OWNER);
        if (!startupForm && KillTimer(signOn, SIGNON_TIMER_ID))
            ShowButtons(signOn, SW_SHOW);
        SetForegroundWindow(g_hwndOpenDialog);
        return;
    }
    DialogBoxParamA(g_hInstance, "SIGNONMESSAGE", owner, SignOnDlgProc, startupForm);
    g_hwndOpenDialog = NULL;
}
