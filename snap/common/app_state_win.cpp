#include "snap/common/app_state_win.h"

HINSTANCE g_hInstance;
HWND g_hwndMain;
HWND g_hwndOpenDialog;
