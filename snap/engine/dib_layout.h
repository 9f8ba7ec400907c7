// Sizes and header bytes of the packed DIB a snapshot is read into and of the
// bitmap file written from it. Portable: no Windows headers.
#pragma once
#include <stdint.h>

enum {
    BITMAP_FILE_HEADER_SIZE = 14,
    BITMAP_INFO_HEADER_SIZE = 40,
    PALETTE_ENTRIES_8BPP = 256,
    COLOR_TABLE_SIZE_8BPP = PALETTE_ENTRIES_8BPP * 4  // RGBQUAD entries
};

struct DibLayout {
    int32_t width;
    int32_t height;
    uint16_t bitsPerPixel;    // 8 or 24
    uint32_t rowSize;         // bytes per row, a multiple of 4
    uint32_t colorTableSize;  // 1024 at 8 bits, 0 at 24
    uint32_t pixelArraySize;  // rowSize * height
    uint32_t blockSize;       // info header + colour table + pixel array
    uint32_t fileSize;        // file header + blockSize
    uint32_t pixelOffset;     // offset of the pixel array in the file
};

// Fills layout for a width x height snapshot. Any depth other than 8 is read
// as 24, so the buffer always matches what GetDIBits is asked for. Returns
// false for an empty or negative size and for one whose file would not fit in
// 32 bits: such sizes are refused rather than wrapped into a short buffer.
bool ComputeDibLayout(int32_t width, int32_t height, int bitsPerPixel, DibLayout *layout);

// The BITMAPINFOHEADER of the layout, little-endian, into 40 bytes.
void BuildInfoHeader(const DibLayout &layout, uint8_t out[BITMAP_INFO_HEADER_SIZE]);

// The BITMAPFILEHEADER ("BM", file size, pixel offset) for a DIB whose colour
// table and pixel array have the given sizes, into 14 bytes. Returns false
// when the file size would not fit in 32 bits.
bool BuildFileHeader(uint32_t colorTableSize, uint32_t pixelArraySize,
                     uint8_t out[BITMAP_FILE_HEADER_SIZE]);

// Packs height rows of 32-bit pixels (blue, green, red, unused), fromRowSize
// bytes apart, into the 24-bit rows of layout (whose pad bytes are zeroed).
// Works in place, with to == from: every 24-bit row ends before the 32-bit
// row after it begins.
void PackPixels32To24(const uint8_t *from, uint32_t fromRowSize, const DibLayout &layout, uint8_t *to);
