// The installation directory and the files in it, changed so that a failed
// installation can be undone: each file is first copied beside its target,
// then renamed into place, and the file it replaces is kept until the whole
// installation is complete.
#pragma once

// 0 when every file of the table is beside setup.exe; otherwise a system
// error code after an error box naming the missing file. Nothing is changed.
int CheckSourceFiles(const char *const *table);

// 0 when the directory exists or was made (after one question), -1
// otherwise. The levels made are remembered for RollBackInstallFiles.
int CreateInstallDirectory(const char *path);

// Copies every file of the table beside its target in the directory, then
// renames each into place, keeping what it replaces. 0 when all are in
// place; otherwise the low 16 bits of the system error after an error box.
int PlaceInstallFiles(const char *const *table, const char *targetDir);

// Undoes what CreateInstallDirectory and PlaceInstallFiles did: the files
// replaced are back, the new ones and the folders made are gone.
void RollBackInstallFiles();

// The installation is complete: the replaced files are deleted.
void KeepInstallFiles();

// Bytes of the table's files in the directory, for the uninstall entry.
unsigned long long InstalledBytes(const char *const *table, const char *directory);
