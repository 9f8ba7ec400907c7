#include "snap/common/program_path_win.h"

#include <windows.h>

#include "snap/common/ansi_text_win.h"
#include "snap/common/app_state_win.h"
#include "snap/common/program_path.h"

bool MakeProgramFilePath(char *out, size_t outSize, const char *name)
{
    if (outSize > 0)
        out[0] = '\0';

    char module[MODULE_NAME_LIMIT + 1];
    DWORD len = GetModuleFileNameA(g_hInstance, module, MODULE_NAME_LIMIT);
    // A name that fills the buffer may have been cut (and, depending on the
    // Windows version, left without a terminator); a cut directory would
    // point at some other folder, so it is refused rather than used.
    if (len == 0 || len >= MODULE_NAME_LIMIT - 1)
        return false;
    module[len] = '\0';
    return JoinProgramPath(out, outSize, module, name, AnsiNextChar);
}
