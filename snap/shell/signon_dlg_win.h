// The sign-on dialog: which hot key takes a snapshot and where it goes. At
// start-up it shows for three seconds without buttons; from the tray icon it
// offers Setup, Help and Exit.
#pragma once
#include <windows.h>

// Runs the modal SIGNONMESSAGE dialog; startupForm non-zero for the start-up form.
void ShowSignOnDialog(HWND owner, BOOL startupForm);

BOOL CALLBACK SignOnDlgProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam);
