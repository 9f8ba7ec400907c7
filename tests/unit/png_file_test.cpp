#include <gtest/gtest.h>
#include <string.h>
#include <zlib.h>

#include <string>
#include <thread>
#include <vector>

#include "snap/engine/png_file.h"
#include "snap/engine/snap_result.h"

namespace {

// One open file in memory; the write numbered failAt comes back short.
struct MemoryFile {
    std::string bytes;
    std::vector<uint32_t> writes;
    int failAt = -1;

    SnapshotFileSystem Fs()
    {
        SnapshotFileSystem fs = {};
        fs.context = this;
        fs.write = [](void *c, void *, const void *data, uint32_t size) {
            MemoryFile *f = static_cast<MemoryFile *>(c);
            bool fail = (int)f->writes.size() == f->failAt;
            f->writes.push_back(size);
            f->bytes.append(static_cast<const char *>(data), fail ? size / 2 : size);
            return !fail;
        };
        return fs;
    }
};

uint32_t BigEndian32(const std::string &s, size_t at)
{
    const unsigned char *p = reinterpret_cast<const unsigned char *>(s.data()) + at;
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
}

struct Chunk {
    std::string type, data;
};

// Splits a PNG file into its chunks, checking the signature and every CRC.
std::vector<Chunk> ReadChunks(const std::string &file)
{
    std::vector<Chunk> chunks;
    EXPECT_EQ(file.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    for (size_t at = 8; at + 12 <= file.size();) {
        uint32_t size = BigEndian32(file, at);
        Chunk c = {file.substr(at + 4, 4), file.substr(at + 8, size)};
        uint32_t crc = (uint32_t)crc32(0, reinterpret_cast<const Bytef *>(file.data() + at + 4), size + 4);
        EXPECT_EQ(BigEndian32(file, at + 8 + size), crc) << c.type;
        chunks.push_back(c);
        at += 12 + size;
    }
    return chunks;
}

std::string Inflate(const std::string &data)
{
    std::string out(1 << 20, '\0');
    uLongf size = out.size();
    EXPECT_EQ(uncompress(reinterpret_cast<Bytef *>(&out[0]), &size,
                         reinterpret_cast<const Bytef *>(data.data()), data.size()),
              Z_OK);
    out.resize(size);
    return out;
}

struct Case {
    int bits;
    uint32_t width, height, buffer;
    bool twoThreads, smooth;  // smooth pixels compress; noise overflows the second thread's buffer
};

int g_helperStarts;
const PngHelperThread STD_THREAD = {
    [](void (*work)(void *), void *arg) -> void * {
        ++g_helperStarts;
        return new std::thread(work, arg);
    },
    [](void *handle) {
        std::thread *t = static_cast<std::thread *>(handle);
        t->join();
        delete t;
    }};

class PngFile : public ::testing::TestWithParam<Case> {};

// The file a reader sees: chunks in order with good CRCs, the header and
// palette of the picture, and exactly height rows that give back the DIB's
// pixels top-down in red-green-blue order.
TEST_P(PngFile, ReadsBackAsTheDibsPixels)
{
    const Case c = GetParam();
    const size_t sample = c.bits / 8, stride = (c.width * sample + 3) / 4 * 4;
    std::vector<uint8_t> pixels(stride * c.height), table(1024);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = c.smooth ? (uint8_t)(i / stride + i % stride / 16) : (uint8_t)(i * 2654435761u >> 13);
    for (size_t i = 0; i < table.size(); ++i)
        table[i] = (uint8_t)(i * 7 + 1);
    PngPicture pic = {c.width, c.height, c.bits, table.data(), 256, pixels.data()};

    MemoryFile f;
    g_helperStarts = 0;
    ASSERT_EQ(WritePngFileContent(f.Fs(), nullptr, pic, c.buffer, c.twoThreads ? &STD_THREAD : nullptr), Ok);
    EXPECT_EQ(g_helperStarts, c.twoThreads ? 1 : 0);
    std::vector<Chunk> chunks = ReadChunks(f.bytes);
    ASSERT_GE(chunks.size(), 3u);
    EXPECT_EQ(chunks.front().type, "IHDR");
    EXPECT_EQ(chunks.back().type, "IEND");
    const std::string ihdr = chunks[0].data;
    EXPECT_EQ(BigEndian32(ihdr, 0), c.width);
    EXPECT_EQ(BigEndian32(ihdr, 4), c.height);
    EXPECT_EQ(ihdr.substr(8), std::string(c.bits == 8 ? "\x08\x03\0\0\0" : "\x08\x02\0\0\0", 5));

    size_t first = 1;
    if (c.bits == 8) {
        ASSERT_EQ(chunks[1].type, "PLTE");
        ASSERT_EQ(chunks[1].data.size(), 768u);
        for (size_t i = 0; i < 256; ++i)
            for (size_t k = 0; k < 3; ++k)
                ASSERT_EQ((uint8_t)chunks[1].data[3 * i + k], table[4 * i + 2 - k]) << i;
        first = 2;
    }
    std::string idat;
    for (size_t i = first; i + 1 < chunks.size(); ++i) {
        ASSERT_EQ(chunks[i].type, "IDAT");
        EXPECT_LE(chunks[i].data.size(), c.buffer - 12u);
        idat += chunks[i].data;
    }
    if (c.twoThreads && c.smooth) {  // the halves meet at a flush point
        EXPECT_NE(idat.find(std::string("\0\0\xff\xff", 4)), std::string::npos);
    }
    // A short stream would pass for a picture with black rows at the bottom.
    std::string raw = Inflate(idat);
    const size_t rowBytes = c.width * sample;
    ASSERT_EQ(raw.size(), c.height * (1 + rowBytes));
    for (uint32_t y = 0; y < c.height; ++y) {
        const char *row = &raw[y * (1 + rowBytes)];
        ASSERT_EQ(row[0], 0) << "filter of row " << y;  // the one filter this reader undoes
        const uint8_t *src = &pixels[(c.height - 1 - y) * stride];
        for (size_t i = 0; i < rowBytes; ++i) {
            size_t from = c.bits == 8 ? i : i / 3 * 3 + 2 - i % 3;
            ASSERT_EQ((uint8_t)row[1 + i], src[from]) << "row " << y << " byte " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, PngFile,
    ::testing::Values(Case{24, 13, 7, PNG_OUTPUT_BUFFER_SIZE, false, false},
                      Case{8, 13, 7, PNG_OUTPUT_BUFFER_SIZE, false, false}, Case{24, 301, 97, 64, false, false},
                      Case{8, 1, 1, 13, false, false}, Case{8, 257, 33, 100, false, false},
                      Case{24, 301, 97, PNG_OUTPUT_BUFFER_SIZE, true, true}, Case{24, 301, 97, 100, true, false},
                      Case{8, 640, 480, 1000, true, true}));

TEST(PngFileWrites, EveryShortWriteStopsTheFile)
{
    std::vector<uint8_t> pixels(64 * 3 * 40);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = (uint8_t)(i * 2654435761u >> 11);
    PngPicture pic = {64, 40, 24, nullptr, 0, pixels.data()};
    MemoryFile whole;
    ASSERT_EQ(WritePngFileContent(whole.Fs(), nullptr, pic, 200), Ok);
    ASSERT_GT(whole.writes.size(), 4u);
    for (int failAt = 0; failAt < (int)whole.writes.size(); ++failAt) {
        MemoryFile f;
        f.failAt = failAt;
        EXPECT_EQ(WritePngFileContent(f.Fs(), nullptr, pic, 200), DiskFull) << failAt;
        EXPECT_EQ(f.writes.size(), (size_t)failAt + 1);
    }
}

}  // namespace
