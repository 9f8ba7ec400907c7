// The installation: directory, files, Program Manager items, uninstall entry.
#pragma once
#include <windows.h>

// Names shared by the installation and the removal.
extern const char ITEM_NAME[];            // "Tamblit 95"
extern const char GROUP_MEMORY_KEY[];     // where the chosen group is remembered (HKLM)
extern const char GROUP_MEMORY_VALUE[];
extern const char UNINSTALL_ENTRY_KEY[];  // HKLM
// The remembered group is read into a buffer of this size.
const DWORD REMEMBERED_GROUP_SIZE = 100;

// The installation directory in a buffer of SETUP_PATH_SIZE bytes; false when
// the Windows directory cannot be had or the result does not fit.
bool GetInstallDirectory(char *out);

// The group chosen at installation into a buffer of `size` bytes; false
// when there is none that can be read whole as a text.
bool ReadRememberedGroup(char *group, DWORD size);

// Installs for the group, adding a second item to StartUp when startUp is 1,
// and with makeGroup first making the group, which is not there.
// 0 when complete; -1 when the user declined to create the directory;
// otherwise the result of the step that failed, after an error box, with
// everything it had made taken away again and an installation it was
// replacing as it was.
int InstallProgram(const char *group, int startUp, bool makeGroup = false);
