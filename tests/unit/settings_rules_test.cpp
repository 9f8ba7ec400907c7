#include <gtest/gtest.h>
#include <string.h>

#include <map>
#include <string>

#include "tests/unit/ansi_steps.h"
#include "snap/settings/settings_rules.h"

namespace {

// A registry stand-in: what the store would find under subkey\value. The
// load and save loops below walk the schema the way the Windows store does.
struct FakeValue {
    bool isText;
    std::string text;
    uint32_t number;
};
using FakeRegistry = std::map<std::string, FakeValue>;

std::string Key(const SettingEntry &e)
{
    return std::string(e.subkey) + "\\" + e.valueName;
}

SnapSettingsRecord Load(const FakeRegistry &reg, int displayBits)
{
    SnapSettingsRecord r;
    memset(&r, 0, sizeof r);
    for (size_t i = 0; i < SETTINGS_SCHEMA_COUNT; ++i) {
        const SettingEntry &e = SETTINGS_SCHEMA[i];
        auto it = reg.find(Key(e));
        if (SettingIsText(e)) {
            char buf[128];
            SettingDefaultText(e, buf, sizeof buf);
            if (it != reg.end() && it->second.isText && it->second.text.size() < e.readSize)
                snprintf(buf, sizeof buf, "%s", it->second.text.c_str());
            ApplySettingText(r, e, buf, NextByte);
        } else {
            bool found = it != reg.end() && !it->second.isText;
            ApplySettingNumber(r, e, found ? it->second.number : static_cast<uint32_t>(e.defaultNumber));
        }
    }
    r.bitsPerPixel = EffectiveBitsPerPixel(r.bitsPerPixel, displayBits);
    return r;
}

FakeRegistry Save(const SnapSettingsRecord &r)
{
    FakeRegistry reg;
    for (size_t i = 0; i < SETTINGS_SCHEMA_COUNT; ++i) {
        const SettingEntry &e = SETTINGS_SCHEMA[i];
        if (SettingIsText(e)) {
            char buf[128];
            SettingText(r, e, buf, sizeof buf);
            reg[Key(e)] = {true, buf, 0};
        } else {
            reg[Key(e)] = {false, "", SettingNumber(r, e)};
        }
    }
    return reg;
}

}  // namespace

TEST(SettingsSchema, NothingStoredGivesEveryDefault)
{
    for (int display : {8, 24, 32}) {
        SnapSettingsRecord r = Load({}, display);
        EXPECT_STREQ(r.snapshotDir, "C:\\");
        EXPECT_EQ(r.bitsPerPixel, display > 8 ? 24 : 8) << display;
        EXPECT_EQ(r.source, FullScreen);
        EXPECT_EQ(r.destination, File);
        EXPECT_EQ(r.sound, 1);
        EXPECT_EQ(r.leftMargin, 50);
        EXPECT_EQ(r.topMargin, 50);
        EXPECT_EQ(r.rightMargin, 50);
        EXPECT_EQ(r.bottomMargin, 50);
        EXPECT_EQ(r.hotKeyCode, 0x0353);
        EXPECT_EQ(r.fileType, BitmapFile);
        EXPECT_EQ(r.picker, ModelPicker);
        EXPECT_EQ(r.edit, 0);
        // The new choices keep a first start as it was: no key, no wait, no pointer.
        for (uint16_t key : r.kindKeys)
            EXPECT_EQ(key, 0);
        EXPECT_EQ(r.delay, 0);
        EXPECT_EQ(r.pointer, 0);
    }
}

TEST(SettingsSchema, SavedFormsAndRestartRestoreEveryField)
{
    SnapSettingsRecord r;
    memset(&r, 0, sizeof r);
    snprintf(r.snapshotDir, sizeof r.snapshotDir, "d:\\Shots\\");
    r.bitsPerPixel = 24;
    r.source = SelectableArea;
    r.destination = Clipboard;
    r.sound = 0;
    r.leftMargin = -25;
    r.topMargin = 0;
    r.rightMargin = 2147483647;
    r.bottomMargin = 125;
    r.hotKeyCode = 0x04A1;
    r.fileType = PngFile;
    r.kindKeys[KeyFullScreen] = 0x0646;
    r.kindKeys[KeyLastArea] = 0x002C;
    r.delay = 5;
    r.pointer = 1;

    r.picker = ScreenPicker;
    r.edit = 1;

    FakeRegistry reg = Save(r);
    EXPECT_EQ(reg["Source\\Picker"].text, "Screen");
    EXPECT_EQ(reg["HotKeys\\FullScreen"].text, "0x0646");
    EXPECT_EQ(reg["HotKeys\\ActiveWindow"].text, "0x0000");
    EXPECT_EQ(reg["HotKeys\\LastArea"].text, "0x002C");
    EXPECT_EQ(reg["Preferences\\Delay"].number, 5u);
    EXPECT_FALSE(reg["Preferences\\Delay"].isText);
    EXPECT_EQ(reg["Preferences\\Pointer"].text, "On");
    EXPECT_EQ(reg["Format\\FileType"].text, "PNG");
    EXPECT_EQ(reg["Directories\\SnapshotDir"].text, "d:\\Shots\\");
    EXPECT_EQ(reg["Source\\Area"].text, "Selected");
    EXPECT_EQ(reg["Destination\\Device"].text, "Clipboard");
    EXPECT_EQ(reg["Preferences\\Sound"].text, "Off");
    EXPECT_EQ(reg["Preferences\\Edit"].text, "On");
    EXPECT_EQ(reg["HotKey\\Code"].text, "0x04A1");
    EXPECT_EQ(reg["PageSetup\\LeftMargin"].number, 0xFFFFFFE7u);
    EXPECT_EQ(reg["Format\\BitsPerPixel"].number, 24u);

    SnapSettingsRecord odd = r;
    odd.source = 0;
    odd.destination = 7;
    odd.sound = -1;
    FakeRegistry oddReg = Save(odd);
    EXPECT_EQ(oddReg["Source\\Area"].text, "Selected");
    EXPECT_EQ(oddReg["Destination\\Device"].text, "Clipboard");
    EXPECT_EQ(oddReg["Preferences\\Sound"].text, "On");

    SnapSettingsRecord back = Load(reg, 8);
    EXPECT_STREQ(back.snapshotDir, "D:\\SHOTS\\");  // upper-cased on the way in
    EXPECT_EQ(back.bitsPerPixel, 24);
    EXPECT_EQ(back.source, SelectableArea);
    EXPECT_EQ(back.destination, Clipboard);
    EXPECT_EQ(back.sound, 0);
    EXPECT_EQ(back.leftMargin, -25);
    EXPECT_EQ(back.topMargin, 0);
    EXPECT_EQ(back.rightMargin, 2147483647);
    EXPECT_EQ(back.bottomMargin, 125);
    EXPECT_EQ(back.hotKeyCode, 0x04A1);
    EXPECT_EQ(back.fileType, PngFile);
    EXPECT_EQ(back.picker, ScreenPicker);
    EXPECT_EQ(back.edit, 1);
    EXPECT_EQ(back.kindKeys[KeyFullScreen], 0x0646);
    EXPECT_EQ(back.kindKeys[KeyArea], 0);
    EXPECT_EQ(back.kindKeys[KeyLastArea], 0x002C);
    EXPECT_EQ(back.delay, 5);
    EXPECT_EQ(back.pointer, 1);

    // A wait past the longest offered is cut to it; an unreadable key is none.
    reg["Preferences\\Delay"].number = 0xFFFFFFFFu;
    reg["HotKeys\\FullScreen"].text = "none";
    reg["Preferences\\Pointer"].text = "yes";
    SnapSettingsRecord odd2 = Load(reg, 8);
    EXPECT_EQ(odd2.delay, MAX_SNAPSHOT_DELAY);
    EXPECT_EQ(odd2.kindKeys[KeyFullScreen], 0);
    EXPECT_EQ(odd2.pointer, 0);
    // The store writes the type alone when a snapshot is saved.
    ASSERT_NE(FindSettingEntry(SETTING_FILE_TYPE), nullptr);
    EXPECT_STREQ(FindSettingEntry(SETTING_FILE_TYPE)->valueName, "FileType");
}

TEST(SnapshotDirRule, BackslashAppendedOnceAndEmptyBecomesRoot)
{
    struct { const char *in, *out; } cases[] = {
        {"c:\\snaps", "c:\\snaps\\"}, {"D:\\Pics\\", "D:\\Pics\\"}, {"", "\\"},
        {"\\", "\\"}, {"D:\\shots", "D:\\shots\\"}, {"x:\\a\\\\", "x:\\a\\\\"},
    };
    for (auto &c : cases) {
        char dir[SNAPSHOT_DIR_SIZE] = "unchanged";
        ASSERT_TRUE(MakeSnapshotDir(c.in, dir, NextByte)) << c.in;
        EXPECT_STREQ(dir, c.out);
    }
    // A folder name ending in a double-byte character with the trail byte
    // 0x5C still gets its backslash; upper-casing leaves trail bytes alone.
    char dir[SNAPSHOT_DIR_SIZE];
    ASSERT_TRUE(MakeSnapshotDir("c:\\\x95\x5C", dir, NextDoubleByte));
    EXPECT_STREQ(dir, "c:\\\x95\x5C\\");
    char text[] = "c:\\\x83\x61" "b\\";
    UpperCaseAscii(text, NextDoubleByte);
    EXPECT_STREQ(text, "C:\\\x83\x61" "B\\");
}

TEST(SnapshotDirRule, QueriedWithoutTheClosingBackslashButARootKeepsIt)
{
    struct { const char *in, *out; } cases[] = {
        {"c:\\snaps\\", "c:\\snaps"}, {"C:\\", "C:\\"}, {"\\", "\\"}, {"snaps\\", "snaps"},
        {"\\\\server\\share\\", "\\\\server\\share"}, {"x:\\a\\\\", "x:\\a\\"},
    };
    for (auto &c : cases) {
        char out[SNAPSHOT_DIR_SIZE];
        DirectoryQueryPath(c.in, out);
        EXPECT_STREQ(out, c.out) << c.in;
    }
}

TEST(SnapshotDirRule, TextThatCannotTakeItsBackslashIsRefused)
{
    std::string fits98(98, 'a');
    std::string ends99(98, 'a');
    ends99 += '\\';
    std::string no99(99, 'a');
    std::string long150(150, 'a');
    char dir[SNAPSHOT_DIR_SIZE];

    ASSERT_TRUE(MakeSnapshotDir(fits98.c_str(), dir, NextByte));
    EXPECT_EQ(strlen(dir), 99u);
    EXPECT_EQ(dir[98], '\\');
    ASSERT_TRUE(MakeSnapshotDir(ends99.c_str(), dir, NextByte));
    EXPECT_EQ(std::string(dir), ends99);

    strcpy(dir, "C:\\OLD\\");
    EXPECT_FALSE(MakeSnapshotDir(no99.c_str(), dir, NextByte));
    EXPECT_FALSE(MakeSnapshotDir(long150.c_str(), dir, NextByte));
    EXPECT_STREQ(dir, "C:\\OLD\\");
}

TEST(SnapshotDirRule, LoadingUpperCasesAndFallsBackOnARefusedText)
{
    FakeRegistry reg{{"Directories\\SnapshotDir", {true, "c:\\snaps", 0}}};
    EXPECT_STREQ(Load(reg, 8).snapshotDir, "C:\\SNAPS\\");
    reg["Directories\\SnapshotDir"].text = "";
    EXPECT_STREQ(Load(reg, 8).snapshotDir, "\\");
    reg["Directories\\SnapshotDir"].text = std::string(99, 'q');
    EXPECT_STREQ(Load(reg, 8).snapshotDir, "C:\\");

    char text[] = "c:\\\xe4\xf6z{}~`@[";
    UpperCaseAscii(text, NextByte);
    EXPECT_STREQ(text, "C:\\\xe4\xf6Z{}~`@[");
}

TEST(SettingWords, MatchIgnoringCaseOfAToZ)
{
    EXPECT_EQ(SourceFromWord("screen"), FullScreen);
    EXPECT_EQ(SourceFromWord("Window"), ActiveWindow);
    EXPECT_EQ(SourceFromWord("wINDOW"), ActiveWindow);
    EXPECT_EQ(SourceFromWord("Selected"), SelectableArea);
    EXPECT_EQ(SourceFromWord("Area"), SelectableArea);
    EXPECT_EQ(SourceFromWord("Screen "), SelectableArea);
    EXPECT_EQ(SourceFromWord(""), SelectableArea);

    EXPECT_EQ(DestinationFromWord("FILE"), File);
    EXPECT_EQ(DestinationFromWord("PRINTER"), Printer);
    EXPECT_EQ(DestinationFromWord("Disk"), Clipboard);
    EXPECT_EQ(DestinationFromWord("Fil"), Clipboard);

    EXPECT_EQ(SoundFromWord("ON"), 1);
    EXPECT_EQ(SoundFromWord("on"), 1);
    EXPECT_EQ(SoundFromWord("Off"), 0);
    EXPECT_EQ(SoundFromWord("yes"), 0);

    EXPECT_EQ(FileTypeFromWord("png"), PngFile);
    EXPECT_EQ(FileTypeFromWord("BMP"), BitmapFile);
    EXPECT_EQ(FileTypeFromWord("jpeg"), BitmapFile);  // unreadable: bitmaps, as before

    EXPECT_EQ(PickerFromWord("screen"), ScreenPicker);
    EXPECT_EQ(PickerFromWord("Model"), ModelPicker);
    EXPECT_EQ(PickerFromWord("Screen "), ModelPicker);  // anything else: the model, as before

    EXPECT_FALSE(EqualIgnoringAsciiCase("\xe4", "\xc4"));  // only A to Z fold
    EXPECT_TRUE(EqualIgnoringAsciiCase("@[", "@["));
    EXPECT_FALSE(EqualIgnoringAsciiCase("`", "@"));
}

TEST(HotKeyText, FourUpperCaseDigitsAlways)
{
    char text[HOTKEY_TEXT_SIZE];
    FormatHotKeyCode(0x0053, text, sizeof text);
    EXPECT_STREQ(text, "0x0053");
    FormatHotKeyCode(0xFFFF, text, sizeof text);
    EXPECT_STREQ(text, "0xFFFF");
}

TEST(HotKeyText, ScanKeepsLowSixteenBitsOrThePreviousCode)
{
    struct { const char *in; uint16_t out; bool read; } cases[] = {
        {"0x0653", 0x0653, true}, {"353", 0x0353, true}, {"0x10353", 0x0353, true},
        {"  0X04a1", 0x04A1, true}, {"\t353zz", 0x0353, true}, {"FFFFFFFFF", 0xFFFF, true},
        {"-1", 0xFFFF, true}, {"+0x53", 0x0053, true}, {"0xg", 0x0000, true},
        {"xyz", 0x1234, false}, {"", 0x1234, false}, {"0x", 0x0000, true},
        {"-", 0x1234, false}, {" 0xx1", 0x0000, true},
    };
    for (auto &c : cases) {
        uint16_t code = 0x1234;
        EXPECT_EQ(ScanHotKeyCode(c.in, &code), c.read) << c.in;
        EXPECT_EQ(code, c.out) << c.in;
    }
    // Through the load path: no hex digits keep the zero-filled start value.
    FakeRegistry reg{{"HotKey\\Code", {true, "zzz", 0}}};
    EXPECT_EQ(Load(reg, 8).hotKeyCode, 0);
}

TEST(DepthRule, DeepDisplaysForce24AndOtherStoredDepthsBecome8)
{
    EXPECT_EQ(EffectiveBitsPerPixel(8, 16), 24);
    EXPECT_EQ(EffectiveBitsPerPixel(8, 32), 24);
    EXPECT_EQ(EffectiveBitsPerPixel(24, 8), 24);
    EXPECT_EQ(EffectiveBitsPerPixel(8, 8), 8);
    EXPECT_EQ(EffectiveBitsPerPixel(16, 8), 8);
    EXPECT_EQ(EffectiveBitsPerPixel(0, 4), 8);
    EXPECT_EQ(EffectiveBitsPerPixel(-24, 8), 8);
    FakeRegistry reg{{"Format\\BitsPerPixel", {false, "", 32}}};
    EXPECT_EQ(Load(reg, 8).bitsPerPixel, 8);
}

TEST(LastAreaText, RoundTripsAndAnythingElseIsNone)
{
    char text[AREA_TEXT_SIZE];
    const AreaRect wide = {-2147483647 - 1, -600, 2147483647, 1080};
    FormatAreaText(wide, text, sizeof text);
    EXPECT_STREQ(text, "-2147483648,-600,2147483647,1080");
    AreaRect back = {};
    ASSERT_TRUE(ParseAreaText(text, &back));
    EXPECT_EQ(back.left, wide.left);
    EXPECT_EQ(back.bottom, 1080);
    ASSERT_TRUE(ParseAreaText(" 10, 20 ,30,40", &back));
    EXPECT_EQ(back.top, 20);
    EXPECT_EQ(back.right, 30);

    const AreaRect untouched = {1, 2, 3, 4};
    for (const char *bad : {"", "10,20,30", "10,20,30,40,50", "10;20;30;40", "10,20,30,40x", "a,b,c,d",
                            "30,20,10,40", "10,40,30,40", "2147483648,0,1,1", "10,,30,40", "-,0,1,1"}) {
        AreaRect area = untouched;
        EXPECT_FALSE(ParseAreaText(bad, &area)) << bad;
        EXPECT_EQ(area.left, 1) << bad;
    }
}
