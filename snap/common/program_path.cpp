#include "snap/common/program_path.h"

#include <string.h>

bool JoinProgramPath(char *out, size_t outSize, const char *modulePath, const char *name, NextCharFn next)
{
    if (outSize == 0)
        return false;
    out[0] = '\0';

    size_t dirLen = 0;
    for (const char *p = modulePath; *p != '\0'; p = next(p)) {
        if (*p == '\\' || *p == '/' || *p == ':')
            dirLen = static_cast<size_t>(p - modulePath) + 1;
    }
    size_t nameLen = strlen(name);
    if (dirLen >= outSize || nameLen >= outSize - dirLen)
        return false;

    memcpy(out, modulePath, dirLen);
    memcpy(out + dirLen, name, nameLen + 1);
    return true;
}
