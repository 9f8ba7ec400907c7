#include "snap/shell/margins_dlg_win.h"

#include "snap/res/resource.h"
#include "snap/settings/margin_text.h"
#include "snap/settings/snap_settings.h"
#include "snap/common/app_state_win.h"
#include "snap/common/center_window_win.h"
#include "snap/common/message_box_win.h"

#include <stdio.h>

namespace {

// The edits from top to bottom (Left, Top, Right, Bottom) and their fields.
struct MarginBox {
    int id;
    const char *name;
    int32_t SnapSettingsRecord::*field;
};
const MarginBox MARGIN_BOXES[] = {
    {IDC_MARGIN_LEFT, "Left", &SnapSettingsRecord::leftMargin},
    {IDC_MARGIN_TOP, "Top", &SnapSettingsRecord::topMargin},
    {IDC_MARGIN_RIGHT, "Right", &SnapSettingsRecord::rightMargin},
    {IDC_MARGIN_BOTTOM, "Bottom", &SnapSettingsRecord::bottomMargin},
};
const int MARGIN_COUNT = sizeof MARGIN_BOXES / sizeof MARGIN_BOXES[0];

BOOL OnInitDialog(HWND dlg)
{
    g_hwndOpenDialog = dlg;
    CenterWindowOnOwner(dlg);
    for (const MarginBox &box : MARGIN_BOXES) {
        char text[MARGIN_TEXT_SIZE];
        FormatMargin(SnapSettings.*box.field, text, sizeof text);
        SetDlgItemTextA(dlg, box.id, text);
        SendDlgItemMessageA(dlg, box.id, EM_LIMITTEXT, MARGIN_ENTRY_CHARS, 0);
    }
    return TRUE;
}

// Tells why the entry is refused.
void RefuseMargin(HWND dlg, const MarginBox &box, MarginEntry why)
{
    char limit[MARGIN_TEXT_SIZE];
    FormatMargin(MARGIN_LIMIT, limit, sizeof limit);
    char text[160];
    if (why == MARGIN_ENTRY_NEGATIVE)
        snprintf(text, sizeof text, "The %s margin cannot be negative.", box.name);
    else if (why == MARGIN_ENTRY_TOO_WIDE)
        snprintf(text, sizeof text, "The %s margin can be at most %s inches.", box.name, limit);
    else
        snprintf(text, sizeof text, "The %s margin must be a number of inches, such as 0.50.", box.name);
    RefuseEntry(dlg, box.id, text);
}

// The margins change only when all four entries are good: the dialog stays
// open on the first that is not.
void OnOk(HWND dlg)
{
    int32_t margins[MARGIN_COUNT];
    for (int i = 0; i < MARGIN_COUNT; ++i) {
        char text[MARGIN_ENTRY_CHARS + 1];
        GetDlgItemTextA(dlg, MARGIN_BOXES[i].id, text, sizeof text);
        MarginEntry entry = ReadMarginEntry(text, &margins[i]);
        if (entry != MARGIN_ENTRY_OK) {
            RefuseMargin(dlg, MARGIN_BOXES[i], entry);
            return;
        }
    }
    for (int i = 0; i < MARGIN_COUNT; ++i)
        SnapSettings.*MARGIN_BOXES[i].field = margins[i];
    EndDialog(dlg, 1);
}

BOOL CALLBACK MarginsDlgProc(HWND dlg, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dlg);
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

int RunMarginsDialog(HWND owner)
{
    int result = static_cast<int>(DialogBoxParamA(g_hInstance, "MARGINS", owner, (DLGPROC)MarginsDlgProc, 0));
    g_hwndOpenDialog = owner;
    return result;
}
