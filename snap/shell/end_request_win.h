// Ending on request from outside: the installer's end request, and the end
// of the Windows session (logoff, shutdown, or Restart Manager on Vista on).
#pragma once
#include <windows.h>

// Handles the message when it is one of those; *result is what the window
// procedure returns for it.
bool HandleEndMessage(HWND hwnd, UINT message, WPARAM wParam, LRESULT *result);
