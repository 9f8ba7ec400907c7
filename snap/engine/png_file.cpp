#include "snap/engine/png_file.h"

#include <stdlib.h>
#include <string.h>
#include <zlib.h>

#include "snap/engine/snap_result.h"

namespace {

const uint8_t PNG_SIGNATURE[PNG_SIGNATURE_SIZE] = {137, 'P', 'N', 'G', '\r', '\n', 26, '\n'};

enum {
    PNG_BIT_DEPTH = 8,
    PNG_COLOR_TYPE_RGB = 2,
    PNG_COLOR_TYPE_PALETTE = 3,
    PNG_IHDR_SIZE = 13,
    PNG_FILTER_NONE = 0,
    PNG_MAX_PALETTE = 256,
    // Speed first: the levels up to 3 share zlib's fastest method and take
    // the same time on a screen of text and gradients; 3 packs it about 5 %
    // tighter than 1. A hash table smaller than zlib's default (memory
    // level 6, not 8) stays in the cache: about a tenth less time, the same
    // size, and 192 KB less state.
    DEFLATE_LEVEL = 3,
    DEFLATE_WINDOW_BITS = 15,
    DEFLATE_WINDOW_SIZE = 1 << DEFLATE_WINDOW_BITS,
    DEFLATE_MEM_LEVEL = 6,
    // Everything before the first IDAT: signature, IHDR and the largest PLTE.
    PNG_HEADER_BYTES = PNG_SIGNATURE_SIZE + PNG_CHUNK_OVERHEAD + PNG_IHDR_SIZE + PNG_CHUNK_OVERHEAD +
                       3 * PNG_MAX_PALETTE
};

void PutBigEndian32(uint8_t *out, uint32_t value)
{
    out[0] = static_cast<uint8_t>(value >> 24);
    out[1] = static_cast<uint8_t>(value >> 16);
    out[2] = static_cast<uint8_t>(value >> 8);
    out[3] = static_cast<uint8_t>(value);
}

// Completes the chunk at out whose type and data are already in place after
// its 4 length bytes: writes the length and the CRC. Returns its whole size.
uint32_t SealChunk(uint8_t *out, const char *type, uint32_t dataSize)
{
    memcpy(out + 4, type, 4);
    PutBigEndian32(out, dataSize);
    uLong crc = crc32(crc32(0, Z_NULL, 0), out + 4, dataSize + 4);
    PutBigEndian32(out + 8 + dataSize, static_cast<uint32_t>(crc));
    return dataSize + PNG_CHUNK_OVERHEAD;
}

// Signature, IHDR and, at 8 bits, the PLTE of the colour table, into out
// (PNG_HEADER_BYTES). Returns the number of bytes.
uint32_t BuildPngHeader(const PngPicture &picture, uint8_t *out)
{
    memcpy(out, PNG_SIGNATURE, PNG_SIGNATURE_SIZE);
    uint8_t *ihdr = out + PNG_SIGNATURE_SIZE;
    uint8_t *data = ihdr + 8;
    PutBigEndian32(data, picture.width);
    PutBigEndian32(data + 4, picture.height);
    data[8] = PNG_BIT_DEPTH;
    data[9] = picture.bitsPerPixel == 8 ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB;
    data[10] = data[11] = data[12] = 0;  // deflate, adaptive filters, no interlace
    uint32_t size = PNG_SIGNATURE_SIZE + SealChunk(ihdr, "IHDR", PNG_IHDR_SIZE);
    if (picture.bitsPerPixel != 8)
        return size;

    uint8_t *plte = out + size;
    for (uint32_t i = 0; i < picture.colorCount; ++i) {
        const uint8_t *quad = picture.colorTable + 4 * i;  // blue, green, red, 0
        plte[8 + 3 * i] = quad[2];
        plte[8 + 3 * i + 1] = quad[1];
        plte[8 + 3 * i + 2] = quad[0];
    }
    return size + SealChunk(plte, "PLTE", 3 * picture.colorCount);
}

// PNG row y (top-down) of the bottom-up DIB, with its filter byte, into row:
// colours turned from blue-green-red into red-green-blue, indices as they
// are. No filter: on screens of text and gradients the filters that predict
// from neighbours saved nothing at the fast levels and cost time.
void FilterRow(const PngPicture &picture, uint32_t stride, uint32_t y, uint8_t *row)
{
    const uint8_t *src = picture.pixels + static_cast<size_t>(picture.height - 1 - y) * stride;
    row[0] = PNG_FILTER_NONE;
    if (picture.bitsPerPixel == 8) {
        memcpy(row + 1, src, picture.width);
        return;
    }
    uint8_t *out = row + 1;
    for (uint32_t x = 0; x < picture.width; ++x, src += 3, out += 3) {
        out[0] = src[2];
        out[1] = src[1];
        out[2] = src[0];
    }
}

// The lower part of the picture, compressed by a helper thread into a
// buffer of its own as a raw deflate stream that continues the main one.
struct LowerPart {
    const PngPicture *picture;
    uint32_t stride, rowBytes, first;  // rows first to height - 1
    uint8_t *out;
    uint32_t capacity, size;
    uLong adler;                       // of the filtered rows
    bool done;                         // false: did not fit or no memory
};

// Feeds rows [first, end) to z, which writes into a fixed buffer, carrying
// adler over them. False when deflate fails or the buffer is full.
bool DeflateRowsInto(const PngPicture &picture, uint32_t stride, uint32_t rowBytes, uint32_t first,
                     uint32_t end, uint8_t *row, z_stream &z, uLong *adler)
{
    for (uint32_t y = first; y < end; ++y) {
        FilterRow(picture, stride, y, row);
        *adler = adler32(*adler, row, rowBytes + 1);
        z.next_in = row;
        z.avail_in = rowBytes + 1;
        while (z.avail_in > 0) {
            if (z.avail_out == 0 || deflate(&z, Z_NO_FLUSH) != Z_OK)
                return false;
        }
    }
    return true;
}

void CompressLowerPart(void *arg)
{
    LowerPart &part = *static_cast<LowerPart *>(arg);
    const PngPicture &picture = *part.picture;
    const uint32_t rowSize = part.rowBytes + 1;
    // The rows just above the part serve as the dictionary, so the join
    // costs almost nothing in size.
    const uint32_t dictionaryRows = (DEFLATE_WINDOW_SIZE + rowSize - 1) / rowSize;
    const uint32_t above = dictionaryRows < part.first ? dictionaryRows : part.first;
    uint8_t *dictionary = static_cast<uint8_t *>(malloc(static_cast<size_t>(above + 1) * rowSize));
    z_stream z;
    memset(&z, 0, sizeof z);
    part.done = false;
    if (dictionary && deflateInit2(&z, DEFLATE_LEVEL, Z_DEFLATED, -DEFLATE_WINDOW_BITS, DEFLATE_MEM_LEVEL,
                                   Z_DEFAULT_STRATEGY) == Z_OK) {
        for (uint32_t i = 0; i < above; ++i)
            FilterRow(picture, part.stride, part.first - above + i, dictionary + i * rowSize);
        const uint32_t window = DEFLATE_WINDOW_SIZE;
        const uint32_t length = above * rowSize < window ? above * rowSize : window;
        deflateSetDictionary(&z, dictionary + above * rowSize - length, length);
        uint8_t *row = dictionary + above * rowSize;
        z.next_out = part.out;
        z.avail_out = part.capacity;
        part.adler = adler32(0, Z_NULL, 0);
        if (DeflateRowsInto(picture, part.stride, part.rowBytes, part.first, picture.height, row, z, &part.adler) &&
            deflate(&z, Z_FINISH) == Z_STREAM_END) {
            part.size = part.capacity - z.avail_out;
            part.done = true;
        }
        deflateEnd(&z);
    }
    free(dictionary);
}

// The deflate stream and the fixed buffers of one file; all are given back
// on every path.
struct PngWriter {
    const SnapshotFileSystem &fs;
    void *file;
    uint8_t *chunk = nullptr;   // length, "IDAT", the compressed data, CRC
    uint32_t chunkSize;
    uint8_t *row = nullptr;
    uint8_t *lower = nullptr;   // the lower part's compressed data
    z_stream z;
    bool deflating = false;

    PngWriter(const SnapshotFileSystem &f, void *target, uint32_t bufferSize)
        : fs(f), file(target), chunkSize(bufferSize)
    {
        memset(&z, 0, sizeof z);
    }
    ~PngWriter()
    {
        if (deflating)
            deflateEnd(&z);
        free(chunk);
        free(row);
        free(lower);
    }
    void RestartChunk()
    {
        z.next_out = chunk + 8;
        z.avail_out = chunkSize - PNG_CHUNK_OVERHEAD;
    }
    // Writes what the buffer holds as one IDAT chunk.
    bool FlushChunk()
    {
        uint32_t dataSize = chunkSize - PNG_CHUNK_OVERHEAD - z.avail_out;
        if (dataSize == 0)
            return true;
        uint32_t size = SealChunk(chunk, "IDAT", dataSize);
        RestartChunk();
        return fs.write(fs.context, file, chunk, size);
    }
    // Calls deflate with flush until it has nothing more to give.
    int Drain(int flush)
    {
        for (;;) {
            int rc = deflate(&z, flush);
            if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR)
                return NoMemory;
            if (z.avail_out != 0)
                return Ok;
            if (!FlushChunk())
                return DiskFull;
        }
    }
    // Puts bytes into the IDAT data after what deflate wrote.
    bool Append(const uint8_t *data, uint32_t size)
    {
        while (size > 0) {
            uint32_t n = size < z.avail_out ? size : z.avail_out;
            memcpy(z.next_out, data, n);
            z.next_out += n;
            z.avail_out -= n;
            data += n;
            size -= n;
            if (z.avail_out == 0 && !FlushChunk())
                return false;
        }
        return true;
    }
    // Rows [first, end) into the stream, writing each full chunk.
    int Compress(const PngPicture &picture, uint32_t stride, uint32_t rowBytes, uint32_t first, uint32_t end)
    {
        for (uint32_t y = first; y < end; ++y) {
            FilterRow(picture, stride, y, row);
            z.next_in = row;
            z.avail_in = rowBytes + 1;
            while (z.avail_in > 0) {
                if (deflate(&z, Z_NO_FLUSH) != Z_OK)
                    return NoMemory;
                if (z.avail_out == 0 && !FlushChunk())
                    return DiskFull;
            }
        }
        return Ok;
    }
};

}  // namespace

int WritePngFileContent(const SnapshotFileSystem &fs, void *file, const PngPicture &picture,
                        uint32_t bufferSize, const PngHelperThread *helper)
{
    if (bufferSize <= PNG_CHUNK_OVERHEAD || picture.colorCount > PNG_MAX_PALETTE)
        return NoMemory;
    uint8_t header[PNG_HEADER_BYTES];
    uint32_t headerSize = BuildPngHeader(picture, header);
    if (!fs.write(fs.context, file, header, headerSize))
        return DiskFull;

    const uint32_t rowBytes = picture.width * (picture.bitsPerPixel == 8 ? 1 : 3);
    const uint32_t stride = (rowBytes + 3) & ~3u;
    PngWriter w(fs, file, bufferSize);
    w.chunk = static_cast<uint8_t *>(malloc(bufferSize));
    w.row = static_cast<uint8_t *>(malloc(rowBytes + 1));
    if (!w.chunk || !w.row)
        return NoMemory;
    if (deflateInit2(&w.z, DEFLATE_LEVEL, Z_DEFLATED, DEFLATE_WINDOW_BITS, DEFLATE_MEM_LEVEL,
                     Z_DEFAULT_STRATEGY) != Z_OK)
        return NoMemory;
    w.deflating = true;
    w.RestartChunk();

    // A large picture is compressed in two halves at once, the lower one by
    // a helper thread into a buffer of an eighth of the pixels' size (less
    // than the captured bitmap given back before). When its data does not
    // fit there, this thread compresses that half too, as if alone.
    const uint64_t pixelBytes = static_cast<uint64_t>(stride) * picture.height;
    LowerPart part = {&picture, stride, rowBytes, picture.height / 2, nullptr, 0, 0, 0, false};
    void *thread = nullptr;
    if (helper && pixelBytes >= PNG_TWO_THREAD_MIN_BYTES) {
        part.capacity = static_cast<uint32_t>(pixelBytes / 8);
        w.lower = part.out = static_cast<uint8_t *>(malloc(part.capacity));
        thread = part.out ? helper->start(CompressLowerPart, &part) : nullptr;
    }
    const uint32_t split = thread ? part.first : picture.height;
    int result = w.Compress(picture, stride, rowBytes, 0, split);
    if (thread)
        helper->join(thread);
    if (result != Ok)
        return result;

    if (thread && part.done) {
        // The upper half ends on a byte boundary without closing the stream;
        // the lower half's blocks close it, then the checksum of both.
        const uLong upperAdler = w.z.adler;
        if ((result = w.Drain(Z_SYNC_FLUSH)) != Ok)
            return result;
        uLong adler = adler32_combine(upperAdler, part.adler,
                                      static_cast<z_off_t>(picture.height - split) * (rowBytes + 1));
        uint8_t trailer[4];
        PutBigEndian32(trailer, static_cast<uint32_t>(adler));
        if (!w.Append(part.out, part.size) || !w.Append(trailer, sizeof trailer) || !w.FlushChunk())
            return DiskFull;
    } else {
        if ((result = w.Compress(picture, stride, rowBytes, split, picture.height)) != Ok ||
            (result = w.Drain(Z_FINISH)) != Ok)
            return result;
        if (!w.FlushChunk())
            return DiskFull;
    }

    uint8_t end[PNG_CHUNK_OVERHEAD];
    SealChunk(end, "IEND", 0);
    return fs.write(fs.context, file, end, sizeof end) ? Ok : DiskFull;
}

namespace {
struct PngContent {
    const PngPicture *picture;
    const PngHelperThread *helper;
};

int WritePngContent(const SnapshotFileSystem &fs, void *file, const void *content)
{
    const PngContent &c = *static_cast<const PngContent *>(content);
    return WritePngFileContent(fs, file, *c.picture, PNG_OUTPUT_BUFFER_SIZE, c.helper);
}
}  // namespace

int SavePngFile(const SnapshotFileSystem &fs, const char *path, const PngPicture &picture,
                KeptFiles *kept, const PngHelperThread *helper)
{
    const PngContent content = {&picture, helper};
    return SaveSnapshotFile(fs, path, WritePngContent, &content, kept);
}
