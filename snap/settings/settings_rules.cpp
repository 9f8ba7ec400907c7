#include "snap/settings/settings_rules.h"

#include <stdio.h>
#include <string.h>

bool MakeSnapshotDir(const char *text, char *dir, NextCharFn next)
{
    size_t len = strlen(text);
    bool hasBackslash = len > 0 && *LastChar(text, next) == '\\';
    size_t needed = len + (hasBackslash ? 0 : 1);
    if (needed > SNAPSHOT_DIR_SIZE - 1)
        return false;
    memmove(dir, text, len);  // text may be dir itself
    if (!hasBackslash)
        dir[len++] = '\\';
    dir[len] = '\0';
    return true;
}

void DirectoryQueryPath(const char *dir, char *out)
{
    size_t len = strlen(dir);
    if (len >= SNAPSHOT_DIR_SIZE)
        len = SNAPSHOT_DIR_SIZE - 1;
    memmove(out, dir, len);
    bool root = len == 1 || (len == 3 && dir[1] == ':');
    if (len > 0 && dir[len - 1] == '\\' && !root)
        --len;
    out[len] = '\0';
}

void UpperCaseAscii(char *text, NextCharFn next)
{
    for (char *p = text; *p; p = const_cast<char *>(next(p)))
        if (*p >= 'a' && *p <= 'z' && next(p) == p + 1)
            *p = static_cast<char>(*p - 'a' + 'A');
}

int32_t SourceFromWord(const char *word)
{
    if (EqualIgnoringAsciiCase(word, "Screen"))
        return FullScreen;
    if (EqualIgnoringAsciiCase(word, "Window"))
        return ActiveWindow;
    return SelectableArea;
}

const char *SourceWord(int32_t source)
{
    return source == FullScreen ? "Screen" : source == ActiveWindow ? "Window" : "Selected";
}

int32_t DestinationFromWord(const char *word)
{
    if (EqualIgnoringAsciiCase(word, "File"))
        return File;
    if (EqualIgnoringAsciiCase(word, "Printer"))
        return Printer;
    return Clipboard;
}

const char *DestinationWord(int32_t destination)
{
    return destination == File ? "File" : destination == Printer ? "Printer" : "Clipboard";
}

int32_t SoundFromWord(const char *word)
{
    return EqualIgnoringAsciiCase(word, "On") ? 1 : 0;
}

const char *SoundWord(int32_t sound)
{
    return sound ? "On" : "Off";
}

int32_t FileTypeFromWord(const char *word)
{
    return EqualIgnoringAsciiCase(word, "PNG") ? PngFile : BitmapFile;
}

const char *FileTypeWord(int32_t fileType)
{
    return fileType == PngFile ? "PNG" : "BMP";
}

int32_t PickerFromWord(const char *word)
{
    return EqualIgnoringAsciiCase(word, "Screen") ? ScreenPicker : ModelPicker;
}

const char *PickerWord(int32_t picker)
{
    return picker == ScreenPicker ? "Screen" : "Model";
}

void FormatHotKeyCode(uint16_t code, char *out, size_t size)
{
    snprintf(out, size, "0x%4.4X", static_cast<unsigned>(code));
}

static int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool ScanHotKeyCode(const char *text, uint16_t *code)
{
    const char *p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    // "0x" counts as a prefix only when a digit follows; otherwise the 0
    // alone is the number, as the C library reads it.
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && HexDigitValue(p[2]) >= 0)
        p += 2;
    if (HexDigitValue(*p) < 0)
        return false;
    // Only the low 16 bits are kept, so arithmetic modulo 2^16 is exact
    // however long the number is.
    uint16_t value = 0;
    for (int d; (d = HexDigitValue(*p)) >= 0; ++p)
        value = static_cast<uint16_t>(value * 16u + static_cast<unsigned>(d));
    if (negative)
        value = static_cast<uint16_t>(0u - value);
    *code = value;
    return true;
}

int32_t EffectiveBitsPerPixel(int32_t stored, int displayBitsPerPixel)
{
    if (displayBitsPerPixel > 8)
        return 24;
    return stored == 24 ? 24 : 8;
}

static const char DEFAULT_SNAPSHOT_DIR[] = "C:\\";
enum { WORD_READ_SIZE = 50 };

const SettingEntry SETTINGS_SCHEMA[] = {
    {"Directories", "SnapshotDir", SETTING_DIRECTORY, SNAPSHOT_DIR_SIZE, DEFAULT_SNAPSHOT_DIR, 0, nullptr, 0},
    {"Format", "BitsPerPixel", SETTING_NUMBER, 0, nullptr, DEFAULT_BITS_PER_PIXEL, &SnapSettingsRecord::bitsPerPixel, 0},
    {"Source", "Area", SETTING_SOURCE, WORD_READ_SIZE, "Screen", 0, nullptr, 0},
    {"Destination", "Device", SETTING_DESTINATION, WORD_READ_SIZE, "File", 0, nullptr, 0},
    {"Preferences", "Sound", SETTING_SOUND, WORD_READ_SIZE, "On", 0, nullptr, 0},
    {"PageSetup", "LeftMargin", SETTING_NUMBER, 0, nullptr, DEFAULT_MARGIN, &SnapSettingsRecord::leftMargin, 0},
    {"PageSetup", "TopMargin", SETTING_NUMBER, 0, nullptr, DEFAULT_MARGIN, &SnapSettingsRecord::topMargin, 0},
    {"PageSetup", "RightMargin", SETTING_NUMBER, 0, nullptr, DEFAULT_MARGIN, &SnapSettingsRecord::rightMargin, 0},
    {"PageSetup", "BottomMargin", SETTING_NUMBER, 0, nullptr, DEFAULT_MARGIN, &SnapSettingsRecord::bottomMargin, 0},
    {"HotKey", "Code", SETTING_HOTKEY, HOTKEY_TEXT_SIZE, nullptr, DEFAULT_HOTKEY_CODE, nullptr, 0},
    {"Format", "FileType", SETTING_FILE_TYPE, WORD_READ_SIZE, "BMP", 0, nullptr, 0},
    // No key of a kind until the user sets one, so that a first start
    // takes nothing from other programs.
    {"HotKeys", "FullScreen", SETTING_KIND_KEY, HOTKEY_TEXT_SIZE, nullptr, 0, nullptr, KeyFullScreen},
    {"HotKeys", "ActiveWindow", SETTING_KIND_KEY, HOTKEY_TEXT_SIZE, nullptr, 0, nullptr, KeyActiveWindow},
    {"HotKeys", "Area", SETTING_KIND_KEY, HOTKEY_TEXT_SIZE, nullptr, 0, nullptr, KeyArea},
    {"HotKeys", "LastArea", SETTING_KIND_KEY, HOTKEY_TEXT_SIZE, nullptr, 0, nullptr, KeyLastArea},
    {"Preferences", "Delay", SETTING_DELAY, 0, nullptr, 0, nullptr, 0},
    {"Preferences", "Pointer", SETTING_POINTER, WORD_READ_SIZE, "Off", 0, nullptr, 0},
    {"Source", "Picker", SETTING_PICKER, WORD_READ_SIZE, "Model", 0, nullptr, 0},
    {"Preferences", "Edit", SETTING_EDIT, WORD_READ_SIZE, "Off", 0, nullptr, 0},
};
const size_t SETTINGS_SCHEMA_COUNT = sizeof SETTINGS_SCHEMA / sizeof SETTINGS_SCHEMA[0];

const SettingEntry *FindSettingEntry(SettingKind kind)
{
    for (size_t i = 0; i < SETTINGS_SCHEMA_COUNT; ++i)
        if (SETTINGS_SCHEMA[i].kind == kind)
            return &SETTINGS_SCHEMA[i];
    return nullptr;
}

void SettingDefaultText(const SettingEntry &e, char *out, size_t size)
{
    if (e.kind == SETTING_HOTKEY || e.kind == SETTING_KIND_KEY)
        FormatHotKeyCode(static_cast<uint16_t>(e.defaultNumber), out, size);
    else
        snprintf(out, size, "%s", e.defaultText ? e.defaultText : "");
}

void ApplySettingText(SnapSettingsRecord &record, const SettingEntry &e, const char *text, NextCharFn next)
{
    switch (e.kind) {
    case SETTING_DIRECTORY:
        if (!MakeSnapshotDir(text, record.snapshotDir, next))
            MakeSnapshotDir(DEFAULT_SNAPSHOT_DIR, record.snapshotDir, next);
        UpperCaseAscii(record.snapshotDir, next);
        break;
    case SETTING_SOURCE:
        record.source = SourceFromWord(text);
        break;
    case SETTING_DESTINATION:
        record.destination = DestinationFromWord(text);
        break;
    case SETTING_SOUND:
        record.sound = SoundFromWord(text);
        break;
    case SETTING_HOTKEY:
        ScanHotKeyCode(text, &record.hotKeyCode);  // no number: the code stays
        break;
    case SETTING_KIND_KEY:
        // A key that cannot be read is no key, never a stray one.
        if (!ScanHotKeyCode(text, &record.kindKeys[e.kindKey]))
            record.kindKeys[e.kindKey] = 0;
        break;
    case SETTING_FILE_TYPE:
        record.fileType = FileTypeFromWord(text);
        break;
    case SETTING_POINTER:
        record.pointer = SoundFromWord(text);  // the same On/Off words
        break;
    case SETTING_PICKER:
        record.picker = PickerFromWord(text);
        break;
    case SETTING_EDIT:
        record.edit = SoundFromWord(text);  // the same words: "On", else off
        break;
    case SETTING_NUMBER:
    case SETTING_DELAY:
        break;
    }
}

void ApplySettingNumber(SnapSettingsRecord &record, const SettingEntry &e, uint32_t value)
{
    if (e.kind == SETTING_NUMBER && e.number)
        record.*e.number = static_cast<int32_t>(value);
    // A wait beyond the longest one offered is cut to it, not taken as hours.
    if (e.kind == SETTING_DELAY)
        record.delay = value > MAX_SNAPSHOT_DELAY ? MAX_SNAPSHOT_DELAY : static_cast<int32_t>(value);
}

void SettingText(const SnapSettingsRecord &record, const SettingEntry &e, char *out, size_t size)
{
    switch (e.kind) {
    case SETTING_DIRECTORY:
        snprintf(out, size, "%s", record.snapshotDir);
        break;
    case SETTING_SOURCE:
        snprintf(out, size, "%s", SourceWord(record.source));
        break;
    case SETTING_DESTINATION:
        snprintf(out, size, "%s", DestinationWord(record.destination));
        break;
    case SETTING_SOUND:
        snprintf(out, size, "%s", SoundWord(record.sound));
        break;
    case SETTING_HOTKEY:
        FormatHotKeyCode(record.hotKeyCode, out, size);
        break;
    case SETTING_KIND_KEY:
        FormatHotKeyCode(record.kindKeys[e.kindKey], out, size);
        break;
    case SETTING_FILE_TYPE:
        snprintf(out, size, "%s", FileTypeWord(record.fileType));
        break;
    case SETTING_POINTER:
        snprintf(out, size, "%s", SoundWord(record.pointer));
        break;
    case SETTING_PICKER:
        snprintf(out, size, "%s", PickerWord(record.picker));
        break;
    case SETTING_EDIT:
        snprintf(out, size, "%s", SoundWord(record.edit));
        break;
    case SETTING_NUMBER:
    case SETTING_DELAY:
        if (size)
            out[0] = '\0';
        break;
    }
}

uint32_t SettingNumber(const SnapSettingsRecord &record, const SettingEntry &e)
{
    if (e.kind == SETTING_DELAY)
        return static_cast<uint32_t>(record.delay);
    return (e.kind == SETTING_NUMBER && e.number) ? static_cast<uint32_t>(record.*e.number) : 0;
}

void FormatAreaText(const AreaRect &area, char *out, size_t size)
{
    snprintf(out, size, "%ld,%ld,%ld,%ld", static_cast<long>(area.left), static_cast<long>(area.top),
             static_cast<long>(area.right), static_cast<long>(area.bottom));
}

// One decimal number of at most 32 bits at *p, blanks around it allowed;
// *p moves past it.
static bool ScanInt32(const char **p, int32_t *value)
{
    const char *s = *p;
    while (*s == ' ')
        ++s;
    bool negative = *s == '-';
    if (*s == '-' || *s == '+')
        ++s;
    if (*s < '0' || *s > '9')
        return false;
    int64_t n = 0;
    for (; *s >= '0' && *s <= '9'; ++s) {
        n = n * 10 + (*s - '0');
        if (n > INT64_C(2147483648))
            return false;
    }
    n = negative ? -n : n;
    if (n > INT32_MAX)
        return false;
    while (*s == ' ')
        ++s;
    *value = static_cast<int32_t>(n);
    *p = s;
    return true;
}

bool ParseAreaText(const char *text, AreaRect *area)
{
    int32_t v[4];
    const char *p = text;
    for (int i = 0; i < 4; ++i) {
        if (!ScanInt32(&p, &v[i]))
            return false;
        if (i < 3 && *p++ != ',')
            return false;
    }
    if (*p != '\0' || v[2] <= v[0] || v[3] <= v[1])
        return false;
    *area = {v[0], v[1], v[2], v[3]};
    return true;
}
