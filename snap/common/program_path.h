// Paths of files that live beside the program. Portable: no Windows headers.
#pragma once
#include <stddef.h>

#include "snap/common/ansi_text.h"

// Writes the directory part of modulePath (everything up to and including the
// last '\\', '/' or ':') followed by name into out. Returns false, with out
// empty, when the result and its terminator do not fit in outSize bytes;
// a cut path would name some other file. The path is walked with next, so
// that no trail byte of a double-byte character is taken for a separator.
bool JoinProgramPath(char *out, size_t outSize, const char *modulePath, const char *name, NextCharFn next);
