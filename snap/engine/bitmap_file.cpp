#include "snap/engine/bitmap_file.h"

#include <stdio.h>

#include "snap/engine/dib_layout.h"
#include "snap/engine/snap_result.h"

bool FormatSnapshotName(char *out, size_t outSize, const char *dir, int number)
{
    if (outSize == 0)
        return false;
    int len = snprintf(out, outSize, "%ssnap%.3d.bmp", dir, number);
    if (len < 0 || (size_t)len >= outSize) {
        out[0] = '\0';
        return false;
    }
    return true;
}

int FindFreeSnapshotName(char *out, size_t outSize, const char *dir,
                         bool (*exists)(void *context, const char *path), void *context)
{
    for (int number = FIRST_SNAPSHOT_NUMBER; number <= LAST_SNAPSHOT_NUMBER; ++number) {
        // Every number has the same length, so a directory that leaves no
        // room for the first name leaves none for any.
        if (!FormatSnapshotName(out, outSize, dir, number))
            return SNAPSHOT_DIR_TOO_LONG;
        if (!exists(context, out))
            return number;
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

enum PlaceOutcome { PLACED, NOT_PLACED, ONLY_COPY_IN_TEMP };

// Puts a complete temporary file in place of the file at path.
static PlaceOutcome PlaceTempFile(const SnapshotFileSystem &fs, const char *tempPath, const char *path)
{
    int outcome = fs.replace(fs.context, tempPath, path);
    if (outcome == REPLACED)
        return PLACED;
    if (outcome != REPLACE_UNSUPPORTED)
        return NOT_PLACED;
    // Systems without an atomic replace: the old file goes only once the new
    // one is complete beside it.
    if (!fs.remove(fs.context, path))
        return NOT_PLACED;
    return fs.rename(fs.context, tempPath, path) ? PLACED : ONLY_COPY_IN_TEMP;
}

int SaveBitmapFile(const SnapshotFileSystem &fs, const char *path, const uint8_t *fileHeader,
                   const void *infoHeader, const void *colorTable, uint32_t colorTableSize,
                   const void *pixels, uint32_t pixelArraySize)
{
    const bool replacing = fs.exists(fs.context, path);
    char tempPath[TEMP_PATH_SIZE] = "";
    void *file = replacing ? fs.createTemp(fs.context, path, tempPath, sizeof tempPath)
                           : fs.createNew(fs.context, path);
    if (!file)
        return CannotCreateFile;
    const char *written = replacing ? tempPath : path;

    bool complete = WriteBitmapFileBody(fs, file, fileHeader, infoHeader, colorTable,
                                        colorTableSize, pixels, pixelArraySize);
    // Data still buffered may fail to reach the disk at close.
    if (!fs.close(fs.context, file))
        complete = false;
    if (!complete) {
        fs.remove(fs.context, written);
        return DiskFull;
    }
    if (!replacing)
        return Ok;
    PlaceOutcome placed = PlaceTempFile(fs, tempPath, path);
    // Once the old file is gone, the temporary file holds the only copy of
    // the snapshot: it stays under its own name rather than be lost too.
    if (placed == NOT_PLACED)
        fs.remove(fs.context, tempPath);
    return placed == PLACED ? Ok : CannotCreateFile;
}
