#include "setup/uninstall_win.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "setup/install_text.h"
#include "setup/install_win.h"
#include "setup/progman_text.h"
#include "setup/progman_win.h"
#include "setup/running_program_win.h"
#include "setup/setup_ui_win.h"
#include "setup/shell_links_win.h"
#include "snap/settings/settings_rules.h"

static const char CAPTION[] = "Tamblit 95";
// setup.exe stays: it is the program running now.
static const char *const RemoveFileTable[] = {"tamblit95.exe", "tamblit95.wav", "tamblit95.hlp",
                                              NULL};

// Deletes the key with everything below it: Windows NT and Wine delete no
// key that still has subkeys, so they go first, whatever their names, and a
// subkey that a later version of the settings adds goes too.
static bool DeleteKeyTree(HKEY parent, const char *name)
{
    HKEY key;
    if (RegOpenKeyExA(parent, name, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        char subkey[MAX_PATH];
        // Always the first one: each deletion moves the others up.
        while (RegEnumKeyA(key, 0, subkey, sizeof subkey) == ERROR_SUCCESS)
            if (!DeleteKeyTree(key, subkey))
                break;
        RegCloseKey(key);
    }
    return RegDeleteKeyA(parent, name) == ERROR_SUCCESS;
}

// Deletes each file of the table; false at the first one that stays, whose
// path is then in `remaining` (SETUP_PATH_SIZE bytes). A file already gone
// counts as deleted.
static bool DeleteInstalledFiles(const char *const *table, const char *directory, char *remaining)
{
    for (; *table; ++table) {
        if (!JoinDirectoryFile(remaining, SETUP_PATH_SIZE, directory, *table))
            continue;
        if (!DeleteFileA(remaining) && GetFileAttributesA(remaining) != INVALID_FILE_ATTRIBUTES)
            return false;
    }
    remaining[0] = '\0';
    return true;
}

int UninstallProgram()
{
    if (SetupMessageBox("Are you sure you want to remove Tamblit 95 from your machine?", CAPTION,
                        MB_YESNO | MB_ICONQUESTION) != IDYES)
        return ERROR_INSTALL_USEREXIT;

    // A running copy holds its files: nothing is touched while it runs.
    if (!EndRunningProgram())
        return ERROR_INSTALL_FAILURE;
    // The files first: while one stays, the items and the uninstall entry
    // stay too, so that the removal can be run again once it is free.
    char directory[SETUP_PATH_SIZE], remaining[SETUP_PATH_SIZE];
    if (GetInstallDirectory(directory) &&
        !DeleteInstalledFiles(RemoveFileTable, directory, remaining)) {
        ShowError("Tamblit 95 is not removed: %s cannot be deleted. End any program that uses it, "
                  "then remove Tamblit 95 again.", remaining);
        return ERROR_INSTALL_FAILURE;
    }

    // Links made on a later Windows are deleted whatever this one is.
    DeleteRecordedLinks();
    if (!UseShellLinks()) {
        char group[REMEMBERED_GROUP_SIZE];
        if (ReadRememberedGroup(group, sizeof group))
            DeleteProgramItem(ITEM_NAME, group);
        DeleteProgramItem(ITEM_NAME, STARTUP_GROUP);
    }
    DeleteKeyTree(HKEY_CURRENT_USER, SETTINGS_KEY_NAME);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY_KEY);

    // In front of the folder windows that the shell opened for the commands.
    SetupMessageBox("Tamblit 95 is removed.", CAPTION,
                    MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND | MB_TOPMOST);
    return 0;
}
