#include "snap/shell/keys_dlg_win.h"

#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>

#include "snap/res/resource.h"
#include "snap/common/app_state_win.h"
#include "snap/common/center_window_win.h"
#include "snap/common/message_box_win.h"
#include "snap/shell/hotkey_keys.h"

namespace {

static_assert(IDC_KEYS_ACTIVEWINDOW == IDC_KEYS_FULLSCREEN + KeyActiveWindow &&
                  IDC_KEYS_AREA == IDC_KEYS_FULLSCREEN + KeyArea &&
                  IDC_KEYS_LASTAREA == IDC_KEYS_FULLSCREEN + KeyLastArea,
              "one hot key control per kind, in the kinds' order");

// The same rules as Setup's own key: a key alone, or with Shift only, is one
// that typing needs, and becomes Alt plus that key.
const WPARAM HOTKEY_INVALID_COMBINATIONS = HKCOMB_NONE | HKCOMB_S;
const LPARAM HOTKEY_ADDED_MODIFIER = HOTKEYF_ALT;
enum { DELAY_DIGITS = 2, DELAY_TEXT_SIZE = 8 };

struct KeysDialogState {
    uint16_t sourceKey;
    KeyChoices *choices;
};

BOOL OnInitDialog(HWND dlg, const KeysDialogState *state)
{
    SetWindowLongA(dlg, DWL_USER, reinterpret_cast<LONG>(state));
    g_hwndOpenDialog = dlg;
    CenterWindow(dlg);
    for (int k = 0; k < SNAPSHOT_KEY_KINDS; ++k) {
        SendDlgItemMessageA(dlg, IDC_KEYS_FULLSCREEN + k, HKM_SETRULES, HOTKEY_INVALID_COMBINATIONS,
                            HOTKEY_ADDED_MODIFIER);
        SendDlgItemMessageA(dlg, IDC_KEYS_FULLSCREEN + k, HKM_SETHOTKEY, state->choices->kindKeys[k], 0);
    }
    SendDlgItemMessageA(dlg, IDC_KEYS_DELAY, EM_LIMITTEXT, DELAY_DIGITS, 0);
    SetDlgItemInt(dlg, IDC_KEYS_DELAY, (UINT)state->choices->delay, FALSE);
    CheckDlgButton(dlg, IDC_KEYS_POINTER, state->choices->pointer ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

// False, the dialog left open and the choices untouched, for a delay out of
// range or two keys that are one.
bool OnOk(HWND dlg)
{
    const KeysDialogState *state = reinterpret_cast<KeysDialogState *>(GetWindowLongA(dlg, DWL_USER));
    KeyChoices chosen;
    for (int k = 0; k < SNAPSHOT_KEY_KINDS; ++k)
        chosen.kindKeys[k] = LOWORD(SendDlgItemMessageA(dlg, IDC_KEYS_FULLSCREEN + k, HKM_GETHOTKEY, 0, 0));
    char typed[DELAY_TEXT_SIZE];
    GetDlgItemTextA(dlg, IDC_KEYS_DELAY, typed, sizeof typed);
    // Empty means no wait; only digits can be typed.
    const long delay = typed[0] ? strtol(typed, NULL, 10) : 0;
    if (delay < 0 || delay > MAX_SNAPSHOT_DELAY) {
        char text[80];
        snprintf(text, sizeof text, "The delay is 0 to %d seconds.", MAX_SNAPSHOT_DELAY);
        ShowRefusal(dlg, text);
        SetFocus(GetDlgItem(dlg, IDC_KEYS_DELAY));
        SendDlgItemMessageA(dlg, IDC_KEYS_DELAY, EM_SETSEL, 0, -1);
        return false;
    }
    chosen.delay = (int32_t)delay;
    chosen.pointer = IsDlgButtonChecked(dlg, IDC_KEYS_POINTER) == BST_CHECKED ? 1 : 0;
    if (!KeysDiffer(dlg, state->sourceKey, chosen))
        return false;
    *state->choices = chosen;
    EndDialog(dlg, 1);
    return true;
}

BOOL CALLBACK KeysDlgProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dlg, reinterpret_cast<const KeysDialogState *>(lParam));
    case WM_COMMAND:
        if (wParam == IDOK) {
            OnOk(dlg);
            return TRUE;
        }
        if (wParam == IDCANCEL) {
            EndDialog(dlg, 0);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

void ChoicesFromSettings(KeyChoices *choices)
{
    for (int k = 0; k < SNAPSHOT_KEY_KINDS; ++k)
        choices->kindKeys[k] = SnapSettings.kindKeys[k];
    choices->delay = SnapSettings.delay;
    choices->pointer = SnapSettings.pointer;
}

void ChoicesToSettings(const KeyChoices &choices)
{
    for (int k = 0; k < SNAPSHOT_KEY_KINDS; ++k)
        SnapSettings.kindKeys[k] = choices.kindKeys[k];
    SnapSettings.delay = choices.delay;
    SnapSettings.pointer = choices.pointer;
}

bool KeysDiffer(HWND dialog, uint16_t sourceKey, const KeyChoices &choices)
{
    uint16_t codes[SNAP_KEY_COUNT];
    codes[0] = sourceKey;
    for (int k = 0; k < SNAPSHOT_KEY_KINDS; ++k)
        codes[1 + k] = choices.kindKeys[k];
    size_t first, second;
    if (!FindDuplicateKeys(codes, &first, &second))
        return true;
    char name[40];
    HotKeyName(codes[first], name, sizeof name);
    char text[200];
    snprintf(text, sizeof text, "%s is set both for %s and for %s. Choose another key for one of them.",
             name, SnapKeyPurpose(first), SnapKeyPurpose(second));
    ShowRefusal(dialog, text);
    return false;
}

int RunKeysDialog(HWND owner, uint16_t sourceKey, KeyChoices *choices)
{
    KeysDialogState state = {sourceKey, choices};
    const int result = static_cast<int>(DialogBoxParamA(g_hInstance, "KEYS", owner, (DLGPROC)KeysDlgProc,
                                                        reinterpret_cast<LPARAM>(&state)));
    g_hwndOpenDialog = owner;
    return result;
}
