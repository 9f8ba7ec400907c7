#include "setup/install_files_win.h"

#include <windows.h>

#include <direct.h>
#include <stdio.h>
#include <string.h>

#include "setup/install_text.h"
#include "setup/same_file_win.h"
#include "setup/setup_ui_win.h"
#include "snap/common/ansi_text_win.h"
#include "snap/common/program_path.h"

static const int MAX_FILES = 8;
static const int MAX_LEVELS = 8;
// Beside the target while it is copied, and the replaced file until the end.
static const char NEW_SUFFIX[] = ".new";
static const char OLD_SUFFIX[] = ".old";

namespace {
enum PlaceStep { NOT_TOUCHED, COPIED_BESIDE, IN_PLACE };
struct PlacedFile {
    const char *name;
    char target[SETUP_PATH_SIZE];
    char beside[SETUP_PATH_SIZE];  // target.new
    char kept[SETUP_PATH_SIZE];    // target.old, the file it replaced
    PlaceStep step;
    bool replaced;
};
}  // namespace

static PlacedFile g_files[MAX_FILES];
static int g_fileCount = 0;
static char g_levels[MAX_LEVELS][SETUP_PATH_SIZE];
static int g_levelCount = 0;

static bool IsDirectory(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

static bool SourcePath(const char *name, char *out)
{
    char modulePath[SETUP_PATH_SIZE];
    DWORD length = GetModuleFileNameA(g_hInstance, modulePath, sizeof modulePath);
    return length != 0 && length < sizeof modulePath &&
           JoinProgramPath(out, SETUP_PATH_SIZE, modulePath, name, AnsiNextChar);
}

int CheckSourceFiles(const char *const *table)
{
    for (; *table; ++table) {
        char source[SETUP_PATH_SIZE];
        if (!SourcePath(*table, source)) {
            ShowError("Cannot find the folder that Setup was started from.");
            return ERROR_FILENAME_EXCED_RANGE;
        }
        DWORD attributes = GetFileAttributesA(source);
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            ShowError("Cannot find %s beside Setup. Nothing was installed.", *table);
            return ERROR_FILE_NOT_FOUND;
        }
    }
    return 0;
}

int CreateInstallDirectory(const char *path)
{
    g_levelCount = 0;
    // The installer works in its directory, as it did when it changed into it.
    if (_chdir(path) == 0)
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
    for (size_t i = start; i <= length; ++i) {
        if (i < length && path[i] != '\\')
            continue;
        if (i == start || i >= SETUP_PATH_SIZE)
            continue;
        char level[SETUP_PATH_SIZE];
        memcpy(level, path, i);
        level[i] = '\0';
        if (!IsDirectory(level)) {
            if (_mkdir(level) != 0) {
                ShowError("Cannot create directory %s", level);
                return -1;
            }
            if (g_levelCount < MAX_LEVELS)
                lstrcpynA(g_levels[g_levelCount++], level, SETUP_PATH_SIZE);
        }
        if (i + 1 == length)
            break;  // a trailing backslash ends the walk
    }
    _chdir(path);
    return 0;
}

static int CopyFailure(const char *name, const char *targetDir)
{
    DWORD error = GetLastError();
    ShowError("Cannot copy %s to %s", name, targetDir);
    int code = static_cast<int>(error & 0xFFFF);
    return code != 0 ? code : ERROR_GEN_FAILURE;
}

static bool WithSuffix(char *out, const char *path, const char *suffix)
{
    int written = snprintf(out, SETUP_PATH_SIZE, "%s%s", path, suffix);
    return written > 0 && written < static_cast<int>(SETUP_PATH_SIZE);
}

// Every file next to its target first: a copy that fails leaves every
// installed file as it was.
static int CopyBeside(const char *const *table, const char *targetDir)
{
    for (; *table; ++table) {
        const char *name = *table;
        char source[SETUP_PATH_SIZE];
        PlacedFile &file = g_files[g_fileCount];
        if (g_fileCount >= MAX_FILES || !SourcePath(name, source) ||
            !JoinDirectoryFile(file.target, sizeof file.target, targetDir, name) ||
            !WithSuffix(file.beside, file.target, NEW_SUFFIX) ||
            !WithSuffix(file.kept, file.target, OLD_SUFFIX)) {
            ShowError("Cannot copy %s to %s", name, targetDir);
            return ERROR_FILENAME_EXCED_RANGE;
        }
        // Started from the installation directory: the file is already there.
        if (IsSameFile(source, file.target))
            continue;
        file.name = name;
        file.step = NOT_TOUCHED;
        file.replaced = false;
        ++g_fileCount;
        ShowStatus("Copying %s...", name);
        if (!CopyFileA(source, file.beside, FALSE))
            return CopyFailure(name, targetDir);
        file.step = COPIED_BESIDE;
    }
    return 0;
}

int PlaceInstallFiles(const char *const *table, const char *targetDir)
{
    g_fileCount = 0;
    int result = CopyBeside(table, targetDir);
    for (int i = 0; result == 0 && i < g_fileCount; ++i) {
        PlacedFile &file = g_files[i];
        // A file left from an earlier attempt that was cut off goes first.
        DeleteFileA(file.kept);
        file.replaced = GetFileAttributesA(file.target) != INVALID_FILE_ATTRIBUTES;
        if (file.replaced && !MoveFileA(file.target, file.kept)) {
            file.replaced = false;
            result = CopyFailure(file.name, targetDir);
        } else if (!MoveFileA(file.beside, file.target)) {
            result = CopyFailure(file.name, targetDir);
        } else {
            file.step = IN_PLACE;
        }
    }
    return result;
}

void RollBackInstallFiles()
{
    for (int i = g_fileCount - 1; i >= 0; --i) {
        PlacedFile &file = g_files[i];
        if (file.step == IN_PLACE)
            DeleteFileA(file.target);
        else
            DeleteFileA(file.beside);
        if (file.replaced)
            MoveFileA(file.kept, file.target);
    }
    g_fileCount = 0;
    // A directory that is the current one cannot be removed.
    char windowsDir[SETUP_PATH_SIZE];
    UINT length = GetWindowsDirectoryA(windowsDir, sizeof windowsDir);
    if (length > 0 && length < sizeof windowsDir)
        SetCurrentDirectoryA(windowsDir);
    for (int i = g_levelCount - 1; i >= 0; --i)
        RemoveDirectoryA(g_levels[i]);
    g_levelCount = 0;
}

void KeepInstallFiles()
{
    for (int i = 0; i < g_fileCount; ++i)
        if (g_files[i].replaced)
            DeleteFileA(g_files[i].kept);
    g_fileCount = 0;
    g_levelCount = 0;
}

unsigned long long InstalledBytes(const char *const *table, const char *directory)
{
    unsigned long long total = 0;
    for (; *table; ++table) {
        char path[SETUP_PATH_SIZE];
        WIN32_FIND_DATAA found;
        HANDLE search = JoinDirectoryFile(path, sizeof path, directory, *table)
                            ? FindFirstFileA(path, &found)
                            : INVALID_HANDLE_VALUE;
        if (search == INVALID_HANDLE_VALUE)
            continue;
        total += (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        FindClose(search);
    }
    return total;
}
