#include "setup/uninstall_win.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "setup/install_text.h"
#include "setup/install_win.h"
#include "setup/progman_text.h"
#include "setup/progman_win.h"
#include "setup/shell_links_win.h"

static const char CAPTION[] = "Tamblit 95";
static const char SETTINGS_KEY[] = "Software\\Tamblit\\Tamblit95";
// The subkeys the snapshot program's settings store writes. Windows NT and
// Wine delete no key that still has subkeys, so they go first.
static const char *const SettingsSubkeys[] = {"Directories", "Format", "Source", "Destination",
                                              "Preferences", "PageSetup", "HotKey"};
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

static void DeleteSettingsKey()
{
    for (const char *subkey : SettingsSubkeys) {
        char path[SETUP_PATH_SIZE];
        if (JoinDirectoryFile(path, sizeof path, SETTINGS_KEY, subkey))
            RegDeleteKeyA(HKEY_CURRENT_USER, path);
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, SETTINGS_KEY);
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
    if (MessageBoxA(NULL, "Are you sure you want to remove Tamblit 95 from your machine?", CAPTION,
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
    DeleteSettingsKey();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY_KEY);
    if (haveDirectory)
        DeleteInstalledFiles(RemoveFileTable, directory);

    MessageBoxA(NULL, "Tamblit 95 is removed.", CAPTION, MB_OK | MB_ICONINFORMATION);
    return 0;
}
