#include "setup/uninstall_win.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "setup/install_text.h"
#include "setup/install_win.h"
#include "setup/progman_text.h"
#include "setup/progman_win.h"
#include "setup/setup_ui_win.h"
#include "setup/shell_links_win.h"
#include "snap/settings/settings_rules.h"

static const char CAPTION[] = "Tamblit 95";
// setup.exe stays: it is the program running now.
static const char *const RemoveFileTable[] = {"tamblit95.exe", "tamblit95.wav", "tamblit95.hlp",
                                              NULL};
static const DWORD REMEMBERED_GROUP_SIZE = 100;

// The group chosen at installation, or false when it cannot be read whole
// as a text: then no group is known, and no command is sent for one.
static bool ReadRememberedGroup(char *group, DWORD size)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, GROUP_MEMORY_KEY, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD length = size;
    LONG rc = RegQueryValueExA(key, GROUP_MEMORY_VALUE, NULL, &type, reinterpret_cast<BYTE *>(group),
                               &length);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS && type == REG_SZ && length > 0 && length <= size &&
           memchr(group, '\0', length) != NULL;
}

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

static void DeleteInstalledFiles(const char *const *table, const char *directory)
{
    for (; *table; ++table) {
        char path[SETUP_PATH_SIZE];
        if (JoinDirectoryFile(path, sizeof path, directory, *table))
            remove(path);
    }
}

int UninstallProgram()
{
    if (SetupMessageBox("Are you sure you want to remove Tamblit 95 from your machine?", CAPTION,
                        MB_YESNO | MB_ICONQUESTION) != IDYES)
        return 0;

    char directory[SETUP_PATH_SIZE];
    bool haveDirectory = GetInstallDirectory(directory);

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
    if (haveDirectory)
        DeleteInstalledFiles(RemoveFileTable, directory);

    // In front of the folder windows that the shell opened for the commands.
    SetupMessageBox("Tamblit 95 is removed.", CAPTION,
                    MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND | MB_TOPMOST);
    return 0;
}
