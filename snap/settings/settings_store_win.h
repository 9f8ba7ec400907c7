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

// Each call opens (or creates) its own subkey below parent and closes it.
// A text that is not a REG_SZ, does not fit the buffer or lacks its
// terminator counts as missing and leaves the default in the buffer; so does
// a number that is not a 4-byte REG_DWORD.
void ReadRegString(HKEY parent, const char *subkey, const char *valueName, const char *defaultText,
                   char *buffer, DWORD bufferSize);
DWORD ReadRegDword(HKEY parent, const char *subkey, const char *valueName, DWORD defaultValue);
void WriteRegString(HKEY parent, const char *subkey, const char *valueName, const char *text);
void WriteRegDword(HKEY parent, const char *subkey, const char *valueName, DWORD value);
