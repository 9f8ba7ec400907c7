// The settings record's home in the registry of the current user:
// HKEY_CURRENT_USER\Software\Tamblit\Tamblit95, one subkey per group.
#pragma once
#include <windows.h>

// Fills SnapSettings from the registry; a missing, mistyped or oversized
// value gives that field its default. hwnd only serves to ask the display for
// its depth. Always 0.
int LoadSettings(HWND hwnd);

// Writes the whole record. Silent on failure; always 0.
int SaveSettings();

// Writes the one value of that kind from the record (the file type when a
// snapshot file is saved). Silent on failure.
void SaveSetting(int kind);

// Remembers the rectangle (screen coordinates) last taken as an area, as
// Source\LastArea "left,top,right,bottom". Silent on failure.
void RememberLastArea(const RECT &rect);
