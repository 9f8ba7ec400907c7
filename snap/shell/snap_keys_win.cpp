#include "snap/shell/snap_keys_win.h"

#include <stdio.h>

#include "snap/engine/desktop_win.h"
#include "snap/engine/print_win.h"
#include "snap/engine/snapshot_win.h"
#include "snap/engine/window_rect_win.h"
#include "snap/settings/settings_store_win.h"
#include "snap/settings/snap_settings.h"
#include "snap/common/app_state_win.h"
#include "snap/shell/area_picker_win.h"
#include "snap/shell/editor_win.h"
#include "snap/shell/hotkey_keys.h"
#include "snap/shell/hotkey_win.h"
#include "snap/shell/tray_win.h"

enum {
    HELD_TIMER_ID = 10,   // watches held keys until they are let go
    HELD_POLL_MS = 50,
    DELAY_TIMER_ID = 11,  // counts a delay down
    DELAY_TICK_MS = 1000,
    KEY_DOWN = 0x8000,    // GetAsyncKeyState: the key is down now
    VK_CODE_SHIFT = 0x10, VK_CODE_CONTROL = 0x11, VK_CODE_MENU = 0x12
};

static const char COUNTDOWN_TIP[] = "Tamblit 95: snapshot in %d s; press the key again to cancel";

static bool g_held[SNAP_KEY_COUNT];  // pressed and not yet let go
static int g_waitingKey = -1;        // the key whose delay runs, or -1
static int g_secondsLeft;

static bool IsDown(int vk)
{
    return (GetAsyncKeyState(vk) & KEY_DOWN) != 0;
}

// A key counts as let go once its key or one of its modifiers is up: a
// later press is then a new one, not Windows repeating the held key.
static bool StillHeld(size_t index)
{
    const unsigned short code = SnapKeyCode(index);
    const unsigned modifiers = HotKeyToModifiers(HotKeyFlags(code));
    if (!HotKeyVirtualKey(code) || !IsDown(HotKeyVirtualKey(code)))
        return false;
    return !((modifiers & HOTKEY_MOD_SHIFT) && !IsDown(VK_CODE_SHIFT)) &&
           !((modifiers & HOTKEY_MOD_CONTROL) && !IsDown(VK_CODE_CONTROL)) &&
           !((modifiers & HOTKEY_MOD_ALT) && !IsDown(VK_CODE_MENU));
}

static void WatchHeldKeys(HWND hwnd)
{
    bool any = false;
    for (size_t i = 0; i < SNAP_KEY_COUNT; ++i) {
        if (g_held[i] && !StillHeld(i))
            g_held[i] = false;
        any |= g_held[i];
    }
    if (!any)
        KillTimer(hwnd, HELD_TIMER_ID);
}

// The kind of snapshot of a key: the first takes the source chosen in Setup.
static int KindOfKey(size_t index)
{
    if (index > 0)
        return (int)index - 1;
    switch (SnapSettings.source) {
    case FullScreen:
        return KeyFullScreen;
    case ActiveWindow:
        return KeyActiveWindow;
    default:
        return KeyArea;
    }
}

static void Snap(size_t index)
{
    RECT rect;
    switch (KindOfKey(index)) {
    case KeyFullScreen:
        // Every monitor: the rectangle that holds them all.
        DesktopBounds(&rect);
        break;
    case KeyActiveWindow:
        // No window in the foreground (the user is between windows), or one
        // without an area: nothing to take.
        if (!WindowRectAsDrawn(GetForegroundWindow(), &rect))
            return;
        break;
    case KeyLastArea:
        if (RecallLastArea(&rect))
            break;
        // None taken yet: the user picks one.
        OpenAreaPicker(g_hwndMain);
        return;
    default:
        // The snapshot follows when the user has picked an area.
        OpenAreaPicker(g_hwndMain);
        return;
    }
    // The pipeline tells the user how it went; nothing more to do here.
    TakeSnapshot(NULL, &rect, SnapSettings.destination, NULL, TRUE);
}

static void ShowCountdown(HWND hwnd)
{
    char tip[sizeof COUNTDOWN_TIP + 8];
    snprintf(tip, sizeof tip, COUNTDOWN_TIP, g_secondsLeft);
    SetTrayTip(hwnd, tip);
}

static void EndWait(HWND hwnd)
{
    KillTimer(hwnd, DELAY_TIMER_ID);
    g_waitingKey = -1;
    SetTrayTip(hwnd, NULL);
}

void OnSnapHotKey(HWND hwnd, WPARAM id)
{
    const int index = SnapKeyIndex(id);
    // Windows repeats a held key (7 and later only when not told otherwise,
    // and not every system listens): a key not let go since its press
    // takes nothing more.
    if (index < 0 || g_held[index])
        return;
    g_held[index] = true;
    SetTimer(hwnd, HELD_TIMER_ID, HELD_POLL_MS, NULL);

    // A press while a snapshot prints, or while one is being marked, is
    // dropped rather than started inside it.
    if (PrintInProgress() || SnapshotEditorOpen())
        return;
    if (g_waitingKey >= 0) {
        // The same key again calls the wait off; another waits its turn.
        if (index == g_waitingKey)
            EndWait(hwnd);
        return;
    }
    if (SnapSettings.delay > 0) {
        g_waitingKey = index;
        g_secondsLeft = SnapSettings.delay;
        ShowCountdown(hwnd);
        SetTimer(hwnd, DELAY_TIMER_ID, DELAY_TICK_MS, NULL);
        return;
    }
    Snap((size_t)index);
}

bool HandleSnapKeyTimer(HWND hwnd, WPARAM timerId)
{
    if (timerId == HELD_TIMER_ID) {
        WatchHeldKeys(hwnd);
        return true;
    }
    if (timerId != DELAY_TIMER_ID)
        return false;
    if (g_waitingKey < 0) {
        KillTimer(hwnd, DELAY_TIMER_ID);
        return true;
    }
    if (--g_secondsLeft > 0) {
        ShowCountdown(hwnd);
        return true;
    }
    const int index = g_waitingKey;
    EndWait(hwnd);
    Snap((size_t)index);
    return true;
}

void StopSnapKeys(HWND hwnd)
{
    KillTimer(hwnd, HELD_TIMER_ID);
    KillTimer(hwnd, DELAY_TIMER_ID);
    g_waitingKey = -1;
}
