// Snapshot files in PNG form, written from the snapshot's DIB through the same
// file calls and the same commit step as bitmap files. Portable: no Windows
// headers; zlib does the compression.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "snap/engine/bitmap_file.h"

// The DIB as the writer reads it: bottom-up rows, each padded to a multiple
// of 4 bytes, blue-green-red at 24 bits; colour indices into count RGBQUAD
// entries at 8 bits.
struct PngPicture {
    uint32_t width;
    uint32_t height;
    int bitsPerPixel;           // 8 or 24
    const uint8_t *colorTable;  // 8 bits only
    uint32_t colorCount;        // 1 to 256, 8 bits only
    const uint8_t *pixels;
};

enum {
    // The compressed data goes to the file through one buffer of this size,
    // whatever the picture's size: one IDAT chunk each time it fills.
    PNG_OUTPUT_BUFFER_SIZE = 65536,
    PNG_SIGNATURE_SIZE = 8,
    PNG_CHUNK_OVERHEAD = 12,    // length, type and CRC around the data
    // Smaller pictures are compressed by one thread: a second one would
    // cost more to start than it saves.
    PNG_TWO_THREAD_MIN_BYTES = 65536
};

// A way to run work beside the calling thread: start returns a handle, or
// null when it cannot (the caller then does the work itself); join waits
// for the work to end and releases the handle.
struct PngHelperThread {
    void *(*start)(void (*work)(void *arg), void *arg);
    void (*join)(void *handle);
};

// Writes the whole PNG file: signature, IHDR, PLTE (8 bits), the pixels in
// IDAT chunks of at most bufferSize - 12 data bytes, and IEND. With a helper,
// a large picture's lower half is compressed at the same time on the other
// thread. Returns Ok, DiskFull at the first write that falls short, or
// NoMemory.
int WritePngFileContent(const SnapshotFileSystem &fs, void *file, const PngPicture &picture,
                        uint32_t bufferSize = PNG_OUTPUT_BUFFER_SIZE, const PngHelperThread *helper = nullptr);

// SaveSnapshotFile with the content of a PNG file.
int SavePngFile(const SnapshotFileSystem &fs, const char *path, const PngPicture &picture,
                KeptFiles *kept = nullptr, const PngHelperThread *helper = nullptr);
