#include "snap/settings/settings_store_win.h"

#include <stdio.h>
#include <string.h>

#include "snap/settings/settings_rules.h"
#include "snap/settings/snap_settings.h"
#include "snap/common/ansi_text_win.h"
#include "snap/common/display_depth_win.h"
#include "snap/common/registry_win.h"

int LoadSettings(HWND hwnd)
{
    KeyGuard settingsKey;
    OpenRegKey(HKEY_CURRENT_USER, SETTINGS_KEY_NAME, settingsKey);  // missing: every default applies

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
    if (!CreateRegKey(HKEY_CURRENT_USER, SETTINGS_KEY_NAME, settingsKey))
        return 0;
    for (size_t i = 0; i < SETTINGS_SCHEMA_COUNT; ++i)
        WriteSetting(settingsKey.key, SETTINGS_SCHEMA[i]);
    return 0;
}

void SaveSetting(int kind)
{
    const SettingEntry *e = FindSettingEntry(static_cast<SettingKind>(kind));
    KeyGuard settingsKey;
    if (e && CreateRegKey(HKEY_CURRENT_USER, SETTINGS_KEY_NAME, settingsKey))
        WriteSetting(settingsKey.key, *e);
}

void RememberLastArea(const RECT &rect)
{
    char text[48];
    snprintf(text, sizeof text, "%ld,%ld,%ld,%ld", static_cast<long>(rect.left), static_cast<long>(rect.top),
             static_cast<long>(rect.right), static_cast<long>(rect.bottom));
    KeyGuard settingsKey;
    if (CreateRegKey(HKEY_CURRENT_USER, SETTINGS_KEY_NAME, settingsKey))
        WriteRegString(settingsKey.key, "Source", "LastArea", text);
}
