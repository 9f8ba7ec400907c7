#include "setup/same_file_win.h"

#include "setup/install_text.h"
#include "snap/common/ansi_text.h"

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
bool IsSameFile(const char *a, const char *b)
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

