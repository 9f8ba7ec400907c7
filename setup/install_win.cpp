#include "setup/install_win.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "setup/install_files_win.h"
#include "setup/install_text.h"
#include "snap/common/ansi_text.h"
#include "setup/progman_win.h"
#include "setup/running_program_win.h"
#include "setup/setup_ui_win.h"
#include "setup/shell_links_win.h"
#include "snap/common/registry_win.h"

const char ITEM_NAME[] = "Tamblit 95";
const char GROUP_MEMORY_KEY[] = "SOFTWARE\\Tamblit\\CurrentVersion\\Uninstall\\Program Group";
const char GROUP_MEMORY_VALUE[] = "Tamblit95";
const char UNINSTALL_ENTRY_KEY[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tamblit95";

static const char UNINSTALL_KEY[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
static const char UNINSTALL_SUBKEY[] = "Tamblit95";
static const char PROGRAM_FILE[] = "tamblit95.exe";
static const char PUBLISHER[] = "Tamblit";
// The number the version resources are made from.
static const char PROGRAM_VERSION[] = TAMBLIT_VERSION;

// What is copied, in this order; setup.exe too, since the uninstall entry
// runs it from the installation directory.
static const char *const InstallFileTable[] = {"tamblit95.exe", "tamblit95.wav", "tamblit95.hlp",
                                               "setup.exe", NULL};

bool GetInstallDirectory(char *out)
{
    char windowsDir[SETUP_PATH_SIZE];
    UINT length = GetWindowsDirectoryA(windowsDir, sizeof windowsDir);
    if (length == 0 || length >= sizeof windowsDir) {
        out[0] = '\0';
        return false;
    }
    return MakeInstallDirectory(out, SETUP_PATH_SIZE, windowsDir);
}

bool ReadRememberedGroup(char *group, DWORD size)
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

// Every value, or false as soon as one cannot be stored.
static bool WriteUninstallEntry(const char *directory)
{
    KeyGuard uninstall;
    if (!CreateRegKey(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, uninstall))
        return false;
    char command[SETUP_PATH_SIZE + 8], quiet[SETUP_PATH_SIZE + 12], icon[SETUP_PATH_SIZE],
        location[SETUP_PATH_SIZE + 1];
    if (!MakeUninstallCommand(command, sizeof command, directory) ||
        !MakeUninstallCommand(quiet, sizeof quiet, directory, true) ||
        !JoinDirectoryFile(icon, sizeof icon, directory, PROGRAM_FILE) ||
        !JoinDirectoryFile(location, sizeof location, directory, ""))
        return false;
    HKEY key = uninstall.key;
    DWORD size = SizeInKilobytes(InstalledBytes(InstallFileTable, directory));
    return WriteRegString(key, UNINSTALL_SUBKEY, "DisplayName", ITEM_NAME) &&
           WriteRegString(key, UNINSTALL_SUBKEY, "UninstallString", command) &&
           WriteRegString(key, UNINSTALL_SUBKEY, "QuietUninstallString", quiet) &&
           WriteRegString(key, UNINSTALL_SUBKEY, "DisplayIcon", icon) &&
           WriteRegString(key, UNINSTALL_SUBKEY, "DisplayVersion", PROGRAM_VERSION) &&
           WriteRegString(key, UNINSTALL_SUBKEY, "Publisher", PUBLISHER) &&
           WriteRegString(key, UNINSTALL_SUBKEY, "InstallLocation", location) &&
           WriteRegDword(key, UNINSTALL_SUBKEY, "EstimatedSize", size) &&
           WriteRegDword(key, UNINSTALL_SUBKEY, "NoModify", 1) &&
           WriteRegDword(key, UNINSTALL_SUBKEY, "NoRepair", 1);
}

static bool KeyExists(const char *name)
{
    KeyGuard key;
    return OpenRegKey(HKEY_LOCAL_MACHINE, name, key);
}

namespace {

// What an installation found and made, so that a failure can undo it.
struct Attempt {
    bool upgrade;             // an installed program was there
    bool entryExisted;
    bool hadGroup;
    bool madeGroup;           // the group was made for this installation
    char oldGroup[REMEMBERED_GROUP_SIZE];
    const char *group;
    const char *itemGroups[2];  // Program Manager groups given an item
    int itemCount;
};

}  // namespace

// Program Manager items of an earlier installation are in the same groups
// under the same name: those stay.
static bool ItemWasThere(const Attempt &attempt, const char *group)
{
    return attempt.upgrade && ((attempt.hadGroup && EqualIgnoringAsciiCase(group, attempt.oldGroup)) ||
                               EqualIgnoringAsciiCase(group, STARTUP_GROUP));
}

static void RollBack(const Attempt &attempt)
{
    if (UseShellLinks()) {
        UndoLinksMade();
    } else {
        for (int i = 0; i < attempt.itemCount; ++i)
            if (!ItemWasThere(attempt, attempt.itemGroups[i]))
                DeleteProgramItem(ITEM_NAME, attempt.itemGroups[i]);
    }
    if (attempt.madeGroup)
        DeleteProgramGroup(attempt.group);
    if (!attempt.entryExisted)
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY_KEY);
    if (attempt.hadGroup) {
        WriteRegString(HKEY_LOCAL_MACHINE, GROUP_MEMORY_KEY, GROUP_MEMORY_VALUE, attempt.oldGroup);
    } else {
        KeyGuard memory;
        if (OpenRegKey(HKEY_LOCAL_MACHINE, GROUP_MEMORY_KEY, memory))
            RegDeleteValueA(memory.key, GROUP_MEMORY_VALUE);
    }
    RollBackInstallFiles();
}

static int AddItem(Attempt *attempt, const char *directory, const char *group)
{
    int result = AddProgramItem(ITEM_NAME, directory, group, PROGRAM_FILE);
    if (result == 0)
        attempt->itemGroups[attempt->itemCount++] = group;
    return result;
}

// Everything but the files: the items, the entry, the remembered group.
static int RegisterInstallation(Attempt *attempt, const char *directory, const char *group,
                                int startUp)
{
    int result = AddItem(attempt, directory, group);
    if (result == 0 && startUp == 1)
        result = AddItem(attempt, directory, STARTUP_GROUP);
    if (result != 0)
        return result;
    if (!WriteUninstallEntry(directory) ||
        !WriteRegString(HKEY_LOCAL_MACHINE, GROUP_MEMORY_KEY, GROUP_MEMORY_VALUE, group)) {
        ShowError("Cannot write the uninstall entry of Tamblit 95.");
        return ERROR_CANTWRITE;
    }
    return 0;
}

// The installation is complete: what it replaced goes, and so does an
// earlier installation's item that is no longer wanted.
static void KeepInstallation(const Attempt &attempt, const char *group, int startUp)
{
    KeepInstallFiles();
    if (UseShellLinks()) {
        KeepLinksMade();
        return;
    }
    if (attempt.hadGroup && !EqualIgnoringAsciiCase(attempt.oldGroup, group))
        DeleteProgramItem(ITEM_NAME, attempt.oldGroup);
    if (attempt.upgrade && startUp != 1 && !EqualIgnoringAsciiCase(group, STARTUP_GROUP))
        DeleteProgramItem(ITEM_NAME, STARTUP_GROUP);
}

int InstallProgram(const char *group, int startUp, bool makeGroup)
{
    char directory[SETUP_PATH_SIZE], installed[SETUP_PATH_SIZE];
    if (!GetInstallDirectory(directory) ||
        !JoinDirectoryFile(installed, sizeof installed, directory, PROGRAM_FILE)) {
        ShowError("Cannot find the Windows directory.");
        return ERROR_PATH_NOT_FOUND;
    }
    int result = CheckSourceFiles(InstallFileTable);
    if (result != 0)
        return result;
    Attempt attempt;
    ZeroMemory(&attempt, sizeof attempt);
    attempt.upgrade = GetFileAttributesA(installed) != INVALID_FILE_ATTRIBUTES;
    // A running copy holds its files: it ends before they are replaced.
    if (attempt.upgrade && !EndRunningProgram())
        return ERROR_SHARING_VIOLATION;
    attempt.entryExisted = KeyExists(UNINSTALL_ENTRY_KEY);
    attempt.hadGroup = ReadRememberedGroup(attempt.oldGroup, sizeof attempt.oldGroup);
    attempt.group = group;

    if (makeGroup) {
        result = CreateProgramGroup(group);
        if (result != 0)
            return result;
        attempt.madeGroup = true;
    }
    result = CreateInstallDirectory(directory);
    if (result == 0)
        result = PlaceInstallFiles(InstallFileTable, directory);
    if (result == 0)
        result = RegisterInstallation(&attempt, directory, group, startUp);
    if (result != 0) {
        RollBack(attempt);
        return result;
    }
    KeepInstallation(attempt, group, startUp);
    return 0;
}
