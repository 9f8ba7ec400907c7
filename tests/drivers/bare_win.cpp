// A program that imports what setup.exe imports (with BARE_AS_PROGRAM what
// tamblit95.exe imports) and does nothing else: what Wine loads into any such
// program before its first instruction. Each
// argument is a DLL name it then loads by that bare name, as a program that
// searches its own folder first would.
#include <windows.h>

#include <commdlg.h>
#include <shellapi.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    // Never true: the calls only make the program import their DLLs.
    if (GetTickCount() == 1) {
        MessageBoxA(NULL, "", "", MB_OK);
        RegCloseKey(HKEY_CURRENT_USER);
#ifdef BARE_AS_PROGRAM
        Shell_NotifyIconA(NIM_DELETE, NULL);
        GetSaveFileNameA(NULL);
        DeleteDC(NULL);
#endif
    }
    char names[MAX_PATH];
    lstrcpynA(names, commandLine, sizeof names);
    for (char *name = strtok(names, " "); name; name = strtok(NULL, " "))
        LoadLibraryA(name);
    return 0;
}
