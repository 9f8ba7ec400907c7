// Whether two paths name one file.
#pragma once
#include <windows.h>

// Whether two paths name the same file, however each is spelt: by the file
// itself when both exist (another drive letter for the same folder, as SUBST
// makes, spells it quite differently), else by the normalised paths.
bool IsSameFile(const char *a, const char *b);
