// Centres a window on the screen, keeping its size.
#pragma once
#include <windows.h>

void CenterWindow(HWND hwnd);
