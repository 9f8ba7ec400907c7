// The system code page's character steps for the portable text helpers.
#pragma once
#include <windows.h>

#include "snap/common/ansi_text.h"

inline const char *AnsiNextChar(const char *text)
{
    return CharNextA(text);
}
