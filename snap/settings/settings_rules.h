// How each setting looks in the registry and how a stored text or number
// becomes a field of the settings record. The registry store, the Setup
// dialog and the tests all go through these rules. Portable: no Windows
// headers.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "snap/settings/snap_settings.h"
#include "snap/common/ansi_text.h"

// --- Snapshot directory ----------------------------------------------------

// Puts text into dir (SNAPSHOT_DIR_SIZE bytes) ending in exactly the one
// backslash that file names are appended to: a text without a trailing
// backslash gets one, an empty text becomes "\". A text that does not fit
// the field together with that backslash (more than 99 characters once the
// backslash is counted) is refused: dir is left untouched and the result is
// false. Cutting it instead would silently name another directory. The last
// character is found with next: a double-byte character whose trail byte
// has the value of '\\' still needs its backslash.
bool MakeSnapshotDir(const char *text, char *dir, NextCharFn next);

// The directory as a file system call names it: without the closing
// backslash, except where that backslash is the root ("\", "C:\"). dir
// comes from MakeSnapshotDir, so out (SNAPSHOT_DIR_SIZE bytes) holds it.
void DirectoryQueryPath(const char *dir, char *out);

// Upper-cases the letters a to z in place; every other character stays,
// double-byte ones (stepped over with next) whole.
void UpperCaseAscii(char *text, NextCharFn next);

// --- Words ---------------------------------------------------------------

int32_t SourceFromWord(const char *word);       // "Screen", "Window", else SelectableArea
const char *SourceWord(int32_t source);         // "Screen", "Window", "Selected"
int32_t DestinationFromWord(const char *word);  // "File", "Printer", else Clipboard
const char *DestinationWord(int32_t destination);
int32_t SoundFromWord(const char *word);        // "On" gives 1, anything else 0
const char *SoundWord(int32_t sound);           // "On" or "Off"
int32_t FileTypeFromWord(const char *word);     // "PNG" gives PngFile, anything else BitmapFile
const char *FileTypeWord(int32_t fileType);     // "PNG" or "BMP"
int32_t PickerFromWord(const char *word);       // "Screen" gives ScreenPicker, anything else ModelPicker
const char *PickerWord(int32_t picker);         // "Screen" or "Model"

// --- Hot key code --------------------------------------------------------

enum { HOTKEY_TEXT_SIZE = 10 };  // "0x%4.4X" and its terminator, with room

// "0x" and exactly four upper-case hexadecimal digits.
void FormatHotKeyCode(uint16_t code, char *out, size_t size);

// Reads text the way the C library's "%x" conversion does (leading white
// space, optional sign, optional 0x or 0X) and stores the low 16 bits of the
// number in *code. A text without a hexadecimal number leaves *code alone and
// gives false.
bool ScanHotKeyCode(const char *text, uint16_t *code);

// --- The last area ------------------------------------------------------

// A rectangle in desktop pixels, right and bottom exclusive.
struct AreaRect {
    int32_t left, top, right, bottom;
};

enum { AREA_TEXT_SIZE = 50 };  // four signed 32-bit numbers, three commas, terminator

// "left,top,right,bottom" in decimal.
void FormatAreaText(const AreaRect &area, char *out, size_t size);

// Reads what FormatAreaText wrote: four decimal numbers separated by commas,
// nothing else (blanks around the numbers allowed). False, *area untouched,
// for an empty or malformed text, a number out of range, or a rectangle
// without area: none is remembered.
bool ParseAreaText(const char *text, AreaRect *area);

// --- Colour depth --------------------------------------------------------

// The depth a snapshot is taken with, given the stored (or chosen) depth and
// the bits per pixel of the display: 24 on any display deeper than 8 bits,
// otherwise 24 when 24 was stored and 8 for everything else, since the
// snapshot pipeline makes only those two depths and the Setup dialog shows
// any value but 24 as 8 bits.
int32_t EffectiveBitsPerPixel(int32_t stored, int displayBitsPerPixel);

// --- The registry layout -------------------------------------------------

#define SETTINGS_KEY_NAME "Software\\Tamblit\\Tamblit95"

enum SettingKind {
    SETTING_DIRECTORY,    // text: snapshotDir
    SETTING_NUMBER,       // 32-bit number: the int32_t field named by 'number'
    SETTING_SOURCE,       // text: source
    SETTING_DESTINATION,  // text: destination
    SETTING_SOUND,        // text: sound
    SETTING_HOTKEY,       // text: hotKeyCode
    SETTING_KIND_KEY,     // text: kindKeys[kindKey], the same form
    SETTING_FILE_TYPE,    // text: fileType, written when a snapshot file is saved
    SETTING_DELAY,        // 32-bit number: delay, kept to 0..MAX_SNAPSHOT_DELAY
    SETTING_POINTER,      // text: pointer ("On" or "Off")
    SETTING_PICKER,       // text: picker
    SETTING_EDIT          // text: edit, "On" or "Off"
};

struct SettingEntry {
    const char *subkey;
    const char *valueName;
    SettingKind kind;
    size_t readSize;                        // text read buffer, terminator included
    const char *defaultText;                // texts (the hot key's is formatted)
    int32_t defaultNumber;                  // numbers, and the default hot key code
    int32_t SnapSettingsRecord::*number;    // SETTING_NUMBER only
    int kindKey;                            // SETTING_KIND_KEY: a SnapshotKeyKind
};

// Every stored value, in the order in which it is read and written.
extern const SettingEntry SETTINGS_SCHEMA[];
extern const size_t SETTINGS_SCHEMA_COUNT;

inline bool SettingIsText(const SettingEntry &e) { return e.kind != SETTING_NUMBER && e.kind != SETTING_DELAY; }

// The entry of a kind; null when the schema has none.
const SettingEntry *FindSettingEntry(SettingKind kind);

// The text that a missing text value stands for.
void SettingDefaultText(const SettingEntry &e, char *out, size_t size);

// Stores what was read (or the default) into the record.
void ApplySettingText(SnapSettingsRecord &record, const SettingEntry &e, const char *text, NextCharFn next);
void ApplySettingNumber(SnapSettingsRecord &record, const SettingEntry &e, uint32_t value);

// The form in which the record's field is written.
void SettingText(const SnapSettingsRecord &record, const SettingEntry &e, char *out, size_t size);
uint32_t SettingNumber(const SnapSettingsRecord &record, const SettingEntry &e);
