#include "setup/shell_links_win.h"

#include <objidl.h>
#include <shlobj.h>
#include <string.h>

#include "setup/install_text.h"
#include "snap/common/ansi_text.h"
#include "snap/common/dll_search_win.h"
#include "snap/common/registry_win.h"
#include "setup/progman_text.h"
#include "setup/setup_ui_win.h"

// What the installations made, so that the removal deletes exactly that: one
// value per path, its data saying whether a link or a folder was made.
static const char RECORD_KEY[] = "SOFTWARE\\Tamblit\\CurrentVersion\\Uninstall\\Program Items";
static const char MADE_LINK[] = "link";
static const char MADE_FOLDER[] = "folder";
static const char LINK_EXTENSION[] = ".lnk";
static const DWORD FIRST_SHELL_LINK_MAJOR_VERSION = 6;  // Windows Vista
static const int MAX_MADE = 8;

// What the installation running now made, so that a failure takes exactly
// that away again: a link that was already there (an upgrade) stays.
namespace {
struct MadeNow {
    char path[SETUP_PATH_SIZE];
    bool folder;
    bool existed;
};
}  // namespace
static MadeNow g_madeNow[MAX_MADE];
static int g_madeCount = 0;

typedef BOOL(WINAPI *SHGetSpecialFolderPathAProc)(HWND, LPSTR, int, BOOL);
typedef HRESULT(WINAPI *CoInitializeProc)(LPVOID);
typedef void(WINAPI *CoUninitializeProc)();
typedef HRESULT(WINAPI *CoCreateInstanceProc)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID *);

bool UseShellLinks()
{
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version))
        return false;
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
           version.dwMajorVersion >= FIRST_SHELL_LINK_MAJOR_VERSION;
}

// The folder of csidl into a SETUP_PATH_SIZE buffer; false when unknown. With
// `made`, a missing folder is made, and *made says whether it was.
static bool SpecialFolder(int csidl, char *out, bool *made = NULL)
{
    SHGetSpecialFolderPathAProc getPath =
        SystemProc<SHGetSpecialFolderPathAProc>("shell32.dll", "SHGetSpecialFolderPathA");
    out[0] = '\0';
    if (!getPath)
        return false;
    // The shell names no folder that does not exist unless asked to make it.
    bool found = getPath(NULL, out, csidl, FALSE) != FALSE;
    if (made) {
        *made = !found;
        if (!found)
            found = getPath(NULL, out, csidl, TRUE) != FALSE;
    }
    return found && out[0] != '\0' && memchr(out, '\0', SETUP_PATH_SIZE) != NULL;
}

// Records the path for the removal and for a rollback; false when either
// record cannot be kept.
static bool RecordMade(const char *path, bool folder, bool existed)
{
    if (g_madeCount >= MAX_MADE ||
        !WriteRegString(HKEY_LOCAL_MACHINE, RECORD_KEY, path, folder ? MADE_FOLDER : MADE_LINK))
        return false;
    MadeNow &made = g_madeNow[g_madeCount++];
    lstrcpynA(made.path, path, sizeof made.path);
    made.folder = folder;
    made.existed = existed;
    return true;
}

int FillGroupFolderList(HWND listBox)
{
    ShowStatus("Getting list of program groups...");
    char programs[SETUP_PATH_SIZE], pattern[SETUP_PATH_SIZE];
    if (!SpecialFolder(CSIDL_COMMON_PROGRAMS, programs) ||
        !JoinDirectoryFile(pattern, sizeof pattern, programs, "*")) {
        ShowError("Cannot get list of program groups (%d)", ERROR_PATH_NOT_FOUND);
        return ERROR_PATH_NOT_FOUND;
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) {
        int error = static_cast<int>(GetLastError());
        ShowError("Cannot get list of program groups (%d)", error);
        return error;
    }
    do {
        const char *name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && strcmp(name, ".") != 0 &&
            strcmp(name, "..") != 0)
            SendMessageA(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return 0;
}

// The folder of the group into a SETUP_PATH_SIZE buffer, made (and recorded)
// when missing; false when it cannot be named or made.
static bool GroupFolder(const char *group, char *out)
{
    if (EqualIgnoringAsciiCase(group, STARTUP_GROUP)) {
        bool made = false;
        if (!SpecialFolder(CSIDL_COMMON_STARTUP, out, &made))
            return false;
        return !made || RecordMade(out, true, false);
    }
    char programs[SETUP_PATH_SIZE];
    if (CheckGroupName(group) != GROUP_NAME_OK || strchr(group, '\\') ||
        !SpecialFolder(CSIDL_COMMON_PROGRAMS, programs) ||
        !JoinDirectoryFile(out, SETUP_PATH_SIZE, programs, group))
        return false;
    DWORD attributes = GetFileAttributesA(out);
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!CreateDirectoryA(out, NULL))
        return false;
    if (RecordMade(out, true, false))
        return true;
    RemoveDirectoryA(out);
    return false;
}

// Saves the link through the shell's own objects; the COM result.
static HRESULT SaveLink(const char *linkPath, const char *target, const char *directory,
                        const char *description)
{
    CoInitializeProc coInitialize = SystemProc<CoInitializeProc>("ole32.dll", "CoInitialize");
    CoUninitializeProc coUninitialize =
        SystemProc<CoUninitializeProc>("ole32.dll", "CoUninitialize");
    CoCreateInstanceProc coCreateInstance =
        SystemProc<CoCreateInstanceProc>("ole32.dll", "CoCreateInstance");
    if (!coInitialize || !coUninitialize || !coCreateInstance)
        return E_NOTIMPL;
    WCHAR widePath[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, MAX_PATH))
        return E_INVALIDARG;

    HRESULT initialized = coInitialize(NULL);
    if (FAILED(initialized))
        return initialized;
    IShellLinkA *link = NULL;
    HRESULT hr = coCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void **>(&link));
    if (SUCCEEDED(hr)) {
        hr = link->SetPath(target);
        if (SUCCEEDED(hr))
            hr = link->SetWorkingDirectory(directory);
        if (SUCCEEDED(hr))
            hr = link->SetDescription(description);
        IPersistFile *file = NULL;
        if (SUCCEEDED(hr))
            hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file));
        if (SUCCEEDED(hr)) {
            hr = file->Save(widePath, TRUE);
            file->Release();
        }
        link->Release();
    }
    coUninitialize();
    return hr;
}

int AddShellLink(const char *itemName, const char *directory, const char *group,
                 const char *programFile)
{
    ShowStatus("Adding %s to %s group", itemName, group);
    char folder[SETUP_PATH_SIZE], linkName[SETUP_PATH_SIZE], linkPath[SETUP_PATH_SIZE],
        target[SETUP_PATH_SIZE];
    size_t nameLength = strlen(itemName);
    bool named = nameLength + sizeof LINK_EXTENSION <= sizeof linkName;
    if (named) {
        memcpy(linkName, itemName, nameLength);
        memcpy(linkName + nameLength, LINK_EXTENSION, sizeof LINK_EXTENSION);
    }
    if (!named || !JoinDirectoryFile(target, sizeof target, directory, programFile) ||
        !GroupFolder(group, folder) ||
        !JoinDirectoryFile(linkPath, sizeof linkPath, folder, linkName)) {
        ShowError("Cannot add %s to the %s group.", itemName, group);
        return ERROR_PATH_NOT_FOUND;
    }
    bool existed = GetFileAttributesA(linkPath) != INVALID_FILE_ATTRIBUTES;
    HRESULT hr = SaveLink(linkPath, target, directory, itemName);
    if (FAILED(hr)) {
        ShowError("Cannot add %s to the %s group (0x%08lX).", itemName, group,
                  static_cast<unsigned long>(hr));
        return ERROR_GEN_FAILURE;
    }
    if (!RecordMade(linkPath, false, existed)) {
        if (!existed)
            DeleteFileA(linkPath);
        ShowError("Cannot record the %s item of the %s group.", itemName, group);
        return ERROR_GEN_FAILURE;
    }
    return 0;
}

static bool EndsWithLinkExtension(const char *path)
{
    size_t length = strlen(path);
    size_t extension = sizeof LINK_EXTENSION - 1;
    return length > extension && EqualIgnoringAsciiCase(path + length - extension, LINK_EXTENSION);
}

static bool MadeNowAt(const char *path)
{
    for (int i = 0; i < g_madeCount; ++i)
        if (EqualIgnoringAsciiCase(g_madeNow[i].path, path))
            return true;
    return false;
}

// Deletes every recorded link (only a name ending in .lnk), or with
// `folders` every recorded folder (only when empty); with `keepMadeNow` not
// what the installation running now made, and the records of what goes go too.
static void DeleteRecorded(HKEY key, bool folders, bool keepMadeNow = false)
{
    const char *what = folders ? MADE_FOLDER : MADE_LINK;
    for (DWORD index = 0;; ++index) {
        char path[SETUP_PATH_SIZE], data[16];
        DWORD pathSize = sizeof path, dataSize = sizeof data, type = 0;
        LONG rc = RegEnumValueA(key, index, path, &pathSize, NULL, &type,
                                reinterpret_cast<BYTE *>(data), &dataSize);
        if (rc == ERROR_NO_MORE_ITEMS)
            return;
        if (rc != ERROR_SUCCESS || type != REG_SZ || dataSize == 0 ||
            data[dataSize - 1] != '\0' || strcmp(data, what) != 0)
            continue;
        if (keepMadeNow && MadeNowAt(path))
            continue;
        bool gone = folders ? RemoveDirectoryA(path) != FALSE  // refused while it holds anything
                            : EndsWithLinkExtension(path) && DeleteFileA(path) != FALSE;
        if (keepMadeNow && (gone || GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) &&
            RegDeleteValueA(key, path) == ERROR_SUCCESS)
            --index;  // the values after it move up
    }
}

void UndoLinksMade()
{
    KeyGuard record;
    bool haveRecord = OpenRegKey(HKEY_LOCAL_MACHINE, RECORD_KEY, record);
    // Newest first: a link goes before the folder made for it.
    for (int i = g_madeCount - 1; i >= 0; --i) {
        const MadeNow &made = g_madeNow[i];
        if (made.existed)
            continue;
        if (made.folder)
            RemoveDirectoryA(made.path);
        else
            DeleteFileA(made.path);
        if (haveRecord)
            RegDeleteValueA(record.key, made.path);
    }
    g_madeCount = 0;
}

void KeepLinksMade()
{
    KeyGuard record;
    if (g_madeCount > 0 && OpenRegKey(HKEY_LOCAL_MACHINE, RECORD_KEY, record)) {
        DeleteRecorded(record.key, false, true);
        DeleteRecorded(record.key, true, true);
    }
    g_madeCount = 0;
}

void DeleteRecordedLinks()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, RECORD_KEY, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    DeleteRecorded(key, false);
    DeleteRecorded(key, true);
    RegCloseKey(key);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, RECORD_KEY);
}
