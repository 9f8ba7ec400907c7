#include "snap/shell/hotkey_keys.h"

#include <stdio.h>

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

namespace {

// Virtual-key codes the name table needs (the SDK's VK_* values).
enum {
    VK_CODE_BACK = 0x08, VK_CODE_TAB = 0x09, VK_CODE_RETURN = 0x0D, VK_CODE_PAUSE = 0x13,
    VK_CODE_ESCAPE = 0x1B, VK_CODE_SPACE = 0x20, VK_CODE_PRIOR = 0x21, VK_CODE_NEXT = 0x22,
    VK_CODE_END = 0x23, VK_CODE_HOME = 0x24, VK_CODE_LEFT = 0x25, VK_CODE_UP = 0x26,
    VK_CODE_RIGHT = 0x27, VK_CODE_DOWN = 0x28, VK_CODE_SNAPSHOT = 0x2C, VK_CODE_INSERT = 0x2D,
    VK_CODE_DELETE = 0x2E, VK_CODE_NUMPAD0 = 0x60, VK_CODE_NUMPAD9 = 0x69, VK_CODE_F1 = 0x70,
    VK_CODE_F24 = 0x87
};

struct NamedKey {
    unsigned char vk;
    const char *name;
};

const NamedKey NAMED_KEYS[] = {
    {VK_CODE_BACK, "Backspace"}, {VK_CODE_TAB, "Tab"}, {VK_CODE_RETURN, "Enter"},
    {VK_CODE_PAUSE, "Pause"}, {VK_CODE_ESCAPE, "Esc"}, {VK_CODE_SPACE, "Space"},
    {VK_CODE_PRIOR, "Page Up"}, {VK_CODE_NEXT, "Page Down"}, {VK_CODE_END, "End"},
    {VK_CODE_HOME, "Home"}, {VK_CODE_LEFT, "Left"}, {VK_CODE_UP, "Up"}, {VK_CODE_RIGHT, "Right"},
    {VK_CODE_DOWN, "Down"}, {VK_CODE_SNAPSHOT, "Print Screen"}, {VK_CODE_INSERT, "Insert"},
    {VK_CODE_DELETE, "Delete"},
};

// The key's own name into key (at least 16 bytes).
void KeyName(unsigned char vk, char *key, size_t size)
{
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) {
        snprintf(key, size, "%c", vk);
        return;
    }
    if (vk >= VK_CODE_F1 && vk <= VK_CODE_F24) {
        snprintf(key, size, "F%d", vk - VK_CODE_F1 + 1);
        return;
    }
    if (vk >= VK_CODE_NUMPAD0 && vk <= VK_CODE_NUMPAD9) {
        snprintf(key, size, "Num %d", vk - VK_CODE_NUMPAD0);
        return;
    }
    for (const NamedKey &k : NAMED_KEYS) {
        if (k.vk == vk) {
            snprintf(key, size, "%s", k.name);
            return;
        }
    }
    // Punctuation and the rest differ by keyboard layout; the code is exact.
    snprintf(key, size, "Key 0x%02X", vk);
}

}  // namespace

bool HotKeyName(uint16_t code, char *out, size_t size)
{
    if (size == 0)
        return false;
    out[0] = '\0';
    const unsigned char vk = HotKeyVirtualKey(code);
    if (vk == 0)
        return false;
    const unsigned char flags = HotKeyFlags(code);
    char key[16];
    KeyName(vk, key, sizeof key);
    int n = snprintf(out, size, "%s%s%s%s", (flags & HOTKEY_FLAG_CONTROL) ? "Ctrl+" : "",
                     (flags & HOTKEY_FLAG_SHIFT) ? "Shift+" : "", (flags & HOTKEY_FLAG_ALT) ? "Alt+" : "", key);
    if (n < 0 || (size_t)n >= size) {
        out[0] = '\0';
        return false;
    }
    return true;
}

enum { KINDS_PER_LINE = 2 };

static const char *const KEY_PURPOSES[SNAP_KEY_COUNT] = {
    "the source chosen in Setup", "the full screen", "the active window", "an area", "the last area"};
static const char *const KIND_LABELS[SNAPSHOT_KEY_KINDS] = {"Full screen", "Active window", "Area",
                                                            "Last area"};

const char *SnapKeyPurpose(size_t index)
{
    return index < SNAP_KEY_COUNT ? KEY_PURPOSES[index] : "";
}

bool FindDuplicateKeys(const uint16_t codes[SNAP_KEY_COUNT], size_t *first, size_t *second)
{
    for (size_t i = 0; i < SNAP_KEY_COUNT; ++i) {
        if (HotKeyVirtualKey(codes[i]) == 0)
            continue;
        for (size_t j = i + 1; j < SNAP_KEY_COUNT; ++j) {
            // The extended-key flag is not part of what is registered.
            if (HotKeyVirtualKey(codes[j]) == HotKeyVirtualKey(codes[i]) &&
                HotKeyToModifiers(HotKeyFlags(codes[j])) == HotKeyToModifiers(HotKeyFlags(codes[i]))) {
                *first = i;
                *second = j;
                return true;
            }
        }
    }
    return false;
}

bool ListKindKeys(const uint16_t kindKeys[SNAPSHOT_KEY_KINDS], char *out, size_t size)
{
    if (size == 0)
        return false;
    out[0] = '\0';
    size_t used = 0;
    int listed = 0;
    for (int k = 0; k < SNAPSHOT_KEY_KINDS; ++k) {
        char name[40];
        if (!HotKeyName(kindKeys[k], name, sizeof name))
            continue;
        // Two to a line, so that no key is broken over two lines.
        const char *gap = listed == 0 ? "" : listed == KINDS_PER_LINE ? "\n" : "   ";
        int n = snprintf(out + used, size - used, "%s%s: %s", gap, KIND_LABELS[k], name);
        ++listed;
        if (n < 0 || (size_t)n >= size - used) {
            out[0] = '\0';
            return false;
        }
        used += (size_t)n;
    }
    return true;
}
