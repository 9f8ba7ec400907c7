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
