// Entry point of tamblit95.exe.
#include <windows.h>

#include "snap/shell/app_state_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    g_hInstance = instance;
    return 0;
}
