#include "snap/shell/setup_dlg_win.h"

#include <commctrl.h>

#include "snap/common/dll_search_win.h"

#include "snap/res/resource.h"
#include "snap/shell/keys_dlg_win.h"
#include "snap/shell/margins_dlg_win.h"
#include "snap/settings/settings_rules.h"
#include "snap/settings/settings_store_win.h"
#include "snap/settings/snap_settings.h"
#include "snap/common/display_depth_win.h"
#include "snap/common/ansi_text_win.h"
#include "snap/common/app_state_win.h"
#include "snap/common/center_window_win.h"
#include "snap/shell/editor_win.h"
#include "snap/shell/screen_picker_win.h"
#include "snap/shell/hotkey_keys.h"
#include "snap/shell/hotkey_win.h"
#include "snap/common/message_box_win.h"

#include <stdio.h>

namespace {

// A key without modifiers, or with Shift alone, would steal a key that other
// programs need for typing: the control adds Alt to such a combination.
const WPARAM HOTKEY_INVALID_COMBINATIONS = HKCOMB_NONE | HKCOMB_S;
const LPARAM HOTKEY_ADDED_MODIFIER = HOTKEYF_ALT;

// The keys dialog's choices while Setup is open; the record takes them with
// Setup's OK or Save.
KeyChoices g_keyChoices;

void EnablePageSetup(HWND dlg)
{
    EnableWindow(GetDlgItem(dlg, IDC_SETUP_PAGESETUP), IsDlgButtonChecked(dlg, IDC_SETUP_TOPRINTER) == BST_CHECKED);
}

// The picker is a choice of the selectable area only.
void EnablePicker(HWND dlg)
{
    EnableWindow(GetDlgItem(dlg, IDC_SETUP_PICKSCREEN), IsDlgButtonChecked(dlg, IDC_SETUP_SELECTABLE) == BST_CHECKED);
}

BOOL OnInitDialog(HWND dlg)
{
    g_hwndOpenDialog = dlg;
    CenterWindow(dlg);
    ChoicesFromSettings(&g_keyChoices);
    // No more characters than the field can hold, its closing backslash included.
    SendDlgItemMessageA(dlg, IDC_SETUP_DIRECTORY, EM_LIMITTEXT, SNAPSHOT_DIR_SIZE - 1, 0);
    SetDlgItemTextA(dlg, IDC_SETUP_DIRECTORY, SnapSettings.snapshotDir);

    // A deep display can only be snapped well at 24 bits; the record takes
    // that at once, so it stays even if the dialog is cancelled.
    if (DisplayBitsPerPixel(dlg) > 8) {
        SnapSettings.bitsPerPixel = 24;
        EnableWindow(GetDlgItem(dlg, IDC_SETUP_8BIT), FALSE);
    }
    CheckRadioButton(dlg, IDC_SETUP_24BIT, IDC_SETUP_8BIT,
                     SnapSettings.bitsPerPixel == 24 ? IDC_SETUP_24BIT : IDC_SETUP_8BIT);

    int sourceId = SnapSettings.source == FullScreen     ? IDC_SETUP_FULLSCREEN
                   : SnapSettings.source == ActiveWindow ? IDC_SETUP_ACTIVEWINDOW
                                                         : IDC_SETUP_SELECTABLE;
    CheckRadioButton(dlg, IDC_SETUP_FULLSCREEN, IDC_SETUP_SELECTABLE, sourceId);
    CheckDlgButton(dlg, IDC_SETUP_PICKSCREEN, SnapSettings.picker == ScreenPicker ? BST_CHECKED : BST_UNCHECKED);
    EnablePicker(dlg);

    int destinationId = SnapSettings.destination == File      ? IDC_SETUP_TOFILE
                        : SnapSettings.destination == Printer ? IDC_SETUP_TOPRINTER
                                                              : IDC_SETUP_TOCLIPBOARD;
    CheckRadioButton(dlg, IDC_SETUP_TOFILE, IDC_SETUP_TOCLIPBOARD, destinationId);
    // The sound box lies inside the destination ids, so the radio call above
    // has just cleared it: set it afterwards.
    CheckDlgButton(dlg, IDC_SETUP_SOUND, SnapSettings.sound ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dlg, IDC_SETUP_EDIT, SnapSettings.edit ? BST_CHECKED : BST_UNCHECKED);
    if (SnapSettings.destination != Printer)
        EnableWindow(GetDlgItem(dlg, IDC_SETUP_PAGESETUP), FALSE);

    SendDlgItemMessageA(dlg, IDC_SETUP_HOTKEY, HKM_SETRULES, HOTKEY_INVALID_COMBINATIONS, HOTKEY_ADDED_MODIFIER);
    SendDlgItemMessageA(dlg, IDC_SETUP_HOTKEY, HKM_SETHOTKEY, SnapSettings.hotKeyCode, 0);
    return TRUE;  // focus to the first tab stop, the directory
}

bool IsChecked(HWND dlg, int id)
{
    return IsDlgButtonChecked(dlg, id) == BST_CHECKED;
}

bool Refuse(HWND dlg, int id, const char *text)
{
    RefuseEntry(dlg, id, text);
    return false;
}

bool IsExistingDirectory(const char *dir)
{
    char path[SNAPSHOT_DIR_SIZE];
    DirectoryQueryPath(dir, path);
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// False, with the dialog left open and the record untouched, when the
// directory or the hot key cannot be used: a directory that does not exist
// would fail only at the next snapshot, and without a key none can be taken.
bool OnOk(HWND dlg)
{
    // One character more than the field holds, so that a text too long for
    // it is seen and refused rather than cut into another directory's name.
    // Not upper-cased here: that happens when the settings are loaded.
    char typed[SNAPSHOT_DIR_SIZE + 1];
    char dir[SNAPSHOT_DIR_SIZE];
    GetDlgItemTextA(dlg, IDC_SETUP_DIRECTORY, typed, sizeof typed);
    if (!MakeSnapshotDir(typed, dir, AnsiNextChar)) {
        char text[160];
        snprintf(text, sizeof text,
                 "The snapshot directory is too long: at most %d characters, the backslash at "
                 "its end included.",
                 SNAPSHOT_DIR_SIZE - 1);
        return Refuse(dlg, IDC_SETUP_DIRECTORY, text);
    }
    if (!IsExistingDirectory(dir)) {
        char text[SNAPSHOT_DIR_SIZE + 100];
        snprintf(text, sizeof text,
                 "The directory %s does not exist. Type the name of an existing directory for "
                 "the snapshots.",
                 dir);
        return Refuse(dlg, IDC_SETUP_DIRECTORY, text);
    }
    uint16_t hotKey = LOWORD(SendDlgItemMessageA(dlg, IDC_SETUP_HOTKEY, HKM_GETHOTKEY, 0, 0));
    if (HotKeyVirtualKey(hotKey) == 0)
        return Refuse(dlg, IDC_SETUP_HOTKEY,
                      "Choose a hot key: without one, no snapshot can be taken.");
    if (!KeysDiffer(dlg, hotKey, g_keyChoices)) {
        SetFocus(GetDlgItem(dlg, IDC_SETUP_HOTKEY));
        return false;
    }

    lstrcpynA(SnapSettings.snapshotDir, dir, sizeof SnapSettings.snapshotDir);
    SnapSettings.bitsPerPixel = IsChecked(dlg, IDC_SETUP_24BIT) ? 24 : 8;
    SnapSettings.source = IsChecked(dlg, IDC_SETUP_FULLSCREEN)     ? FullScreen
                          : IsChecked(dlg, IDC_SETUP_ACTIVEWINDOW) ? ActiveWindow
                                                                   : SelectableArea;
    SnapSettings.picker = IsChecked(dlg, IDC_SETUP_PICKSCREEN) ? ScreenPicker : ModelPicker;
    SnapSettings.destination = IsChecked(dlg, IDC_SETUP_TOFILE)      ? File
                               : IsChecked(dlg, IDC_SETUP_TOPRINTER) ? Printer
                                                                     : Clipboard;
    SnapSettings.sound = IsChecked(dlg, IDC_SETUP_SOUND) ? 1 : 0;
    SnapSettings.edit = IsChecked(dlg, IDC_SETUP_EDIT) ? 1 : 0;
    SnapSettings.hotKeyCode = hotKey;
    ChoicesToSettings(g_keyChoices);
    EndDialog(dlg, 1);
    return true;
}

BOOL OnCommand(HWND dlg, WPARAM command)
{
    switch (command) {
    case IDOK:
        OnOk(dlg);
        return TRUE;
    case IDCANCEL:
        // Nothing is undone: a depth forced by the display and margins
        // confirmed in Page Setup stay in the record.
        EndDialog(dlg, 0);
        return TRUE;
    case IDC_SETUP_SAVE:
        if (OnOk(dlg))
            SaveSettings();
        return TRUE;
    case IDC_SETUP_TOFILE:
    case IDC_SETUP_TOPRINTER:
    case IDC_SETUP_TOCLIPBOARD:
        EnablePageSetup(dlg);
        return TRUE;
    case IDC_SETUP_FULLSCREEN:
    case IDC_SETUP_ACTIVEWINDOW:
    case IDC_SETUP_SELECTABLE:
        EnablePicker(dlg);
        return TRUE;
    case IDC_SETUP_PAGESETUP:
        RunMarginsDialog(dlg);
        return TRUE;
    case IDC_SETUP_KEYS:
        RunKeysDialog(dlg, LOWORD(SendDlgItemMessageA(dlg, IDC_SETUP_HOTKEY, HKM_GETHOTKEY, 0, 0)),
                      &g_keyChoices);
        return TRUE;
    default:
        return FALSE;  // the sound box toggles itself
    }
}

BOOL CALLBACK SetupDlgProc(HWND dlg, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dlg);
    case WM_COMMAND:
        return OnCommand(dlg, wParam);
    default:
        return FALSE;
    }
}

}  // namespace

int RunSetupDialog(HWND owner)
{
    // The hot key control's class must exist before the template is built;
    // registering it again is harmless.
    InitCommonControlsFromSystem();
    UnregisterSnapHotKeys(g_hwndMain);
    int result = static_cast<int>(DialogBoxParamA(g_hInstance, "SETUP", owner, (DLGPROC)SetupDlgProc, 0));
    g_hwndOpenDialog = owner;
    if (result > 0) {
        if (SnapSettings.edit)
            PrepareSnapshotEditor();
        else
            ReleaseSnapshotEditor();
        PrepareScreenPicker();
    }
    RegisterSnapHotKeysOrTell(g_hwndMain);
    return result;
}
