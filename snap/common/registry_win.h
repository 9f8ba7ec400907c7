// Registry values read and written in one call each, shared by the settings
// store and the installer.
#pragma once
#include <windows.h>

// Closes a registry key on every path.
struct KeyGuard {
    HKEY key = NULL;
    ~KeyGuard()
    {
        if (key)
            RegCloseKey(key);
    }
};

// Open or create parent\name with full access into out; false when the key
// cannot be had (or parent is NULL).
bool OpenRegKey(HKEY parent, const char *name, KeyGuard &out);
bool CreateRegKey(HKEY parent, const char *name, KeyGuard &out);

// Each call opens (or creates) its own subkey below parent and closes it.
// A text that is not a REG_SZ, does not fit the buffer or lacks its
// terminator counts as missing and leaves the default in the buffer; so does
// a number that is not a 4-byte REG_DWORD.
void ReadRegString(HKEY parent, const char *subkey, const char *valueName, const char *defaultText,
                   char *buffer, DWORD bufferSize);
DWORD ReadRegDword(HKEY parent, const char *subkey, const char *valueName, DWORD defaultValue);
// The writers say whether the value was stored.
bool WriteRegString(HKEY parent, const char *subkey, const char *valueName, const char *text);
bool WriteRegDword(HKEY parent, const char *subkey, const char *valueName, DWORD value);
