#include "snap/engine/palette_win.h"

#include <stdlib.h>
#include <string.h>

#include "snap/engine/dib_layout.h"

enum { LOGPALETTE_VERSION = 0x300 };

HPALETTE CreatePalette8bpp(const PALETTEENTRY *entries)
{
    // LOGPALETTE declares one entry; the other 255 follow it.
    LOGPALETTE *description = static_cast<LOGPALETTE *>(
        malloc(sizeof(LOGPALETTE) + (PALETTE_ENTRIES_8BPP - 1) * sizeof(PALETTEENTRY)));
    if (!description)
        return NULL;
    description->palVersion = LOGPALETTE_VERSION;
    description->palNumEntries = PALETTE_ENTRIES_8BPP;
    memcpy(description->palPalEntry, entries, PALETTE_ENTRIES_8BPP * sizeof(PALETTEENTRY));
    HPALETTE palette = CreatePalette(description);
    free(description);
    return palette;
}
