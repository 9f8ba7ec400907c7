#include <gtest/gtest.h>
#include <stdint.h>

#include "snap/engine/clipboard_palette.h"

TEST(ColorTableToPaletteEntries, BlueAndRedChangePlacesAndFlagsAreZero)
{
    // Blue 0x10, green 0x20, red 0x30; a reserved byte that is not zero
    // must not become palette flags.
    const uint8_t table[] = {0x10, 0x20, 0x30, 0x00, 0xFF, 0x00, 0x01, 0x7F};
    uint8_t entries[8];
    ColorTableToPaletteEntries(table, 2, entries);
    const uint8_t expected[] = {0x30, 0x20, 0x10, 0x00, 0x01, 0x00, 0xFF, 0x00};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(entries[i], expected[i]) << i;
}
