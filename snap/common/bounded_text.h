// Texts formatted into fixed buffers. Portable: no Windows headers.
#pragma once
#include <stddef.h>

// Takes what snprintf into out (outSize bytes) returned: true when the whole
// text and its terminator fit. Otherwise, and on a formatting error, out is
// emptied and the result is false: a cut path or command names something else.
inline bool FitOrRefuse(char *out, size_t outSize, int written)
{
    if (written < 0 || static_cast<size_t>(written) >= outSize) {
        if (outSize > 0)
            out[0] = '\0';
        return false;
    }
    return true;
}
