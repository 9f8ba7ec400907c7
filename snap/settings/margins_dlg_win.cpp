#include "snap/settings/margins_dlg_win.h"

#include "snap/res/resource.h"
#include "snap/settings/margin_text.h"
#include "snap/settings/snap_settings.h"
#include "snap/shell/app_state_win.h"

namespace {

// The edits from top to bottom (Left, Top, Right, Bottom) and their fields.
struct MarginBox {
    int id;
    int32_t SnapSettingsRecord::*field;
};
const MarginBox MARGIN_BOXES[] = {
    {IDC_MARGIN_LEFT, &SnapSettingsRecord::leftMargin},
    {IDC_MARGIN_TOP, &SnapSettingsRecord::topMargin},
    {IDC_MARGIN_RIGHT, &SnapSettingsRecord::rightMargin},
    {IDC_MARGIN_BOTTOM, &SnapSettingsRecord::bottomMargin},
};

BOOL OnInitDialog(HWND dlg)
{
    g_hwndOpenDialog = dlg;
    // Not centred: the template's (0, 0) puts it at the owner's client corner.
    for (const MarginBox &box : MARGIN_BOXES) {
        char text[MARGIN_TEXT_SIZE];
        FormatMargin(SnapSettings.*box.field, text, sizeof text);
        SetDlgItemTextA(dlg, box.id, text);
    }
    return TRUE;
}

void OnOk(HWND dlg)
{
    for (const MarginBox &box : MARGIN_BOXES) {
        char text[MARGIN_TEXT_CHARS + 1];
        GetDlgItemTextA(dlg, box.id, text, sizeof text);
        SnapSettings.*box.field = MarginFromText(text);
    }
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
