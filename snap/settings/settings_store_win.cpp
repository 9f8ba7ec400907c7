#include "snap/settings/settings_store_win.h"

#include <string.h>

#include "snap/settings/settings_rules.h"
#include "snap/settings/snap_settings.h"
#include "snap/shell/ansi_text_win.h"
#include "snap/shell/display_depth_win.h"

namespace {

// Closes a registry key on every path.
struct KeyGuard {
    HKEY key = NULL;
    ~KeyGuard()
    {
        if (key)
            RegCloseKey(key);
    }
};

bool OpenKey(HKEY parent, const char *name, KeyGuard &out)
{
    if (!parent)
        return false;
    HKEY key;
    if (RegOpenKeyExA(parent, name, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return false;
    out.key = key;
    return true;
}

bool CreateKey(HKEY parent, const char *name, KeyGuard &out)
{
    static char noClass[] = "";
    HKEY key;
    DWORD disposition;
    if (!parent ||
        RegCreateKeyExA(parent, name, 0, noClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL, &key,
                        &disposition) != ERROR_SUCCESS)
        return false;
    out.key = key;
    return true;
}

}  // namespace

void ReadRegString(HKEY parent, const char *subkey, const char *valueName, const char *defaultText,
                   char *buffer, DWORD bufferSize)
{
    if (bufferSize == 0)
        return;
    lstrcpynA(buffer, defaultText, bufferSize);
    KeyGuard key;
    if (!OpenKey(parent, subkey, key))
        return;
    DWORD type = 0;
    DWORD size = bufferSize;
    LONG rc = RegQueryValueExA(key.key, valueName, NULL, &type, reinterpret_cast<BYTE *>(buffer), &size);
    // A text counts only when it is one and its terminator arrived with it;
    // anything else could leave the buffer unterminated or hold bytes of
    // another kind of value.
    bool good = rc == ERROR_SUCCESS && type == REG_SZ && size <= bufferSize && size > 0 &&
                memchr(buffer, '\0', size) != NULL;
    if (!good)
        lstrcpynA(buffer, defaultText, bufferSize);
}

DWORD ReadRegDword(HKEY parent, const char *subkey, const char *valueName, DWORD defaultValue)
{
    KeyGuard key;
    if (!OpenKey(parent, subkey, key))
        return defaultValue;
    DWORD value = defaultValue;
    DWORD type = 0;
    DWORD size = sizeof value;
    LONG rc = RegQueryValueExA(key.key, valueName, NULL, &type, reinterpret_cast<BYTE *>(&value), &size);
    if (rc != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value)
        return defaultValue;
    return value;
}

void WriteRegString(HKEY parent, const char *subkey, const char *valueName, const char *text)
{
    KeyGuard key;
    if (!CreateKey(parent, subkey, key))
        return;
    RegSetValueExA(key.key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                   static_cast<DWORD>(strlen(text) + 1));
}

void WriteRegDword(HKEY parent, const char *subkey, const char *valueName, DWORD value)
{
    KeyGuard key;
    if (!CreateKey(parent, subkey, key))
        return;
    RegSetValueExA(key.key, valueName, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
}

int LoadSettings(HWND hwnd)
{
    KeyGuard settingsKey;
    OpenKey(HKEY_CURRENT_USER, SETTINGS_KEY_NAME, settingsKey);  // missing: every default applies

    for (size_t i = 0; i < SETTINGS_SCHEMA_COUNT; ++i) {
        const SettingEntry &e = SETTINGS_SCHEMA[i];
        if (SettingIsText(e)) {
            char defaultText[SNAPSHOT_DIR_SIZE];
            char text[SNAPSHOT_DIR_SIZE];
            DWORD size = e.readSize < sizeof text ? static_cast<DWORD>(e.readSize) : sizeof text;
            SettingDefaultText(e, defaultText, sizeof defaultText);
            ReadRegString(settingsKey.key, e.subkey, e.valueName, defaultText, text, size);
            ApplySettingText(SnapSettings, e, text, AnsiNextChar);
        } else {
            DWORD value = ReadRegDword(settingsKey.key, e.subkey, e.valueName, static_cast<DWORD>(e.defaultNumber));
            ApplySettingNumber(SnapSettings, e, value);
        }
    }
    SnapSettings.bitsPerPixel = EffectiveBitsPerPixel(SnapSettings.bitsPerPixel, DisplayBitsPerPixel(hwnd));
    return 0;
}

static void WriteSetting(HKEY settingsKey, const SettingEntry &e)
{
    if (SettingIsText(e)) {
        char text[SNAPSHOT_DIR_SIZE];
        SettingText(SnapSettings, e, text, sizeof text);
        WriteRegString(settingsKey, e.subkey, e.valueName, text);
    } else {
        WriteRegDword(settingsKey, e.subkey, e.valueName, SettingNumber(SnapSettings, e));
    }
}

int SaveSettings()
{
    KeyGuard settingsKey;
    if (!CreateKey(HKEY_CURRENT_USER, SETTINGS_KEY_NAME, settingsKey))
        return 0;
    for (size_t i = 0; i < SETTINGS_SCHEMA_COUNT; ++i)
        WriteSetting(settingsKey.key, SETTINGS_SCHEMA[i]);
    return 0;
}

void SaveSetting(int kind)
{
    const SettingEntry *e = FindSettingEntry(static_cast<SettingKind>(kind));
    KeyGuard settingsKey;
    if (e && CreateKey(HKEY_CURRENT_USER, SETTINGS_KEY_NAME, settingsKey))
        WriteSetting(settingsKey.key, *e);
}
