// Paths and command texts of the installation and its removal. Portable: no
// Windows headers.
#pragma once
#include <stddef.h>

// Size of every path buffer of the installer.
const size_t SETUP_PATH_SIZE = 260;

// The Program Manager group whose items Windows starts at logon.
constexpr char STARTUP_GROUP[] = "StartUp";

// The installation directory: the drive of the Windows directory ("C:" when
// it starts with a letter and a colon, nothing otherwise) followed by
// "\Program Files\Tamblit95". False, with out empty, when it does not fit.
bool MakeInstallDirectory(char *out, size_t outSize, const char *windowsDirectory);

// directory + '\' (unless it already ends with '\' or '/') + name. False,
// with out empty, when it does not fit: a cut path names another file.
bool JoinDirectoryFile(char *out, size_t outSize, const char *directory, const char *name);

// The uninstall command: the installed setup.exe in quotation marks (its path
// holds a blank, and unquoted Windows may run C:\Program.exe instead) and
// the switch, "\"C:\Program Files\Tamblit95\setup.exe\" /u".
bool MakeUninstallCommand(char *out, size_t outSize, const char *installDirectory);

// Whether the command line selects removal: the whole text is "/u", the
// letter in either case.
bool IsRemovalSwitch(const char *commandLine);
