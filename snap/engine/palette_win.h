// Logical palettes of the 256 entries an 8-bit snapshot has.
#pragma once
#include <windows.h>

// A logical palette of the PALETTE_ENTRIES_8BPP entries given, or NULL when
// there is no memory for its description or GDI refuses it.
HPALETTE CreatePalette8bpp(const PALETTEENTRY *entries);
