#include "snap/shell/hotkey_win.h"

#include <commctrl.h>

#include "snap/settings/snap_settings.h"
#include "snap/common/app_state_win.h"
#include "snap/common/registry_win.h"
#include "snap/shell/hotkey_keys.h"
#include "snap/common/message_box_win.h"

#include <stdio.h>
#include <string.h>

#ifndef MOD_NOREPEAT
#define MOD_NOREPEAT 0x4000
#endif

enum { HOTKEY_NAME_SIZE = 40, VK_CODE_SNAPSHOT = 0x2C, SNIPPING_TOOL_ON = 1 };
static const char KEY_IN_USE[] = "The hot key %s%s%s is in use by another program. ";
static const char CHOOSE_ANOTHER[] = "Choose another hot key in Setup.";
static const char KEYBOARD_KEY[] = "Control Panel\\Keyboard";
static const char SNIPPING_VALUE[] = "PrintScreenKeyForSnippingEnabled";
static const char SNIPPING_NOTE[] =
    "Windows gives the Print Screen key to its own snipping tool, so that key does not reach "
    "Tamblit 95. To use it for snapshots here, turn off \"Use the Print Screen key to open screen "
    "capture\" in Windows Settings, under Accessibility, Keyboard.";

static_assert(HOTKEY_FLAG_SHIFT == HOTKEYF_SHIFT && HOTKEY_FLAG_CONTROL == HOTKEYF_CONTROL &&
                  HOTKEY_FLAG_ALT == HOTKEYF_ALT && HOTKEY_FLAG_EXT == HOTKEYF_EXT,
              "hot key control flags differ from the SDK's");
static_assert(HOTKEY_MOD_ALT == MOD_ALT && HOTKEY_MOD_CONTROL == MOD_CONTROL &&
                  HOTKEY_MOD_SHIFT == MOD_SHIFT,
              "RegisterHotKey modifiers differ from the SDK's");

static bool g_snippingNoteShown;

int SnapKeyIndex(WPARAM id)
{
    if (id == SNAP_HOTKEY_ID)
        return 0;
    if (id >= SNAP_KIND_HOTKEY_ID_FIRST && id < (WPARAM)SNAP_KIND_HOTKEY_ID_FIRST + SNAPSHOT_KEY_KINDS)
        return 1 + (int)(id - SNAP_KIND_HOTKEY_ID_FIRST);
    return -1;
}

static int SnapKeyId(size_t index)
{
    return index == 0 ? SNAP_HOTKEY_ID : SNAP_KIND_HOTKEY_ID_FIRST + (int)index - 1;
}

unsigned short SnapKeyCode(size_t index)
{
    if (index == 0)
        return SnapSettings.hotKeyCode;
    return index < SNAP_KEY_COUNT ? SnapSettings.kindKeys[index - 1] : 0;
}

// Windows 7 and later can be told not to repeat a held key; earlier ones
// refuse the flag, so it is asked for only where it is known.
static unsigned NoRepeatModifier()
{
    static int known = -1;
    if (known < 0) {
        OSVERSIONINFOA version;
        ZeroMemory(&version, sizeof version);
        version.dwOSVersionInfoSize = sizeof version;
        known = GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
                (version.dwMajorVersion > 6 || (version.dwMajorVersion == 6 && version.dwMinorVersion >= 1));
    }
    return known ? MOD_NOREPEAT : 0;
}

static BOOL RegisterKey(HWND hwnd, size_t index)
{
    const int id = SnapKeyId(index);
    // Our own key, held from an earlier registration (a Setup closed during
    // the start-up sign-on), would otherwise read as another program's.
    UnregisterHotKey(hwnd, id);
    const uint16_t code = SnapKeyCode(index);
    if (HotKeyVirtualKey(code) == 0)
        return FALSE;
    return RegisterHotKey(hwnd, id, HotKeyToModifiers(HotKeyFlags(code)) | NoRepeatModifier(),
                          HotKeyVirtualKey(code));
}

BOOL RegisterSnapHotKey(HWND hwnd)
{
    return RegisterKey(hwnd, 0);
}

void UnregisterSnapHotKeys(HWND hwnd)
{
    for (size_t i = 0; i < SNAP_KEY_COUNT; ++i)
        UnregisterHotKey(hwnd, SnapKeyId(i));
}

static bool SnippingToolHasPrintScreen()
{
    return ReadRegDword(HKEY_CURRENT_USER, KEYBOARD_KEY, SNIPPING_VALUE, 0) == SNIPPING_TOOL_ON;
}

void RegisterSnapHotKeysOrTell(HWND hwnd)
{
    char text[SNAP_KEY_COUNT * (sizeof KEY_IN_USE + HOTKEY_NAME_SIZE + 40) + sizeof CHOOSE_ANOTHER];
    size_t used = 0;
    bool printScreen = false;
    for (size_t i = 0; i < SNAP_KEY_COUNT; ++i) {
        const uint16_t code = SnapKeyCode(i);
        char name[HOTKEY_NAME_SIZE];
        // A code without a key was never a promise; nothing to tell, and
        // nothing of an earlier key stays registered under its id.
        if (!HotKeyName(code, name, sizeof name)) {
            UnregisterHotKey(hwnd, SnapKeyId(i));
            continue;
        }
        printScreen |= HotKeyVirtualKey(code) == VK_CODE_SNAPSHOT && HotKeyToModifiers(HotKeyFlags(code)) == 0;
        if (RegisterKey(hwnd, i))
            continue;
        // The key of Setup's source is the hot key the sign-on box shows.
        int n = snprintf(text + used, sizeof text - used, KEY_IN_USE, name, i ? " for " : "",
                         i ? SnapKeyPurpose(i) : "");
        if (n > 0 && (size_t)n < sizeof text - used)
            used += (size_t)n;
    }
    if (used) {
        snprintf(text + used, sizeof text - used, "%s", CHOOSE_ANOTHER);
        ShowErrorBox(text);
    }
    if (printScreen && !g_snippingNoteShown && SnippingToolHasPrintScreen()) {
        g_snippingNoteShown = true;
        ShowInfoBox(SNIPPING_NOTE);
    }
}
