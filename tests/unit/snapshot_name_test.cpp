#include <gtest/gtest.h>
#include <string.h>

#include <set>
#include <string>

#include "snap/engine/bitmap_file.h"
#include "snap/settings/snap_settings.h"
#include "tests/unit/ansi_steps.h"

static bool InSet(void *context, const char *path)
{
    return static_cast<std::set<std::string> *>(context)->count(path) != 0;
}

TEST(SnapshotName, FormatsThreeDigitNumbersAfterTheDirectory)
{
    char out[SNAPSHOT_PATH_SIZE];
    ASSERT_TRUE(FormatSnapshotName(out, sizeof out, "C:\\SNAPS\\", 7));
    EXPECT_STREQ(out, "C:\\SNAPS\\snap007.bmp");
    ASSERT_TRUE(FormatSnapshotName(out, sizeof out, "C:\\", 999));
    EXPECT_STREQ(out, "C:\\snap999.bmp");
}

TEST(SnapshotName, DirectoryTooLongForTheBufferIsRefusedNotCut)
{
    char out[SNAPSHOT_PATH_SIZE];
    // 138 + "snap001.bmp" + terminator is exactly 150.
    std::string fits = "C:\\" + std::string(134, 'd') + "\\";
    ASSERT_EQ(fits.size(), 138u);
    ASSERT_TRUE(FormatSnapshotName(out, sizeof out, fits.c_str(), 1));
    EXPECT_EQ(std::string(out), fits + "snap001.bmp");

    std::string tooLong = "C:\\" + std::string(135, 'd') + "\\";
    memset(out, 'x', sizeof out);
    EXPECT_FALSE(FormatSnapshotName(out, sizeof out, tooLong.c_str(), 1));
    EXPECT_STREQ(out, "");

    std::set<std::string> none;
    EXPECT_EQ(FindFreeSnapshotName(out, sizeof out, tooLong.c_str(), InSet, &none), SNAPSHOT_DIR_TOO_LONG);
    EXPECT_STREQ(out, "");
}

TEST(SnapshotName, FirstFreeNumberIsProposed)
{
    char out[SNAPSHOT_PATH_SIZE];
    std::set<std::string> taken;
    EXPECT_EQ(FindFreeSnapshotName(out, sizeof out, "C:\\S\\", InSet, &taken), 1);
    EXPECT_STREQ(out, "C:\\S\\snap001.bmp");

    taken = {"C:\\S\\snap001.bmp", "C:\\S\\snap003.bmp"};
    EXPECT_EQ(FindFreeSnapshotName(out, sizeof out, "C:\\S\\", InSet, &taken), 2);
    EXPECT_STREQ(out, "C:\\S\\snap002.bmp");

    // Files in another directory do not count.
    EXPECT_EQ(FindFreeSnapshotName(out, sizeof out, "D:\\", InSet, &taken), 1);

    taken.clear();
    char name[SNAPSHOT_PATH_SIZE];
    for (int n = 1; n <= 998; ++n) {
        ASSERT_TRUE(FormatSnapshotName(name, sizeof name, "C:\\S\\", n));
        taken.insert(name);
    }
    EXPECT_EQ(FindFreeSnapshotName(out, sizeof out, "C:\\S\\", InSet, &taken), 999);
    EXPECT_STREQ(out, "C:\\S\\snap999.bmp");

    taken.insert("C:\\S\\snap999.bmp");
    EXPECT_EQ(FindFreeSnapshotName(out, sizeof out, "C:\\S\\", InSet, &taken), NO_FREE_SNAPSHOT_NAME);
    EXPECT_STREQ(out, "");
}

TEST(SnapshotName, BitmapsAndPngFilesShareOneSequence)
{
    char out[SNAPSHOT_PATH_SIZE];
    std::set<std::string> taken = {"C:\\S\\snap001.png", "C:\\S\\snap002.bmp", "C:\\S\\snap004.png"};
    EXPECT_EQ(FindFreeSnapshotName(out, sizeof out, "C:\\S\\", InSet, &taken, "png"), 3);
    EXPECT_STREQ(out, "C:\\S\\snap003.png");
    taken.insert("C:\\S\\snap003.bmp");
    EXPECT_EQ(FindFreeSnapshotName(out, sizeof out, "C:\\S\\", InSet, &taken, "bmp"), 5);
    EXPECT_STREQ(out, "C:\\S\\snap005.bmp");
}

// The name decides the type; only a name without either extension takes
// the type chosen in the dialog.
TEST(SnapshotName, TypeComesFromTheExtensionTyped)
{
    struct Case {
        const char *name;
        int chosen, type;
        bool hasExtension;
    } cases[] = {
        {"C:\\S\\shot.png", BitmapFile, PngFile, true},
        {"C:\\S\\SHOT.PnG", BitmapFile, PngFile, true},
        {"C:\\S\\shot.bmp", PngFile, BitmapFile, true},
        {"C:\\S\\shot", PngFile, PngFile, false},
        {"C:\\S\\shot", BitmapFile, BitmapFile, false},
        {"C:\\S\\shot.txt", PngFile, PngFile, true},
        {"C:\\my.pngs\\shot", BitmapFile, BitmapFile, false},
        {"C:\\S\\shot.png.bmp", PngFile, BitmapFile, true},
        {"C:\\S\\.png", BitmapFile, BitmapFile, false},
        {"C:shot.png", BitmapFile, PngFile, true},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(FileTypeOfName(c.name, c.chosen, NextByte), c.type) << c.name;
        EXPECT_EQ(NameHasExtension(c.name, NextByte), c.hasExtension) << c.name;
    }
    // A trail byte with the value of a backslash ends no folder name.
    EXPECT_EQ(FileTypeOfName("C:\\S\\\x83\x5c.png", BitmapFile, NextDoubleByte), PngFile);
    EXPECT_EQ(FileTypeOfName("C:\\S\\\x83\x5c.png", BitmapFile, NextByte), BitmapFile);
    EXPECT_STREQ(SnapshotFileExtension(PngFile), "png");
    EXPECT_STREQ(SnapshotFileExtension(0), "bmp");
}
