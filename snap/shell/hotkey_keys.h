// Translation of a hot key control code into the arguments of RegisterHotKey.
// Portable: the Windows values are repeated here under names of our own and
// checked against the SDK's in hotkey_win.cpp.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "snap/settings/snap_settings.h"

// Modifier flags that the hot key control keeps in the high byte of its code
// (HOTKEYF_SHIFT, HOTKEYF_CONTROL, HOTKEYF_ALT, HOTKEYF_EXT).
enum {
    HOTKEY_FLAG_SHIFT = 0x01,
    HOTKEY_FLAG_CONTROL = 0x02,
    HOTKEY_FLAG_ALT = 0x04,
    HOTKEY_FLAG_EXT = 0x08
};

// Modifiers that RegisterHotKey takes (MOD_ALT, MOD_CONTROL, MOD_SHIFT).
enum {
    HOTKEY_MOD_ALT = 0x0001,
    HOTKEY_MOD_CONTROL = 0x0002,
    HOTKEY_MOD_SHIFT = 0x0004
};

// The fsModifiers for RegisterHotKey of the control's flags. The extended-key
// flag has no counterpart there and is dropped, as is every undefined bit.
unsigned HotKeyToModifiers(unsigned char flags);

// The two halves of a 16-bit hot key control code.
inline unsigned char HotKeyFlags(uint16_t code) { return (unsigned char)(code >> 8); }
inline unsigned char HotKeyVirtualKey(uint16_t code) { return (unsigned char)(code & 0xFF); }

// The key as a user reads it, "Ctrl+Shift+S": the modifiers in the order the
// hot key control shows them, then the key. Writes at most size bytes, zero
// included; returns false (out empty) when the code names no key or the text
// does not fit.
bool HotKeyName(uint16_t code, char *out, size_t size);

// The program's keys as one list: index 0 is the hot key that takes the
// source chosen in Setup, index 1 + k the key of SnapshotKeyKind k.
enum { SNAP_KEY_COUNT = 1 + SNAPSHOT_KEY_KINDS };

// What a key of the list takes, as a sentence continues after "for":
// "the source chosen in Setup", "the full screen", ...
const char *SnapKeyPurpose(size_t index);

// The first two keys of the list that would be one and the same key for
// RegisterHotKey (keys without a virtual key are none). False when there
// are no such two.
bool FindDuplicateKeys(const uint16_t codes[SNAP_KEY_COUNT], size_t *first, size_t *second);

// "Full screen: Ctrl+Alt+F   Area: Ctrl+Alt+A": every key of a kind that is
// set, two to a line, for the sign-on box; empty when none is. False (out empty) when the
// text does not fit.
bool ListKindKeys(const uint16_t kindKeys[SNAPSHOT_KEY_KINDS], char *out, size_t size);
