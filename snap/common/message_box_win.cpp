#include "snap/common/message_box_win.h"

static const char ERROR_CAPTION[] = "Error";
static const char INFO_CAPTION[] = "Tamblit 95";

void ShowErrorBox(const char *text)
{
    MessageBoxA(NULL, text, ERROR_CAPTION, MB_OK | MB_ICONEXCLAMATION);
}

void ShowInfoBox(const char *text)
{
    MessageBoxA(NULL, text, INFO_CAPTION, MB_OK | MB_ICONINFORMATION);
}

void ShowRefusal(HWND dialog, const char *text)
{
    MessageBoxA(dialog, text, ERROR_CAPTION, MB_OK | MB_ICONEXCLAMATION);
}

void RefuseEntry(HWND dialog, int control, const char *text)
{
    ShowRefusal(dialog, text);
    HWND entry = GetDlgItem(dialog, control);
    SetFocus(entry);
    SendMessageA(entry, EM_SETSEL, 0, -1);
}
