#include "snap/engine/dib_layout.h"

#include <string.h>

static void PutU16(uint8_t *p, uint32_t v)
{
    p[0] = (uint8_t)(v & 0xFF);
    p[1] = (uint8_t)((v >> 8) & 0xFF);
}

static void PutU32(uint8_t *p, uint32_t v)
{
    PutU16(p, v & 0xFFFF);
    PutU16(p + 2, v >> 16);
}

bool ComputeDibLayout(int32_t width, int32_t height, int bitsPerPixel, DibLayout *layout)
{
    memset(layout, 0, sizeof *layout);
    if (width <= 0 || height <= 0)
        return false;

    const uint16_t bits = bitsPerPixel == 8 ? 8 : 24;
    const uint64_t bytesPerPixel = bits / 8;
    const uint64_t colorTable = bits == 8 ? COLOR_TABLE_SIZE_8BPP : 0;
    // 64-bit arithmetic cannot overflow for 31-bit width and height.
    const uint64_t row = ((uint64_t)width * bytesPerPixel + 3) / 4 * 4;
    const uint64_t pixels = row * (uint64_t)height;
    const uint64_t file = BITMAP_FILE_HEADER_SIZE + BITMAP_INFO_HEADER_SIZE + colorTable + pixels;
    if (file > UINT32_MAX)
        return false;

    layout->width = width;
    layout->height = height;
    layout->bitsPerPixel = bits;
    layout->rowSize = (uint32_t)row;
    layout->colorTableSize = (uint32_t)colorTable;
    layout->pixelArraySize = (uint32_t)pixels;
    layout->blockSize = (uint32_t)(BITMAP_INFO_HEADER_SIZE + colorTable + pixels);
    layout->fileSize = (uint32_t)file;
    layout->pixelOffset = (uint32_t)(BITMAP_FILE_HEADER_SIZE + BITMAP_INFO_HEADER_SIZE + colorTable);
    return true;
}

void BuildInfoHeader(const DibLayout &layout, uint8_t out[BITMAP_INFO_HEADER_SIZE])
{
    memset(out, 0, BITMAP_INFO_HEADER_SIZE);
    PutU32(out + 0, BITMAP_INFO_HEADER_SIZE);    // biSize
    PutU32(out + 4, (uint32_t)layout.width);     // biWidth
    PutU32(out + 8, (uint32_t)layout.height);    // biHeight, positive: bottom-up
    PutU16(out + 12, 1);                         // biPlanes
    PutU16(out + 14, layout.bitsPerPixel);       // biBitCount
    // biCompression BI_RGB, biSizeImage and the resolutions stay 0.
    PutU32(out + 32, layout.colorTableSize / 4); // biClrUsed
}

bool BuildFileHeader(uint32_t colorTableSize, uint32_t pixelArraySize,
                     uint8_t out[BITMAP_FILE_HEADER_SIZE])
{
    memset(out, 0, BITMAP_FILE_HEADER_SIZE);
    const uint64_t offset = (uint64_t)BITMAP_FILE_HEADER_SIZE + BITMAP_INFO_HEADER_SIZE + colorTableSize;
    const uint64_t size = offset + pixelArraySize;
    if (size > UINT32_MAX)
        return false;
    out[0] = 'B';
    out[1] = 'M';
    PutU32(out + 2, (uint32_t)size);   // bfSize
    PutU32(out + 10, (uint32_t)offset); // bfOffBits
    return true;
}

// Four pixels into three 32-bit words at a time. Each group is read whole
// before it is written, and what is written never runs ahead of what is
// read, so the row may be packed where it lies.
static void PackRow32To24(const uint8_t *from, uint8_t *to, int32_t width)
{
    int32_t x = 0;
    for (; x + 4 <= width; x += 4, from += 16, to += 12) {
        uint32_t p[4], w[3];
        memcpy(p, from, sizeof p);
        w[0] = (p[0] & 0xFFFFFF) | (p[1] << 24);
        w[1] = ((p[1] >> 8) & 0xFFFF) | (p[2] << 16);
        w[2] = ((p[2] >> 16) & 0xFF) | (p[3] << 8);
        memcpy(to, w, sizeof w);
    }
    for (; x < width; ++x, from += 4, to += 3) {
        const uint8_t blue = from[0], green = from[1], red = from[2];
        to[0] = blue;
        to[1] = green;
        to[2] = red;
    }
}

void PackPixels32To24(const uint8_t *from, uint32_t fromRowSize, const DibLayout &layout, uint8_t *to)
{
    const uint32_t used = static_cast<uint32_t>(layout.width) * 3;
    for (int32_t y = 0; y < layout.height; ++y) {
        uint8_t *row = to + static_cast<size_t>(y) * layout.rowSize;
        PackRow32To24(from + static_cast<size_t>(y) * fromRowSize, row, layout.width);
        // A packed row's pad bytes would otherwise keep whatever the 32-bit
        // pixels left there.
        memset(row + used, 0, layout.rowSize - used);
    }
}
