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
// the switch, "\"C:\Program Files\Tamblit95\setup.exe\" /u"; `quiet` adds
// " /S" for the command that removes without a question.
bool MakeUninstallCommand(char *out, size_t outSize, const char *installDirectory,
                          bool quiet = false);

// What the command line asks for: "/u" removal, "/S" no window or message.
struct SetupSwitches {
    bool removal;
    bool silent;
};

// Reads the switches, separated by blanks or tabs, in any order and either
// case. False when anything else is there; `out` then still tells whether
// "/S" was among the switches, so that the refusal stays silent too.
bool ParseSetupSwitches(const char *commandLine, SetupSwitches *out);

// Kilobytes that `bytes` take, rounded up, as an uninstall entry states a size.
unsigned long SizeInKilobytes(unsigned long long bytes);
