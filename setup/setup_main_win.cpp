// Entry point of setup.exe: one copy only, removal with "/u", otherwise the
// modeless SETUP dialog and its message loop, or with "/S" neither a window
// nor a message. Exit codes as deployment tools read them from installers.
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
#include "snap/common/dll_search_win.h"

// Named after the program so that a second copy, from any folder, finds it.
static const char INSTANCE_MUTEX[] = "Tamblit95SetupRunning";
static const char PRESELECTED_GROUP[] = "Accessories";
static const size_t COMPLETION_SIZE = 1000;
static const char READY[] = "Select a program group and choose Install.";

static const char USAGE[] =
    "Usage: setup [/u] [/S]\n\n"
    "(none)\tshows the installation dialog\n"
    "/u\tremoves Tamblit 95\n"
    "/S\tinstalls (or with /u removes) without any window or message";
// Without a dialog, an installation goes into this group when there is no
// PRESELECTED_GROUP.
static const char SILENT_FALLBACK_GROUP[] = "Tamblit 95";

// What the dialog ends with: cancelled until an installation is tried.
static int g_exitCode = ERROR_INSTALL_USEREXIT;

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
    // The user's No to the directory question cancels only this attempt.
    if (result != 0 && result != -1)
        g_exitCode = ERROR_INSTALL_FAILURE;
    if (result != 0) {
        // The dialog stays, with what the installation said.
        EnableWindow(dialog, TRUE);
        SetFocus(focus && IsChild(dialog, focus) ? focus : GetDlgItem(dialog, IDC_GROUP_LIST));
        return;
    }
    g_exitCode = 0;
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
    if (!g_hwndSetup) {
        g_exitCode = ERROR_INSTALL_FAILURE;
        return;
    }
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

// "/S": the preselected group when Program Manager has one, else a group of
// the program's own, and the StartUp item. The exit code.
static int InstallSilently()
{
    HWND list = CreateWindowA("LISTBOX", "", LBS_SORT, 0, 0, 0, 0, NULL, NULL, g_hInstance, NULL);
    if (!list)
        return ERROR_INSTALL_FAILURE;
    char group[GROUP_NAME_SIZE];
    lstrcpynA(group, SILENT_FALLBACK_GROUP, sizeof group);
    int result = FillGroupList(list);
    LRESULT found = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(PRESELECTED_GROUP));
    DestroyWindow(list);
    if (result != 0)
        return ERROR_INSTALL_FAILURE;
    if (found != LB_ERR)
        lstrcpynA(group, PRESELECTED_GROUP, sizeof group);
    return InstallProgram(group, 1, found == LB_ERR) == 0 ? 0 : ERROR_INSTALL_FAILURE;
}

static int RunSetup(const SetupSwitches &switches)
{
    if (switches.removal)
        return UninstallProgram();
    if (switches.silent)
        return InstallSilently();
    RunSetupDialog();
    return g_exitCode;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    // Run from a download folder with administrator rights: nothing that
    // lies beside it may be loaded as a DLL, before anything else happens.
    KeepDllSearchToSystem();
    SetupSwitches switches;
    bool known = ParseSetupSwitches(commandLine, &switches);
    g_silent = switches.silent;
    if (!known) {
        SetupMessageBox(USAGE, "Tamblit 95 Setup", MB_OK | MB_ICONINFORMATION);
        return ERROR_INVALID_COMMAND_LINE;
    }
    // Held until the process ends.
    CreateMutexA(NULL, FALSE, INSTANCE_MUTEX);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        ShowError("Setup is already running.");
        return ERROR_INSTALL_ALREADY_RUNNING;
    }
    g_hInstance = instance;
    g_ddeInstance = 0;
    DdeInitializeA(&g_ddeInstance, DdeCallback, APPCLASS_STANDARD | APPCMD_CLIENTONLY, 0);

    int exitCode = RunSetup(switches);
    DdeUninitialize(g_ddeInstance);
    return exitCode;
}
