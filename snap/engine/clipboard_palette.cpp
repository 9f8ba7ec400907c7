#include "snap/engine/clipboard_palette.h"

void ColorTableToPaletteEntries(const uint8_t *colorTable, int count, uint8_t *entries)
{
    for (int i = 0; i < count; ++i) {
        const uint8_t *quad = colorTable + 4 * i;
        uint8_t *entry = entries + 4 * i;
        entry[0] = quad[2];
        entry[1] = quad[1];
        entry[2] = quad[0];
        entry[3] = 0;
    }
}
