#include "snap/shell/program_path.h"

#include <string.h>

bool JoinProgramPath(char *out, size_t outSize, const char *modulePath, const char *name)
{
    if (outSize == 0)
        return false;
    out[0] = '\0';

    size_t dirLen = 0;
    for (size_t i = 0; modulePath[i] != '\0'; ++i) {
        char c = modulePath[i];
        if (c == '\\' || c == '/' || c == ':')
            dirLen = i + 1;
    }
    size_t nameLen = strlen(name);
    if (dirLen >= outSize || nameLen >= outSize - dirLen)
        return false;

    memcpy(out, modulePath, dirLen);
    memcpy(out + dirLen, name, nameLen + 1);
    return true;
}
