// State of the installer's one thread and its two message helpers.
#pragma once
#include <windows.h>

extern HINSTANCE g_hInstance;   // the program's instance
extern HWND g_hwndSetup;        // the SETUP dialog; NULL before it exists and after it is gone
extern DWORD g_ddeInstance;     // the client-only DDEML instance
extern bool g_silent;           // "/S": no window and no message at all

// printf-style text into the dialog's status line; nothing when there is no dialog.
int ShowStatus(const char *format, ...);
// printf-style text in a message box captioned "Error", shown as
// SetupMessageBox shows it.
int ShowError(const char *format, ...);

// MessageBoxA owned by the dialog while there is one, and centred over it:
// the dialog stays disabled while the box is open. Without a dialog (during
// removal) the box has no owner. Silent, nothing is shown, and the answer is
// Yes to a question, else OK: the switch means "go ahead".
int SetupMessageBox(const char *text, const char *caption, UINT type);
