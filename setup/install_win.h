// The installation: directory, files, Program Manager items, uninstall entry.
#pragma once
#include <windows.h>

// Names shared by the installation and the removal.
extern const char ITEM_NAME[];            // "Tamblit 95"
extern const char GROUP_MEMORY_KEY[];     // where the chosen group is remembered (HKLM)
extern const char GROUP_MEMORY_VALUE[];
extern const char UNINSTALL_ENTRY_KEY[];  // HKLM

// The installation directory in a buffer of SETUP_PATH_SIZE bytes; false when
// the Windows directory cannot be had or the result does not fit.
bool GetInstallDirectory(char *out);

// Installs for the group, adding a second item to StartUp when startUp is 1.
// 0 when complete; otherwise the result of the step that stopped it.
int InstallProgram(const char *group, int startUp);
