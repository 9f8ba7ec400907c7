// The full path of a file in the directory of the program's own executable.
#pragma once
#include <stddef.h>

enum {
    MODULE_NAME_LIMIT = 150,  // characters read from GetModuleFileNameA
    PROGRAM_PATH_SIZE = 152   // callers' buffers for the joined path
};

// The help file beside the program: opened from the sign-on box, closed on exit.
constexpr char HELP_FILE[] = "tamblit95.hlp";

// Fills out with <program directory><name>. Returns false, with out empty,
// when the module name could not be read whole or the result does not fit.
bool MakeProgramFilePath(char *out, size_t outSize, const char *name);
