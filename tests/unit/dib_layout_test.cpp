#include <gtest/gtest.h>
#include <stdint.h>
#include <string.h>

#include <vector>

#include "snap/engine/dib_layout.h"

static uint32_t U32(const uint8_t *p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24;
}

static uint16_t U16(const uint8_t *p)
{
    return (uint16_t)(p[0] | p[1] << 8);
}

TEST(DibLayout, SizesOfSmallSnapshots)
{
    struct Case {
        int32_t width, height;
        int bits;
        uint32_t row, table, pixels, block, file, offset;
    } cases[] = {
        {5, 3, 8, 8, 1024, 24, 1088, 1102, 1078},
        {5, 3, 24, 16, 0, 48, 88, 102, 54},
        {4, 1, 8, 4, 1024, 4, 1068, 1082, 1078},
        {4, 2, 24, 12, 0, 24, 64, 78, 54},
        {1, 1, 24, 4, 0, 4, 44, 58, 54},
        {1920, 1080, 24, 5760, 0, 6220800, 6220840, 6220854, 54},
    };
    for (const Case &c : cases) {
        DibLayout l;
        ASSERT_TRUE(ComputeDibLayout(c.width, c.height, c.bits, &l)) << c.width << "x" << c.height;
        EXPECT_EQ(l.rowSize, c.row);
        EXPECT_EQ(l.colorTableSize, c.table);
        EXPECT_EQ(l.pixelArraySize, c.pixels);
        EXPECT_EQ(l.blockSize, c.block);
        EXPECT_EQ(l.fileSize, c.file);
        EXPECT_EQ(l.pixelOffset, c.offset);
        EXPECT_EQ(l.bitsPerPixel, c.bits);
    }
}

TEST(DibLayout, AnyDepthButEightIsRead24Bits)
{
    // A depth outside 8 and 24 must not make GetDIBits write more than the
    // block holds (32 bits per pixel into a 24-bit sized buffer).
    for (int bits : {0, 1, 16, 32}) {
        DibLayout l;
        ASSERT_TRUE(ComputeDibLayout(5, 3, bits, &l));
        EXPECT_EQ(l.bitsPerPixel, 24);
        EXPECT_EQ(l.rowSize, 16u);
    }
}

TEST(DibLayout, RefusesEmptyAndOversizedRatherThanWrapping)
{
    DibLayout l;
    EXPECT_FALSE(ComputeDibLayout(0, 3, 24, &l));
    EXPECT_FALSE(ComputeDibLayout(5, 0, 8, &l));
    EXPECT_FALSE(ComputeDibLayout(-5, 3, 24, &l));
    EXPECT_FALSE(ComputeDibLayout(5, -3, 24, &l));
    // Row size alone overflows 32 bits at 24 bits per pixel.
    EXPECT_FALSE(ComputeDibLayout(INT32_MAX, 1, 24, &l));
    // 65536 x 65536 x 3 wraps a 32-bit product to exactly 0.
    EXPECT_FALSE(ComputeDibLayout(65536, 65536, 24, &l));
    // At 8 bits the last row that still fits in a 32-bit file size, and one more.
    ASSERT_TRUE(ComputeDibLayout(65536, 65535, 8, &l));
    EXPECT_EQ(l.fileSize, 54u + 1024u + 65536u * 65535u);
    EXPECT_FALSE(ComputeDibLayout(65536, 65536, 8, &l));
    EXPECT_EQ(l.blockSize, 0u);
}

TEST(DibLayout, InfoHeaderBytes)
{
    for (int bits : {8, 24}) {
        DibLayout l;
        ASSERT_TRUE(ComputeDibLayout(5, 3, bits, &l));
        uint8_t h[BITMAP_INFO_HEADER_SIZE];
        memset(h, 0xCC, sizeof h);
        BuildInfoHeader(l, h);
        EXPECT_EQ(U32(h + 0), 40u);
        EXPECT_EQ(U32(h + 4), 5u);
        EXPECT_EQ(U32(h + 8), 3u);
        EXPECT_EQ(U16(h + 12), 1);
        EXPECT_EQ(U16(h + 14), bits);
        EXPECT_EQ(U32(h + 16), 0u);  // BI_RGB
        EXPECT_EQ(U32(h + 20), 0u);
        EXPECT_EQ(U32(h + 24), 0u);
        EXPECT_EQ(U32(h + 28), 0u);
        EXPECT_EQ(U32(h + 32), bits == 8 ? 256u : 0u);
        EXPECT_EQ(U32(h + 36), 0u);
    }
}

TEST(DibLayout, FileHeaderBytes)
{
    uint8_t h[BITMAP_FILE_HEADER_SIZE];
    memset(h, 0xCC, sizeof h);
    ASSERT_TRUE(BuildFileHeader(1024, 24, h));
    const uint8_t expected8[] = {'B', 'M', 0x4E, 0x04, 0, 0, 0, 0, 0, 0, 0x36, 0x04, 0, 0};  // 1102, 1078
    EXPECT_EQ(memcmp(h, expected8, sizeof h), 0);

    ASSERT_TRUE(BuildFileHeader(0, 48, h));
    const uint8_t expected24[] = {'B', 'M', 102, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0};
    EXPECT_EQ(memcmp(h, expected24, sizeof h), 0);

    ASSERT_TRUE(BuildFileHeader(0, 0x12345678, h));
    EXPECT_EQ(U32(h + 2), 0x12345678u + 54u);
    EXPECT_FALSE(BuildFileHeader(1024, UINT32_MAX - 1000, h));
}

// Every width from one pixel to past two groups of four, packed into a
// separate buffer and where the 32-bit rows lie: the same pixels, rows in
// place, and zeroed pads, whatever the pad bytes held before.
TEST(DibLayout, Packs32BitRowsTo24InPlaceAndApart)
{
    for (int32_t width = 1; width <= 10; ++width) {
        SCOPED_TRACE(width);
        DibLayout layout;
        ASSERT_TRUE(ComputeDibLayout(width, 3, 24, &layout));
        const uint32_t fromRowSize = static_cast<uint32_t>(width) * 4;
        std::vector<uint8_t> source(fromRowSize * 3);
        for (size_t i = 0; i < source.size(); ++i)
            source[i] = static_cast<uint8_t>(i * 7 + 1);
        std::vector<uint8_t> expected(layout.pixelArraySize, 0);
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t x = 0; x < width; ++x)
                for (int c = 0; c < 3; ++c)
                    expected[y * layout.rowSize + x * 3 + c] = source[y * fromRowSize + x * 4 + c];

        std::vector<uint8_t> apart(layout.pixelArraySize, 0xEE);
        PackPixels32To24(source.data(), fromRowSize, layout, apart.data());
        EXPECT_EQ(apart, expected);
        std::vector<uint8_t> inPlace = source;
        PackPixels32To24(inPlace.data(), fromRowSize, layout, inPlace.data());
        EXPECT_EQ(std::vector<uint8_t>(inPlace.begin(), inPlace.begin() + layout.pixelArraySize), expected);
    }
}
