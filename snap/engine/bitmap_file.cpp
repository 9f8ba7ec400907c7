#include "snap/engine/bitmap_file.h"

#include <stdio.h>
#include <string.h>

#include "snap/common/bounded_text.h"
#include "snap/engine/dib_layout.h"
#include "snap/engine/snap_result.h"
#include "snap/settings/snap_settings.h"

static const char BITMAP_EXTENSION[] = "bmp";
static const char PNG_EXTENSION[] = "png";

const char *SnapshotFileExtension(int fileType)
{
    return fileType == PngFile ? PNG_EXTENSION : BITMAP_EXTENSION;
}

// The extension of the last part of path without its dot, or null.
static const char *ExtensionOf(const char *path, NextCharFn next)
{
    const char *name = path;
    const char *dot = nullptr;
    for (const char *p = path; *p; p = next(p)) {
        if (*p == '\\' || *p == '/' || *p == ':') {
            name = next(p);
            dot = nullptr;
        } else if (*p == '.') {
            dot = p;
        }
    }
    return dot && dot != name ? dot + 1 : nullptr;
}

bool NameHasExtension(const char *path, NextCharFn next)
{
    return ExtensionOf(path, next) != nullptr;
}

int FileTypeOfName(const char *path, int chosenType, NextCharFn next)
{
    const char *extension = ExtensionOf(path, next);
    if (extension && EqualIgnoringAsciiCase(extension, PNG_EXTENSION))
        return PngFile;
    if (extension && EqualIgnoringAsciiCase(extension, BITMAP_EXTENSION))
        return BitmapFile;
    return chosenType;
}

bool FormatSnapshotName(char *out, size_t outSize, const char *dir, int number, const char *extension)
{
    return FitOrRefuse(out, outSize, snprintf(out, outSize, "%ssnap%.3d.%s", dir, number, extension));
}

// True when a file of either type holds number.
static bool NumberTaken(char *out, size_t outSize, const char *dir, int number,
                        bool (*exists)(void *context, const char *path), void *context)
{
    static const char *const EXTENSIONS[] = {BITMAP_EXTENSION, PNG_EXTENSION};
    for (const char *extension : EXTENSIONS) {
        if (FormatSnapshotName(out, outSize, dir, number, extension) && exists(context, out))
            return true;
    }
    return false;
}

int FindFreeSnapshotName(char *out, size_t outSize, const char *dir,
                         bool (*exists)(void *context, const char *path), void *context,
                         const char *extension)
{
    for (int number = FIRST_SNAPSHOT_NUMBER; number <= LAST_SNAPSHOT_NUMBER; ++number) {
        // Every number has the same length, so a directory that leaves no
        // room for the first name leaves none for any.
        if (!FormatSnapshotName(out, outSize, dir, number, extension))
            return SNAPSHOT_DIR_TOO_LONG;
        if (!NumberTaken(out, outSize, dir, number, exists, context)) {
            // NumberTaken used out for the other names; this one fitted above.
            FormatSnapshotName(out, outSize, dir, number, extension);
            return number;
        }
    }
    if (outSize > 0)
        out[0] = '\0';
    return NO_FREE_SNAPSHOT_NAME;
}

bool WriteBitmapFileBody(const SnapshotFileSystem &fs, void *file, const uint8_t *fileHeader,
                         const void *infoHeader, const void *colorTable, uint32_t colorTableSize,
                         const void *pixels, uint32_t pixelArraySize)
{
    if (!fs.write(fs.context, file, fileHeader, BITMAP_FILE_HEADER_SIZE))
        return false;
    if (!fs.write(fs.context, file, infoHeader, BITMAP_INFO_HEADER_SIZE))
        return false;
    if (colorTableSize != 0 && !fs.write(fs.context, file, colorTable, colorTableSize))
        return false;

    const uint8_t *next = static_cast<const uint8_t *>(pixels);
    uint32_t remaining = pixelArraySize;
    // The first chunk ends where the file reaches a multiple of the chunk
    // size, so that every later write fills exactly one page of the file.
    uint32_t headers = BITMAP_FILE_HEADER_SIZE + BITMAP_INFO_HEADER_SIZE + colorTableSize;
    uint32_t limit = FILE_WRITE_CHUNK - headers % FILE_WRITE_CHUNK;
    while (remaining > 0) {
        uint32_t chunk = remaining < limit ? remaining : limit;
        limit = FILE_WRITE_CHUNK;
        if (!fs.write(fs.context, file, next, chunk))
            return false;
        next += chunk;
        remaining -= chunk;
    }
    return true;
}

static const char KEPT_MESSAGE[] =
    "Cannot replace %s. The snapshot is saved as %s, and the earlier file is now %s.";

bool FormatKeptMessage(char *out, size_t outSize, const char *path, const KeptFiles &kept)
{
    if (outSize == 0)
        return false;
    int len = snprintf(out, outSize, KEPT_MESSAGE, path, kept.snapshot, kept.oldFile);
    if (len < 0 || (size_t)len >= outSize) {
        out[0] = '\0';
        return false;
    }
    return true;
}

// A free name beside path for the old file: made by creating a temporary
// file, which is then removed so that a rename may take its name.
static bool ReserveAsideName(const SnapshotFileSystem &fs, const char *path, char (&aside)[TEMP_PATH_SIZE])
{
    void *file = fs.createTemp(fs.context, path, aside, sizeof aside);
    if (!file)
        return false;
    fs.close(fs.context, file);
    return fs.remove(fs.context, aside);
}

int CommitTempFile(const SnapshotFileSystem &fs, const char *tempPath, const char *path, KeptFiles *kept)
{
    int outcome = fs.replace(fs.context, tempPath, path);
    if (outcome == REPLACED)
        return Ok;
    // At every step below, each picture is in one file or another.
    char aside[TEMP_PATH_SIZE];
    if (outcome == REPLACE_UNSUPPORTED && ReserveAsideName(fs, path, aside) &&
        fs.rename(fs.context, path, aside)) {
        if (fs.rename(fs.context, tempPath, path)) {
            fs.remove(fs.context, aside);
            return Ok;
        }
        if (!fs.rename(fs.context, aside, path)) {
            snprintf(kept->snapshot, sizeof kept->snapshot, "%s", tempPath);
            snprintf(kept->oldFile, sizeof kept->oldFile, "%s", aside);
            return SnapshotKeptAside;
        }
    }
    fs.remove(fs.context, tempPath);
    return CannotCreateFile;
}

int SaveSnapshotFile(const SnapshotFileSystem &fs, const char *path, FileContentWriter writeContent,
                     const void *content, KeptFiles *kept)
{
    const bool replacing = fs.exists(fs.context, path);
    char tempPath[TEMP_PATH_SIZE] = "";
    void *file = replacing ? fs.createTemp(fs.context, path, tempPath, sizeof tempPath)
                           : fs.createNew(fs.context, path);
    if (!file)
        return CannotCreateFile;
    const char *written = replacing ? tempPath : path;

    int result = writeContent(fs, file, content);
    // Data still buffered may fail to reach the disk at close.
    if (!fs.close(fs.context, file) && result == Ok)
        result = DiskFull;
    if (result != Ok) {
        fs.remove(fs.context, written);
        return result;
    }
    if (!replacing)
        return Ok;
    KeptFiles unused;
    return CommitTempFile(fs, tempPath, path, kept ? kept : &unused);
}

namespace {
struct BitmapContent {
    const uint8_t *fileHeader;
    const void *infoHeader;
    const void *colorTable;
    uint32_t colorTableSize;
    const void *pixels;
    uint32_t pixelArraySize;
};

int WriteBitmapContent(const SnapshotFileSystem &fs, void *file, const void *content)
{
    const BitmapContent &c = *static_cast<const BitmapContent *>(content);
    return WriteBitmapFileBody(fs, file, c.fileHeader, c.infoHeader, c.colorTable, c.colorTableSize,
                               c.pixels, c.pixelArraySize)
               ? Ok
               : DiskFull;
}
}  // namespace

int SaveBitmapFile(const SnapshotFileSystem &fs, const char *path, const uint8_t *fileHeader,
                   const void *infoHeader, const void *colorTable, uint32_t colorTableSize,
                   const void *pixels, uint32_t pixelArraySize, KeptFiles *kept)
{
    const BitmapContent content = {fileHeader, infoHeader, colorTable, colorTableSize, pixels, pixelArraySize};
    return SaveSnapshotFile(fs, path, WriteBitmapContent, &content, kept);
}
