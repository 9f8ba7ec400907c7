// The bitmap file destination of a snapshot.
#pragma once
#include <windows.h>

#include "snap/engine/bitmap_file.h"

// Proposes the next free snapNNN.bmp in the snapshot directory in the Save
// dialog, writes the DIB there as a bitmap file and says so. Returns Ok,
// Cancelled (dialog cancelled or no free name), DiskFull or CannotCreateFile,
// for which the caller shows the error box and frees the block, or
// SnapshotKeptAside, already told with the names of both files.
int WriteSnapshotFile(const BITMAPINFOHEADER *header, DWORD colorTableSize, const BYTE *pixels,
                      DWORD pixelArraySize, BOOL playSound);

// Fills path with the first free default name and lets the user confirm or
// change it. Returns Ok with the chosen name in path, Cancelled when the
// dialog is cancelled or all 999 names are taken, or CannotCreateFile when
// the snapshot directory is too long for any name to fit.
int ChooseSnapshotFile(char (&path)[SNAPSHOT_PATH_SIZE]);

// Writes the DIB as a bitmap file at path (no dialog, no message), replacing
// an existing file only once the new one is complete. Returns Ok, DiskFull,
// CannotCreateFile or SnapshotKeptAside (with kept filled, when given).
int SaveSnapshotFileAt(const char *path, const BITMAPINFOHEADER *header, DWORD colorTableSize,
                       const BYTE *pixels, DWORD pixelArraySize, KeptFiles *kept = NULL);
