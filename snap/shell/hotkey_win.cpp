#include "snap/shell/hotkey_win.h"

#include <commctrl.h>

#include "snap/settings/snap_settings.h"
#include "snap/common/app_state_win.h"
#include "snap/shell/hotkey_keys.h"
#include "snap/common/message_box_win.h"

#include <stdio.h>

enum { HOTKEY_NAME_SIZE = 40 };
static const char HOTKEY_IN_USE[] =
    "The hot key %s is in use by another program. Choose another hot key in Setup.";

static_assert(HOTKEY_FLAG_SHIFT == HOTKEYF_SHIFT && HOTKEY_FLAG_CONTROL == HOTKEYF_CONTROL &&
                  HOTKEY_FLAG_ALT == HOTKEYF_ALT && HOTKEY_FLAG_EXT == HOTKEYF_EXT,
              "hot key control flags differ from the SDK's");
static_assert(HOTKEY_MOD_ALT == MOD_ALT && HOTKEY_MOD_CONTROL == MOD_CONTROL &&
                  HOTKEY_MOD_SHIFT == MOD_SHIFT,
              "RegisterHotKey modifiers differ from the SDK's");

BOOL RegisterSnapHotKey(HWND hwnd)
{
    // Our own key, held from an earlier registration (a Setup closed during
    // the start-up sign-on), would otherwise read as another program's.
    UnregisterHotKey(hwnd, SNAP_HOTKEY_ID);
    const uint16_t code = SnapSettings.hotKeyCode;
    return RegisterHotKey(hwnd, SNAP_HOTKEY_ID, HotKeyToModifiers(HotKeyFlags(code)),
                          HotKeyVirtualKey(code));
}

BOOL RegisterSnapHotKeyOrTell(HWND hwnd)
{
    if (RegisterSnapHotKey(hwnd))
        return TRUE;
    // A code without a key was never a promise; nothing to tell.
    char name[HOTKEY_NAME_SIZE];
    if (!HotKeyName(SnapSettings.hotKeyCode, name, sizeof name))
        return FALSE;
    char text[sizeof HOTKEY_IN_USE + HOTKEY_NAME_SIZE];
    snprintf(text, sizeof text, HOTKEY_IN_USE, name);
    ShowErrorBox(text);
    return FALSE;
}
