#include "snap/shell/hotkey_keys.h"

unsigned HotKeyToModifiers(unsigned char flags)
{
    unsigned modifiers = 0;
    if (flags & HOTKEY_FLAG_SHIFT)
        modifiers |= HOTKEY_MOD_SHIFT;
    if (flags & HOTKEY_FLAG_CONTROL)
        modifiers |= HOTKEY_MOD_CONTROL;
    if (flags & HOTKEY_FLAG_ALT)
        modifiers |= HOTKEY_MOD_ALT;
    return modifiers;
}
