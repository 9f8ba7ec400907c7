#include "setup/install_win.h"

#include <windows.h>

#include <direct.h>
#include <stdio.h>
#include <string.h>

#include "setup/install_text.h"
#include "snap/common/ansi_text_win.h"
#include "snap/common/registry_win.h"
#include "snap/common/program_path.h"
#include "setup/progman_win.h"
#include "setup/setup_ui_win.h"

const char ITEM_NAME[] = "Tamblit 95";
const char GROUP_MEMORY_KEY[] = "SOFTWARE\\Tamblit\\CurrentVersion\\Uninstall\\Program Group";
const char GROUP_MEMORY_VALUE[] = "Tamblit95";
const char UNINSTALL_ENTRY_KEY[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tamblit95";

static const char UNINSTALL_KEY[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
static const char UNINSTALL_SUBKEY[] = "Tamblit95";
static const char PROGRAM_FILE[] = "tamblit95.exe";

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

static bool IsDirectory(const char *path)
{
    return _chdir(path) == 0;
}

// 0 when the directory exists or was made after one question, -1 otherwise.
static int CreateInstallDirectory(const char *path)
{
    // Changing into it is the test of existence; the installer then works there.
    if (IsDirectory(path))
        return 0;
    char question[SETUP_PATH_SIZE + 64];
    snprintf(question, sizeof question, "The directory %s does not exist.  Do you want to create it?",
             path);
    if (SetupMessageBox(question, "Create Directory", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return -1;

    size_t length = strlen(path);
    size_t start = 0;
    const char *colon = strchr(path, ':');
    if (colon)
        start = static_cast<size_t>(colon - path) + 1;
    if (path[start] == '\\')
        ++start;

    // Each level in turn: up to every backslash, then the whole path. The
    // root of the drive is never tested or made.
    char level[SETUP_PATH_SIZE];
    for (size_t i = start; i <= length; ++i) {
        if (i < length && path[i] != '\\')
            continue;
        if (i == start || i >= sizeof level)
            continue;
        memcpy(level, path, i);
        level[i] = '\0';
        if (!IsDirectory(level) && _mkdir(level) != 0) {
            ShowError("Cannot create directory %s", level);
            return -1;
        }
        if (i + 1 == length)
            break;  // a trailing backslash ends the walk
    }
    return 0;
}

typedef DWORD(WINAPI *PathFormFn)(LPCSTR, LPSTR, DWORD);

// Looked up at run time: Windows 95 has no GetLongPathNameA.
static PathFormFn FindPathForm(HMODULE kernel, const char *name)
{
    // Through the generic function type, which casts to any other silently.
    return reinterpret_cast<PathFormFn>(reinterpret_cast<void (*)()>(GetProcAddress(kernel, name)));
}

// The form in which two spellings of one existing file compare equal: the
// full path, with long names (Windows 98 and NT 5 on), or else with short
// names (Windows 95 and NT 4); a file that does not exist keeps its full path.
static bool ComparablePath(const char *path, char *out)
{
    char full[SETUP_PATH_SIZE];
    char *filePart;
    DWORD length = GetFullPathNameA(path, sizeof full, full, &filePart);
    if (length == 0 || length >= sizeof full)
        return false;
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    PathFormFn form = FindPathForm(kernel, "GetLongPathNameA");
    if (!form)
        form = FindPathForm(kernel, "GetShortPathNameA");
    length = form ? form(full, out, SETUP_PATH_SIZE) : 0;
    if (length == 0 || length >= SETUP_PATH_SIZE)
        lstrcpynA(out, full, SETUP_PATH_SIZE);
    return true;
}

// The volume and index that tell a file apart from every other one; false
// when the file cannot be opened (one that does not exist yet) or its file
// system gives no index.
static bool ReadFileIdentity(const char *path, BY_HANDLE_FILE_INFORMATION *info)
{
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BOOL read = GetFileInformationByHandle(file, info);
    CloseHandle(file);
    return read && (info->nFileIndexHigh || info->nFileIndexLow);
}

// Whether two paths name the same file, however each is spelt: by the file
// itself when both exist (another drive letter for the same folder, as SUBST
// makes, spells it quite differently), else by the normalised paths.
static bool IsSameFile(const char *a, const char *b)
{
    BY_HANDLE_FILE_INFORMATION first, second;
    if (ReadFileIdentity(a, &first) && ReadFileIdentity(b, &second))
        return first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
               first.nFileIndexHigh == second.nFileIndexHigh &&
               first.nFileIndexLow == second.nFileIndexLow;
    char firstPath[SETUP_PATH_SIZE], secondPath[SETUP_PATH_SIZE];
    if (!ComparablePath(a, firstPath) || !ComparablePath(b, secondPath))
        return EqualIgnoringAsciiCase(a, b);
    return EqualIgnoringAsciiCase(firstPath, secondPath);
}

// 0 when every file is in place; otherwise the low 16 bits of the failed
// copy's system error.
static int CopyInstallFiles(const char *const *table, const char *targetDir)
{
    char modulePath[SETUP_PATH_SIZE];
    DWORD length = GetModuleFileNameA(g_hInstance, modulePath, sizeof modulePath);
    if (length == 0 || length >= sizeof modulePath) {
        ShowError("Cannot find the folder that Setup was started from.");
        return ERROR_FILENAME_EXCED_RANGE;
    }
    for (; *table; ++table) {
        const char *name = *table;
        char source[SETUP_PATH_SIZE], target[SETUP_PATH_SIZE];
        if (!JoinProgramPath(source, sizeof source, modulePath, name, AnsiNextChar) ||
            !JoinDirectoryFile(target, sizeof target, targetDir, name)) {
            ShowError("Cannot copy %s to %s", name, targetDir);
            return ERROR_FILENAME_EXCED_RANGE;
        }
        // Started from the installation directory: the file is already there,
        // and a copy onto itself could destroy it.
        if (IsSameFile(source, target))
            continue;
        ShowStatus("Copying %s...", name);
        if (!CopyFileA(source, target, FALSE)) {
            DWORD error = GetLastError();
            ShowError("Cannot copy %s to %s", name, targetDir);
            int code = static_cast<int>(error & 0xFFFF);
            return code != 0 ? code : ERROR_GEN_FAILURE;
        }
    }
    return 0;
}

static void WriteUninstallEntry(const char *directory)
{
    static char noClass[] = "";
    HKEY uninstall;
    DWORD disposition;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, 0, noClass, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, NULL, &uninstall, &disposition) != ERROR_SUCCESS)
        return;
    WriteRegString(uninstall, UNINSTALL_SUBKEY, "DisplayName", ITEM_NAME);
    char command[SETUP_PATH_SIZE + 8];
    if (MakeUninstallCommand(command, sizeof command, directory))
        WriteRegString(uninstall, UNINSTALL_SUBKEY, "UninstallString", command);
    RegCloseKey(uninstall);
}

int InstallProgram(const char *group, int startUp)
{
    char directory[SETUP_PATH_SIZE];
    if (!GetInstallDirectory(directory)) {
        ShowError("Cannot find the Windows directory.");
        return -1;
    }
    int result = CreateInstallDirectory(directory);
    if (result != 0)
        return result;
    result = CopyInstallFiles(InstallFileTable, directory);
    if (result != 0)
        return result;
    result = AddProgramItem(ITEM_NAME, directory, group, PROGRAM_FILE);
    if (result != 0)
        return result;
    // A failed StartUp item fails the installation, but the rest is still
    // written so that the program can be removed.
    if (startUp == 1)
        result = AddProgramItem(ITEM_NAME, directory, STARTUP_GROUP, PROGRAM_FILE);
    WriteUninstallEntry(directory);
    WriteRegString(HKEY_LOCAL_MACHINE, GROUP_MEMORY_KEY, GROUP_MEMORY_VALUE, group);
    return result;
}
