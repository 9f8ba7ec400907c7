// The colours of a snapshot's colour table as logical palette entries.
// Portable: no Windows headers.
#pragma once
#include <stdint.h>

// Turns count RGBQUAD entries (blue, green, red, zero) into PALETTEENTRY
// entries (red, green, blue, flags 0), 4 bytes each.
void ColorTableToPaletteEntries(const uint8_t *colorTable, int count, uint8_t *entries);
