// The one settings record of the snapshot program and the enumerations that
// its fields hold. Portable: no Windows headers.
#pragma once
#include <stdint.h>

enum SnapshotSource { FullScreen = 1, ActiveWindow = 2, SelectableArea = 3 };
enum SnapshotDestination { File = 1, Printer = 2, Clipboard = 3 };
enum SnapshotFileType { BitmapFile = 1, PngFile = 2 };
// Where a selectable area is picked: on the scaled-down model in the
// "Snapshot Preview" window, or on the frozen screen itself at full size.
enum AreaPicker { ModelPicker = 1, ScreenPicker = 2 };

// The keys that each take one kind of snapshot, besides the hot key that
// takes the source chosen in Setup: indexes into kindKeys.
enum SnapshotKeyKind { KeyFullScreen = 0, KeyActiveWindow, KeyArea, KeyLastArea, SNAPSHOT_KEY_KINDS };

enum {
    SNAPSHOT_DIR_SIZE = 100,      // bytes, terminator included
    DEFAULT_BITS_PER_PIXEL = 8,
    DEFAULT_MARGIN = 50,          // hundredths of an inch
    DEFAULT_HOTKEY_CODE = 0x0353, // Ctrl+Shift+S in hot key control form
    MAX_SNAPSHOT_DELAY = 30       // seconds
};

struct SnapSettingsRecord {
    char snapshotDir[SNAPSHOT_DIR_SIZE];  // always ends in a backslash once loaded
    int32_t bitsPerPixel;                 // 8 or 24
    int32_t source;                       // a SnapshotSource
    int32_t destination;                  // a SnapshotDestination
    int32_t sound;                        // 1 on, 0 off
    int32_t leftMargin;                   // hundredths of an inch
    int32_t topMargin;
    int32_t rightMargin;
    int32_t bottomMargin;
    uint16_t hotKeyCode;                  // virtual key low byte, HOTKEYF_* high byte
    int32_t fileType;                     // a SnapshotFileType: the type last saved
    uint16_t kindKeys[SNAPSHOT_KEY_KINDS]; // hot key codes by SnapshotKeyKind; 0: no key
    int32_t delay;                        // seconds a key waits before it snaps, 0 to 30
    int32_t pointer;                      // 1: the pointer is drawn into the snapshot
    int32_t picker;                       // an AreaPicker
    int32_t edit;                         // 1: the editor opens before the destination
};

// Zero-filled at program start; LoadSettings fills it before anyone reads it.
extern SnapSettingsRecord SnapSettings;
