// The Page Setup dialog ("MARGINS"): the four print margins in inches.
#pragma once
#include <windows.h>

// Runs the dialog modally over owner. OK replaces the four margins of
// SnapSettings at once (in memory only); Cancel leaves them. Returns 1 after
// OK, 0 after Cancel, -1 when the dialog cannot be created.
int RunMarginsDialog(HWND owner);
