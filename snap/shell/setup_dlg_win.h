// The Setup dialog ("SETUP"): every choice of the settings record.
#pragma once
#include <windows.h>

// Runs the dialog modally over owner with the global hot key unregistered,
// and registers it again from the record afterwards whatever happened.
// Returns 1 after OK or Save, 0 after Cancel or the close box, -1 when the
// dialog cannot be created.
int RunSetupDialog(HWND owner);
