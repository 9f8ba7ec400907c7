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

// The rectangle of the last area snapshot, in desktop pixels, kept under
// Source\LastArea as it is taken so that the last-area key finds it after a
// restart. RecallLastArea is false when none is kept, or what is kept is
// not a rectangle with an area.
void RememberLastArea(const RECT &rect);
bool RecallLastArea(RECT *rect);
