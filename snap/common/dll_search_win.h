// Where the programs' DLLs come from. Both are run from folders a user
// unpacked or downloaded into, where anyone may have left a DLL named like a
// system one; none is ever taken from there.
#pragma once
#include <windows.h>

// The first thing each program does: takes its own folder (and the current
// one) out of the DLL search, as far as this Windows lets a program do so.
void KeepDllSearchToSystem();

// The system DLL `name` ("winmm.dll") loaded by its full path in the system
// folder, or the copy already loaded from there; NULL when it cannot be had.
// It stays loaded for the rest of the process.
HMODULE LoadSystemLibrary(const char *name);

// Registers the common controls' classes (the hot key control among them)
// from the system's library, loaded at run time: Windows looks for an
// imported COMCTL32.dll beside the program first. Calling it again is harmless.
void InitCommonControlsFromSystem();

// A function of a system DLL, looked up at run time (NULL when missing):
// Windows 95 lacks many, and the programs must still load there.
FARPROC SystemFunction(const char *dll, const char *function);

// Through the generic function type, which any function pointer may take.
template <typename Proc>
Proc SystemProc(const char *dll, const char *function)
{
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(SystemFunction(dll, function)));
}
