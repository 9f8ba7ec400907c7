#include "snap/shell/hotkey_keys.h"

#include <gtest/gtest.h>

namespace {

TEST(HotKeyToModifiers, EachControlFlagBecomesItsModifier)
{
    struct Case {
        unsigned char flags;
        unsigned modifiers;
    } cases[] = {
        {0x00, 0},
        {HOTKEY_FLAG_SHIFT, HOTKEY_MOD_SHIFT},
        {HOTKEY_FLAG_CONTROL, HOTKEY_MOD_CONTROL},
        {HOTKEY_FLAG_ALT, HOTKEY_MOD_ALT},
        {HOTKEY_FLAG_SHIFT | HOTKEY_FLAG_CONTROL, 0x0006},  // the default Ctrl+Shift
        {HOTKEY_FLAG_SHIFT | HOTKEY_FLAG_CONTROL | HOTKEY_FLAG_ALT, 0x0007},
        {HOTKEY_FLAG_CONTROL | HOTKEY_FLAG_ALT, 0x0003},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "flags 0x" << std::hex << unsigned(c.flags));
        EXPECT_EQ(c.modifiers, HotKeyToModifiers(c.flags));
    }
}

TEST(HotKeyToModifiers, ExtendedAndUndefinedBitsAreDropped)
{
    EXPECT_EQ(0u, HotKeyToModifiers(HOTKEY_FLAG_EXT));
    EXPECT_EQ(HotKeyToModifiers(0x03), HotKeyToModifiers(0x03 | HOTKEY_FLAG_EXT));
    // Bits above the four flags mean nothing to the control.
    EXPECT_EQ(0u, HotKeyToModifiers(0xF0));
    EXPECT_EQ(0x0007u, HotKeyToModifiers(0xFF));
}

TEST(HotKeyCode, SplitsIntoFlagsAndVirtualKey)
{
    EXPECT_EQ(0x03, HotKeyFlags(0x0353));
    EXPECT_EQ(0x53, HotKeyVirtualKey(0x0353));  // 'S'
    EXPECT_EQ(0x0B, HotKeyFlags(0x0B70));       // Ctrl+Shift+Ext, F1
    EXPECT_EQ(0x70, HotKeyVirtualKey(0x0B70));
    EXPECT_EQ(0x00, HotKeyFlags(0x0053));
}

}  // namespace

TEST(HotKeyName, ModifiersInControlOrderThenTheKey)
{
    struct Case {
        uint16_t code;
        const char *name;
    } cases[] = {
        {0x0353, "Ctrl+Shift+S"},
        {0x0453, "Alt+S"},
        {0x0770, "Ctrl+Shift+Alt+F1"},
        {0x0287, "Ctrl+F24"},
        {0x0E2E, "Ctrl+Alt+Delete"},  // the extended flag adds no name
        {0x0630, "Ctrl+Alt+0"},
        {0x0469, "Alt+Num 9"},
        {0x022C, "Ctrl+Print Screen"},
        {0x02BA, "Ctrl+Key 0xBA"},
        {0x0041, "A"},
    };
    for (const Case &c : cases) {
        char name[40];
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(HotKeyName(c.code, name, sizeof name));
        EXPECT_STREQ(c.name, name);
    }
}

TEST(HotKeyName, NoKeyOrNoRoomGivesAnEmptyText)
{
    char name[13] = "x";
    EXPECT_FALSE(HotKeyName(0x0300, name, sizeof name));
    EXPECT_STREQ("", name);
    EXPECT_TRUE(HotKeyName(0x0353, name, sizeof name));  // exactly 12 characters
    char small[12] = "x";
    EXPECT_FALSE(HotKeyName(0x0353, small, sizeof small));
    EXPECT_STREQ("", small);
    EXPECT_FALSE(HotKeyName(0x0353, small, 0));
}

TEST(SnapKeys, DuplicatesFoundAsRegisteredAndEmptyKeysNeverCollide)
{
    size_t first = 9, second = 9;
    const uint16_t none[SNAP_KEY_COUNT] = {0x0353, 0, 0, 0, 0};
    EXPECT_FALSE(FindDuplicateKeys(none, &first, &second));
    const uint16_t distinct[SNAP_KEY_COUNT] = {0x0353, 0x0646, 0x0653, 0x0246, 0x0046};
    EXPECT_FALSE(FindDuplicateKeys(distinct, &first, &second));
    // The extended-key flag is not registered: Ctrl+Shift+S twice.
    const uint16_t same[SNAP_KEY_COUNT] = {0x0353, 0x0646, 0, 0x0646, 0x0B53};
    ASSERT_TRUE(FindDuplicateKeys(same, &first, &second));
    EXPECT_EQ(first, 0u);
    EXPECT_EQ(second, 4u);
    EXPECT_STREQ(SnapKeyPurpose(0), "the source chosen in Setup");
    EXPECT_STREQ(SnapKeyPurpose(4), "the last area");
}

TEST(SnapKeys, SignOnListsEveryKeySetAndRefusesWhatDoesNotFit)
{
    char out[120];
    const uint16_t none[SNAPSHOT_KEY_KINDS] = {0, 0, 0, 0};
    ASSERT_TRUE(ListKindKeys(none, out, sizeof out));
    EXPECT_STREQ(out, "");
    const uint16_t some[SNAPSHOT_KEY_KINDS] = {0x0646, 0, 0x0641, 0x002C};
    ASSERT_TRUE(ListKindKeys(some, out, sizeof out));
    EXPECT_STREQ(out, "Full screen: Ctrl+Alt+F   Area: Ctrl+Alt+A\nLast area: Print Screen");
    char small[30];
    EXPECT_FALSE(ListKindKeys(some, small, sizeof small));
    EXPECT_STREQ(small, "");
}
