#include <gtest/gtest.h>
#include <string.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "snap/engine/bitmap_file.h"
#include "snap/engine/dib_layout.h"
#include "snap/engine/snap_result.h"

// An in-memory file system that records every call and can be told to fail
// one of them.
struct FakeFiles {
    std::map<std::string, std::string> files;
    std::map<int, std::string> open;  // handle -> path
    int nextHandle = 1;
    std::vector<uint32_t> writes;
    int failWriteAt = -1;          // index into writes that comes back short
    bool failCreate = false;
    bool failClose = false;
    int replaceOutcome = REPLACED;
    std::string undeletable;       // a file that remove() refuses, as a read-only one
    std::set<int> failRenames;     // indices of rename calls that fail
    int renames = 0;
    // When set, every remove must leave the old picture somewhere or the new
    // one at its path: losing both is the fault this watches for.
    std::string watchedPath, oldPicture, newPicture;
    bool bothLost = false;

    SnapshotFileSystem Fs()
    {
        SnapshotFileSystem fs;
        fs.context = this;
        fs.exists = [](void *c, const char *p) { return Self(c)->files.count(p) != 0; };
        fs.createNew = [](void *c, const char *p) -> void * {
            FakeFiles *f = Self(c);
            if (f->failCreate || f->files.count(p))
                return nullptr;
            return f->Open(p);
        };
        fs.createTemp = [](void *c, const char *p, char *temp, size_t size) -> void * {
            FakeFiles *f = Self(c);
            if (f->failCreate)
                return nullptr;
            std::string dir(p, strrchr(p, '\\') + 1);
            snprintf(temp, size, "%stmp%d.tmp", dir.c_str(), f->nextHandle);
            return f->Open(temp);
        };
        fs.write = [](void *c, void *file, const void *data, uint32_t size) {
            FakeFiles *f = Self(c);
            std::string &content = f->files[f->open.at((int)(intptr_t)file)];
            bool fail = (int)f->writes.size() == f->failWriteAt;
            f->writes.push_back(size);
            content.append(static_cast<const char *>(data), fail ? size / 2 : size);
            return !fail;
        };
        fs.close = [](void *c, void *file) {
            Self(c)->open.erase((int)(intptr_t)file);
            return !Self(c)->failClose;
        };
        fs.remove = [](void *c, const char *p) {
            FakeFiles *f = Self(c);
            bool removed = f->undeletable != p && f->files.erase(p) == 1;
            f->bothLost |= !f->watchedPath.empty() && !f->Holds(f->oldPicture) &&
                           !(f->files.count(f->watchedPath) && f->files[f->watchedPath] == f->newPicture);
            return removed;
        };
        fs.replace = [](void *c, const char *from, const char *to) {
            FakeFiles *f = Self(c);
            if (f->replaceOutcome == REPLACED)
                f->Move(from, to);
            return f->replaceOutcome;
        };
        fs.rename = [](void *c, const char *from, const char *to) {
            FakeFiles *f = Self(c);
            if (f->failRenames.count(f->renames++) || f->files.count(to))
                return false;
            f->Move(from, to);
            return true;
        };
        return fs;
    }

    static FakeFiles *Self(void *c) { return static_cast<FakeFiles *>(c); }
    bool Holds(const std::string &content) const
    {
        for (const auto &file : files)
            if (file.second == content)
                return true;
        return false;
    }
    void *Open(const char *path)
    {
        files[path] = "";
        open[nextHandle] = path;
        return (void *)(intptr_t)nextHandle++;
    }
    void Move(const char *from, const char *to)
    {
        files[to] = files.at(from);
        files.erase(from);
    }
};

// A small 8-bit picture whose file content is known byte for byte.
struct Picture {
    uint8_t fileHeader[BITMAP_FILE_HEADER_SIZE];
    uint8_t infoHeader[BITMAP_INFO_HEADER_SIZE];
    std::vector<uint8_t> colorTable = std::vector<uint8_t>(COLOR_TABLE_SIZE_8BPP, 0x11);
    std::vector<uint8_t> pixels;

    explicit Picture(uint32_t pixelBytes) : pixels(pixelBytes)
    {
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = (uint8_t)(i * 7);
        BuildFileHeader(COLOR_TABLE_SIZE_8BPP, pixelBytes, fileHeader);
        memset(infoHeader, 0x22, sizeof infoHeader);
    }
    std::string Bytes() const
    {
        std::string s((const char *)fileHeader, sizeof fileHeader);
        s.append((const char *)infoHeader, sizeof infoHeader);
        s.append(colorTable.begin(), colorTable.end());
        s.append(pixels.begin(), pixels.end());
        return s;
    }
    int Save(FakeFiles &f, const char *path) const
    {
        return SaveBitmapFile(f.Fs(), path, fileHeader, infoHeader, colorTable.data(),
                              (uint32_t)colorTable.size(), pixels.data(), (uint32_t)pixels.size());
    }
};

// The pixel chunks are at most 4096 bytes and, after the first, start at
// file offsets that are multiples of 4096.
TEST(BitmapFileBody, HeadersTableThenPixelsInChunksOf4096)
{
    struct Case {
        uint32_t pixels;
        uint32_t table;
        std::vector<uint32_t> writes;
    } cases[] = {
        {10000, 1024, {14, 40, 1024, 3018, 4096, 2886}},
        {10000, 0, {14, 40, 4042, 4096, 1862}},
        {8192, 0, {14, 40, 4042, 4096, 54}},
        {4043, 0, {14, 40, 4042, 1}},
        {4042, 0, {14, 40, 4042}},
        {24, 1024, {14, 40, 1024, 24}},
    };
    for (const Case &c : cases) {
        Picture pic(c.pixels);
        FakeFiles f;
        SnapshotFileSystem fs = f.Fs();
        void *file = fs.createNew(&f, "C:\\a.bmp");
        ASSERT_TRUE(WriteBitmapFileBody(fs, file, pic.fileHeader, pic.infoHeader, pic.colorTable.data(),
                                        c.table, pic.pixels.data(), c.pixels));
        EXPECT_EQ(f.writes, c.writes) << c.pixels;
    }
}

TEST(BitmapFileBody, EveryShortWriteStopsTheWriting)
{
    // Index 0 to 2 are the header writes, which must be examined like the
    // pixel chunks: a short header makes an unreadable file.
    for (int failAt = 0; failAt < 6; ++failAt) {
        Picture pic(10000);
        FakeFiles f;
        f.failWriteAt = failAt;
        SnapshotFileSystem fs = f.Fs();
        void *file = fs.createNew(&f, "C:\\a.bmp");
        EXPECT_FALSE(WriteBitmapFileBody(fs, file, pic.fileHeader, pic.infoHeader, pic.colorTable.data(),
                                         COLOR_TABLE_SIZE_8BPP, pic.pixels.data(), 10000))
            << failAt;
        EXPECT_EQ(f.writes.size(), (size_t)failAt + 1);
    }
}

TEST(SaveBitmapFile, NewFileHoldsExactlyTheBytes)
{
    Picture pic(10000);
    FakeFiles f;
    EXPECT_EQ(pic.Save(f, "C:\\S\\snap001.bmp"), Ok);
    ASSERT_EQ(f.files.size(), 1u);
    EXPECT_EQ(f.files["C:\\S\\snap001.bmp"], pic.Bytes());
    EXPECT_EQ(f.files["C:\\S\\snap001.bmp"].size(), 54u + 1024u + 10000u);
    EXPECT_TRUE(f.open.empty());
}

TEST(SaveBitmapFile, FailedNewFileIsRemoved)
{
    for (int failAt : {0, 1, 2, 3, 5}) {
        Picture pic(10000);
        FakeFiles f;
        f.failWriteAt = failAt;
        EXPECT_EQ(pic.Save(f, "C:\\S\\snap001.bmp"), DiskFull) << failAt;
        EXPECT_TRUE(f.files.empty()) << failAt;
        EXPECT_TRUE(f.open.empty());
    }
    Picture pic(100);
    FakeFiles f;
    f.failClose = true;
    EXPECT_EQ(pic.Save(f, "C:\\S\\snap001.bmp"), DiskFull);
    EXPECT_TRUE(f.files.empty());
}

TEST(SaveBitmapFile, FileThatCannotBeCreatedLeavesNothing)
{
    Picture pic(100);
    FakeFiles f;
    f.failCreate = true;
    EXPECT_EQ(pic.Save(f, "C:\\S\\snap001.bmp"), CannotCreateFile);
    EXPECT_TRUE(f.files.empty());
    EXPECT_TRUE(f.writes.empty());

    f.files["C:\\S\\old.bmp"] = "old";
    EXPECT_EQ(pic.Save(f, "C:\\S\\old.bmp"), CannotCreateFile);
    EXPECT_EQ(f.files, (std::map<std::string, std::string>{{"C:\\S\\old.bmp", "old"}}));
}

TEST(SaveBitmapFile, ReplacingAnExistingFileCompletely)
{
    // A longer old file must not leave its tail behind.
    Picture pic(100);
    FakeFiles f;
    f.files["C:\\S\\old.bmp"] = std::string(5000, 'o');
    EXPECT_EQ(pic.Save(f, "C:\\S\\old.bmp"), Ok);
    EXPECT_EQ(f.files, (std::map<std::string, std::string>{{"C:\\S\\old.bmp", pic.Bytes()}}));
}

TEST(SaveBitmapFile, FailureWhileReplacingKeepsTheOldFile)
{
    for (int failAt : {0, 2, 4}) {
        Picture pic(10000);
        FakeFiles f;
        f.files["C:\\S\\old.bmp"] = "old";
        f.failWriteAt = failAt;
        EXPECT_EQ(pic.Save(f, "C:\\S\\old.bmp"), DiskFull);
        EXPECT_EQ(f.files, (std::map<std::string, std::string>{{"C:\\S\\old.bmp", "old"}})) << failAt;
    }

    Picture pic(100);
    FakeFiles f;
    f.files["C:\\S\\old.bmp"] = "old";
    f.replaceOutcome = REPLACE_FAILED;  // for example a read-only file
    EXPECT_EQ(pic.Save(f, "C:\\S\\old.bmp"), CannotCreateFile);
    EXPECT_EQ(f.files, (std::map<std::string, std::string>{{"C:\\S\\old.bmp", "old"}}));
}

// Without an atomic replace: the old file moved aside, the new one renamed
// into place, the old one deleted; a failing step is undone so that neither
// picture is ever lost. Renames: 0 old aside, 1 new into place, 2 old back.
TEST(SaveBitmapFile, WithoutAtomicReplaceNeitherPictureIsEverLost)
{
    const char *const path = "C:\\S\\old.bmp";
    struct Case {
        std::set<int> failRenames;
        int result;
        bool newAtPath;  // else the old file is at path, or nothing is
    } cases[] = {
        {{}, Ok, true},
        {{0}, CannotCreateFile, false},       // the old file cannot move
        {{1}, CannotCreateFile, false},       // the new one cannot: old put back
        {{1, 2}, SnapshotKeptAside, false},   // nor can the old one go back
    };
    Picture pic(100);
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "failing renames " << c.failRenames.size() << " " << c.result);
        FakeFiles f;
        f.files[path] = "old";
        f.replaceOutcome = REPLACE_UNSUPPORTED;
        f.failRenames = c.failRenames;
        f.watchedPath = path;
        f.oldPicture = "old";
        f.newPicture = pic.Bytes();
        KeptFiles kept = {};
        EXPECT_EQ(SaveBitmapFile(f.Fs(), path, pic.fileHeader, pic.infoHeader, pic.colorTable.data(),
                                 (uint32_t)pic.colorTable.size(), pic.pixels.data(),
                                 (uint32_t)pic.pixels.size(), &kept),
                  c.result);
        EXPECT_FALSE(f.bothLost);
        if (c.result == SnapshotKeptAside) {
            EXPECT_EQ(f.files, (std::map<std::string, std::string>{{kept.snapshot, pic.Bytes()},
                                                                   {kept.oldFile, "old"}}));
            char text[4 * TEMP_PATH_SIZE];
            ASSERT_TRUE(FormatKeptMessage(text, sizeof text, path, kept));
            EXPECT_NE(strstr(text, kept.snapshot), nullptr);
            EXPECT_NE(strstr(text, kept.oldFile), nullptr);
            EXPECT_FALSE(FormatKeptMessage(text, 40, path, kept));
            EXPECT_STREQ(text, "");
        } else {
            EXPECT_EQ(f.files, (std::map<std::string, std::string>{{path, c.newAtPath ? pic.Bytes() : "old"}}));
        }
    }
}
