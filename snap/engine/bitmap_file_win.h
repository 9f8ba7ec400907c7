// The file destination of a snapshot: bitmap or PNG files.
#pragma once
#include <windows.h>

#include "snap/engine/bitmap_file.h"
#include "snap/settings/snap_settings.h"

// Proposes the next free snapNNN in the snapshot directory, with the
// extension of the type saved last, in the Save dialog, writes the DIB there
// in the type the name asks for, remembers that type and says so. Returns Ok,
// Cancelled (dialog cancelled or no free name), DiskFull, NoMemory or
// CannotCreateFile, for which the caller shows the error box and frees the
// block, or SnapshotKeptAside, already told with the names of both files.
int WriteSnapshotFile(const BITMAPINFOHEADER *header, DWORD colorTableSize, const BYTE *pixels,
                      DWORD pixelArraySize, BOOL playSound);

// Fills path with the first free default name and lets the user confirm or
// change it and choose the type. Returns Ok with the chosen name in path and
// its SnapshotFileType in *fileType (when given), Cancelled when the dialog
// is cancelled or all 999 numbers are taken, or CannotCreateFile when the
// snapshot directory is too long for any name to fit.
int ChooseSnapshotFile(char (&path)[SNAPSHOT_PATH_SIZE], int *fileType = NULL);

// Writes the DIB as a bitmap or PNG file at path (no dialog, no message),
// replacing an existing file only once the new one is complete. Returns Ok,
// DiskFull, NoMemory, CannotCreateFile or SnapshotKeptAside (with kept
// filled, when given).
int SaveSnapshotFileAt(const char *path, const BITMAPINFOHEADER *header, DWORD colorTableSize,
                       const BYTE *pixels, DWORD pixelArraySize, KeptFiles *kept = NULL,
                       int fileType = BitmapFile);
