#include "snap/common/dll_search_win.h"

#include <stdio.h>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

typedef BOOL(WINAPI *SetDefaultDllDirectoriesProc)(DWORD);
typedef BOOL(WINAPI *SetDllDirectoryAProc)(LPCSTR);

// Windows Vista (NT 6.0) has the function with its update, but shell links
// can no longer be made in a process that called it.
static bool IsVista()
{
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
           version.dwMajorVersion == 6 && version.dwMinorVersion == 0;
}

void KeepDllSearchToSystem()
{
    // kernel32 is loaded into every process from the system folder.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel)
        return;
    if (!IsVista()) {
        SetDefaultDllDirectoriesProc onlySystem = reinterpret_cast<SetDefaultDllDirectoriesProc>(
            reinterpret_cast<void (*)()>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
        if (onlySystem && onlySystem(LOAD_LIBRARY_SEARCH_SYSTEM32))
            return;
    }
    // Windows XP SP1 on: an empty text takes the current folder out of the
    // search. Older Windows offer nothing; LoadSystemLibrary still holds there.
    SetDllDirectoryAProc setDirectory = reinterpret_cast<SetDllDirectoryAProc>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel, "SetDllDirectoryA")));
    if (setDirectory)
        setDirectory("");
}

HMODULE LoadSystemLibrary(const char *name)
{
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return NULL;
    const char *separator = path[length - 1] == '\\' ? "" : "\\";
    int written = snprintf(path + length, sizeof path - length, "%s%s", separator, name);
    if (written < 0 || static_cast<size_t>(written) >= sizeof path - length)
        return NULL;
    // By its full path, never by a search that starts in the program's folder.
    return LoadLibraryA(path);
}

FARPROC SystemFunction(const char *dll, const char *function)
{
    HMODULE module = LoadSystemLibrary(dll);
    return module ? GetProcAddress(module, function) : NULL;
}

void InitCommonControlsFromSystem()
{
    typedef void(WINAPI * InitCommonControlsProc)();
    static InitCommonControlsProc init = NULL;
    if (!init)
        init = SystemProc<InitCommonControlsProc>("comctl32.dll", "InitCommonControls");
    if (init)
        init();
}
