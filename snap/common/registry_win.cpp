#include "snap/common/registry_win.h"

#include <string.h>


bool OpenRegKey(HKEY parent, const char *name, KeyGuard &out)
{
    if (!parent)
        return false;
    HKEY key;
    if (RegOpenKeyExA(parent, name, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return false;
    out.key = key;
    return true;
}

bool CreateRegKey(HKEY parent, const char *name, KeyGuard &out)
{
    static char noClass[] = "";
    HKEY key;
    DWORD disposition;
    if (!parent ||
        RegCreateKeyExA(parent, name, 0, noClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL, &key,
                        &disposition) != ERROR_SUCCESS)
        return false;
    out.key = key;
    return true;
}


void ReadRegString(HKEY parent, const char *subkey, const char *valueName, const char *defaultText,
                   char *buffer, DWORD bufferSize)
{
    if (bufferSize == 0)
        return;
    lstrcpynA(buffer, defaultText, bufferSize);
    KeyGuard key;
    if (!OpenRegKey(parent, subkey, key))
        return;
    DWORD type = 0;
    DWORD size = bufferSize;
    LONG rc = RegQueryValueExA(key.key, valueName, NULL, &type, reinterpret_cast<BYTE *>(buffer), &size);
    // A text counts only when it is one and its terminator arrived with it;
    // anything else could leave the buffer unterminated or hold bytes of
    // another kind of value.
    bool good = rc == ERROR_SUCCESS && type == REG_SZ && size <= bufferSize && size > 0 &&
                memchr(buffer, '\0', size) != NULL;
    if (!good)
        lstrcpynA(buffer, defaultText, bufferSize);
}

DWORD ReadRegDword(HKEY parent, const char *subkey, const char *valueName, DWORD defaultValue)
{
    KeyGuard key;
    if (!OpenRegKey(parent, subkey, key))
        return defaultValue;
    DWORD value = defaultValue;
    DWORD type = 0;
    DWORD size = sizeof value;
    LONG rc = RegQueryValueExA(key.key, valueName, NULL, &type, reinterpret_cast<BYTE *>(&value), &size);
    if (rc != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value)
        return defaultValue;
    return value;
}

bool WriteRegString(HKEY parent, const char *subkey, const char *valueName, const char *text)
{
    KeyGuard key;
    if (!CreateRegKey(parent, subkey, key))
        return false;
    return RegSetValueExA(key.key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                          static_cast<DWORD>(strlen(text) + 1)) == ERROR_SUCCESS;
}

bool WriteRegDword(HKEY parent, const char *subkey, const char *valueName, DWORD value)
{
    KeyGuard key;
    if (!CreateRegKey(parent, subkey, key))
        return false;
    return RegSetValueExA(key.key, valueName, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value),
                          sizeof value) == ERROR_SUCCESS;
}
