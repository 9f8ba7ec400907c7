// Naming and writing of snapshot files (bitmaps here, PNG in png_file.h),
// independent of the file system calls, which the caller supplies. Portable:
// no Windows headers.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "snap/common/ansi_text.h"

enum {
    SNAPSHOT_PATH_SIZE = 150,   // the path buffer the Save dialog is given
    FIRST_SNAPSHOT_NUMBER = 1,
    LAST_SNAPSHOT_NUMBER = 999,
    FILE_WRITE_CHUNK = 4096     // largest single write of pixel data
};

// The extension ("bmp" or "png") of a SnapshotFileType; bitmap for any other value.
const char *SnapshotFileExtension(int fileType);

// The type a file name asks for: ".png" or ".bmp" in any case decide, any
// other extension or none leaves the type chosen in the dialog. next walks
// the text by characters, so a trail byte is never taken for a backslash.
int FileTypeOfName(const char *path, int chosenType, NextCharFn next);

// True when the last part of path has an extension (a dot that is not its
// first character).
bool NameHasExtension(const char *path, NextCharFn next);

// <dir>snapNNN.<extension> into out. Returns false, with out empty, when the
// name does not fit: a cut name would be a different file, so it is never used.
bool FormatSnapshotName(char *out, size_t outSize, const char *dir, int number,
                        const char *extension = "bmp");

enum {
    NO_FREE_SNAPSHOT_NAME = -1,   // every number is taken
    SNAPSHOT_DIR_TOO_LONG = -2    // the directory leaves no room for a name
};

// Puts <dir>snapNNN.<extension> into out for the first number for which
// neither snapNNN.bmp nor snapNNN.png exists (bitmaps and PNG files share one
// sequence) and returns that number, or one of the negative codes above.
int FindFreeSnapshotName(char *out, size_t outSize, const char *dir,
                         bool (*exists)(void *context, const char *path), void *context,
                         const char *extension = "bmp");

// The file system calls a save goes through. A file is an opaque handle;
// null means the call failed.
struct SnapshotFileSystem {
    void *context;
    bool (*exists)(void *context, const char *path);
    // A new file; fails when one of that name exists.
    void *(*createNew)(void *context, const char *path);
    // A new file with a unique name in the directory of path, whose name is
    // put into tempPath.
    void *(*createTemp)(void *context, const char *path, char *tempPath, size_t tempPathSize);
    // True only when all size bytes were written.
    bool (*write)(void *context, void *file, const void *data, uint32_t size);
    bool (*close)(void *context, void *file);
    bool (*remove)(void *context, const char *path);
    // Renames from to to, replacing to; one of the ReplaceOutcome values.
    int (*replace)(void *context, const char *from, const char *to);
    // Renames from to to, which must not exist.
    bool (*rename)(void *context, const char *from, const char *to);
};

enum ReplaceOutcome { REPLACED, REPLACE_UNSUPPORTED, REPLACE_FAILED };

enum { TEMP_PATH_SIZE = 260 };

// Where the two pictures are when an overwrite could neither complete nor be
// undone: the new one under its temporary name, the old one moved aside.
struct KeptFiles {
    char snapshot[TEMP_PATH_SIZE];
    char oldFile[TEMP_PATH_SIZE];
};

// Puts the complete file at tempPath in place of the existing file at path
// and returns a SnapResult. Without an atomic replace (Windows 95 and 98)
// the old file is moved aside, the new one renamed into place, and only then
// is the old one deleted; when the new one cannot be renamed, the old one is
// put back. Ok: the new file is at path. CannotCreateFile: the old file is
// at path as before and the temporary file is removed. SnapshotKeptAside:
// nothing is at path, and kept says where both pictures are. Every file that
// is written through a temporary one is committed here.
int CommitTempFile(const SnapshotFileSystem &fs, const char *tempPath, const char *path, KeptFiles *kept);

// The error box text for SnapshotKeptAside. False, with out empty, when it
// does not fit.
bool FormatKeptMessage(char *out, size_t outSize, const char *path, const KeptFiles &kept);

// Writes the header, the info header, the colour table (when its size is not
// 0) and the pixel array in chunks of at most FILE_WRITE_CHUNK bytes, each
// with one write, stopping at the first write that falls short. Returns true
// when every byte was written.
bool WriteBitmapFileBody(const SnapshotFileSystem &fs, void *file, const uint8_t *fileHeader,
                         const void *infoHeader, const void *colorTable, uint32_t colorTableSize,
                         const void *pixels, uint32_t pixelArraySize);

// Writes a whole file's content into an open file. Returns Ok, DiskFull when
// a write fell short, or NoMemory.
typedef int (*FileContentWriter)(const SnapshotFileSystem &fs, void *file, const void *content);

// Saves a file at path whose content writeContent writes, and returns a
// SnapResult: Ok, DiskFull when a write or the close failed, NoMemory,
// CannotCreateFile when the file could not be created or put in place,
// SnapshotKeptAside (kept filled; see CommitTempFile). A new file that fails
// is removed. An existing file is replaced only once its successor is
// complete: until then the data goes to a temporary file beside it,
// committed by CommitTempFile. Every file type is saved through here.
int SaveSnapshotFile(const SnapshotFileSystem &fs, const char *path, FileContentWriter writeContent,
                     const void *content, KeptFiles *kept = nullptr);

// SaveSnapshotFile with the content of a bitmap file.
int SaveBitmapFile(const SnapshotFileSystem &fs, const char *path, const uint8_t *fileHeader,
                   const void *infoHeader, const void *colorTable, uint32_t colorTableSize,
                   const void *pixels, uint32_t pixelArraySize, KeptFiles *kept = nullptr);
