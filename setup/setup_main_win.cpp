// Entry point of setup.exe: one copy only, removal with "/u", otherwise the
// modeless SETUP dialog and its message loop.
#include <windows.h>

#include <ddeml.h>
#include <stdio.h>

#include "setup/install_text.h"
#include "snap/common/ansi_text.h"
#include "setup/install_win.h"
#include "setup/progman_text.h"
#include "setup/progman_win.h"
#include "setup/setup_res.h"
#include "setup/setup_ui_win.h"
#include "setup/uninstall_win.h"

// Named after the program so that a second copy, from any folder, finds it.
static const char INSTANCE_MUTEX[] = "Tamblit95SetupRunning";
static const char PRESELECTED_GROUP[] = "Accessories";
static const size_t COMPLETION_SIZE = 1000;
static const char READY[] = "Select a program group and choose Install.";

// True while Install runs: the boxes and DDE conversations of the
// installation run message loops of their own, and nothing in them may start
// a second installation or destroy the dialog.
static bool g_installing = false;

static HDDEDATA CALLBACK DdeCallback(UINT type, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    // Client only: nothing is served, every yes/no question is answered yes.
    return reinterpret_cast<HDDEDATA>((type & XCLASS_BOOL) ? TRUE : 0);
}

// The chosen group into a GROUP_NAME_SIZE buffer; false, with the reason in
// the status line, when there is none Program Manager could be sent.
static bool ReadChosenGroup(HWND dialog, char *group)
{
    HWND list = GetDlgItem(dialog, IDC_GROUP_LIST);
    LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) {
        ShowStatus("Choose a program group first.");
        return false;
    }
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, index, 0);
    GroupNameCheck check = GROUP_NAME_TOO_LONG;
    if (length != LB_ERR && static_cast<size_t>(length) < GROUP_NAME_SIZE &&
        SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(group)) != LB_ERR)
        check = CheckGroupName(group);
    switch (check) {
    case GROUP_NAME_OK:
        return true;
    case GROUP_NAME_EMPTY:
        ShowStatus("Choose a program group first.");
        break;
    case GROUP_NAME_TOO_LONG:
        ShowStatus("This group name is too long. Choose another group.");
        break;
    case GROUP_NAME_HAS_QUOTE:
        ShowStatus("This group name holds a quotation mark. Choose another group.");
        break;
    }
    return false;
}

static void ShowCompletion(const char *group, int startUp)
{
    char *text = static_cast<char *>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, COMPLETION_SIZE));
    if (!text)
        return;
    snprintf(text, COMPLETION_SIZE,
             "Installation of Tamblit 95 is complete. You will find the Tamblit 95 icon in your %s "
             "group in the Programs section of your Start menu.  %s",
             group,
             startUp == 1 ? "The program will also start automatically each time Windows 95 is started.  "
                          : "");
    SetupMessageBox(text, "Tamblit 95", MB_OK | MB_ICONINFORMATION);
    HeapFree(GetProcessHeap(), 0, text);
}

static void OnInstall(HWND dialog)
{
    char group[GROUP_NAME_SIZE];
    if (!ReadChosenGroup(dialog, group))
        return;
    int startUp = IsDlgButtonChecked(dialog, IDC_STARTUP_CHECK) == BST_CHECKED ? 1 : 0;
    // One item in StartUp is enough.
    if (EqualIgnoringAsciiCase(group, STARTUP_GROUP))
        startUp = 0;
    // Disabled, the dialog takes no clicks or keys until the installation
    // ends; the boxes it owns meanwhile leave it disabled when they close.
    HWND focus = GetFocus();
    EnableWindow(dialog, FALSE);
    g_installing = true;
    int result = InstallProgram(group, startUp);
    g_installing = false;
    if (result != 0) {
        // The dialog stays, with what the installation said.
        EnableWindow(dialog, TRUE);
        SetFocus(focus && IsChild(dialog, focus) ? focus : GetDlgItem(dialog, IDC_GROUP_LIST));
        return;
    }
    ShowCompletion(group, startUp);
    DestroyWindow(dialog);
}

static INT_PTR CALLBACK SetupDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        CheckDlgButton(dialog, IDC_STARTUP_CHECK, BST_CHECKED);
        return TRUE;
    case WM_COMMAND:
        if (g_installing)
            return TRUE;
        switch (LOWORD(wParam)) {
        case IDOK:
            OnInstall(dialog);
            return TRUE;
        case IDCANCEL:
            DestroyWindow(dialog);
            return TRUE;
        case IDC_GROUP_LIST:
            // A refusal for want of a group no longer holds once one is chosen.
            if (HIWORD(wParam) == LBN_SELCHANGE)
                ShowStatus(READY);
            return FALSE;
        }
        return FALSE;
    case WM_DESTROY:
        g_hwndSetup = NULL;
        PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}

static void RunSetupDialog()
{
    g_hwndSetup = CreateDialogParamA(g_hInstance, "SETUP", NULL, SetupDlgProc, 0);
    if (!g_hwndSetup)
        return;
    EnableWindow(g_hwndSetup, FALSE);
    FillGroupList(GetDlgItem(g_hwndSetup, IDC_GROUP_LIST));
    // From the first entry, the first whose text begins with the name, any case.
    SendDlgItemMessageA(g_hwndSetup, IDC_GROUP_LIST, LB_SELECTSTRING, static_cast<WPARAM>(-1),
                        reinterpret_cast<LPARAM>(PRESELECTED_GROUP));
    EnableWindow(g_hwndSetup, TRUE);
    ShowStatus(READY);

    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        if (g_hwndSetup && IsDialogMessageA(g_hwndSetup, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    // Held until the process ends.
    CreateMutexA(NULL, FALSE, INSTANCE_MUTEX);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        ShowError("Setup is already running.");
        return 0;
    }
    g_hInstance = instance;
    g_ddeInstance = 0;
    DdeInitializeA(&g_ddeInstance, DdeCallback, APPCLASS_STANDARD | APPCMD_CLIENTONLY, 0);

    if (IsRemovalSwitch(commandLine))
        UninstallProgram();
    else
        RunSetupDialog();

    DdeUninitialize(g_ddeInstance);
    return 0;
}
