#include "setup/install_text.h"

#include <stdio.h>
#include <string.h>

#include "snap/common/ansi_text.h"
#include "snap/common/bounded_text.h"

static const char PROGRAM_FILES_SUBDIR[] = "\\Program Files\\Tamblit95";
static const char SETUP_FILE[] = "setup.exe";
static const char REMOVAL_SWITCH[] = "/u";

bool MakeInstallDirectory(char *out, size_t outSize, const char *windowsDirectory)
{
    if (outSize == 0)
        return false;
    char drive[3] = "";
    if (windowsDirectory[0] != '\0' && windowsDirectory[1] == ':') {
        drive[0] = windowsDirectory[0];
        drive[1] = ':';
    }
    return FitOrRefuse(out, outSize, snprintf(out, outSize, "%s%s", drive, PROGRAM_FILES_SUBDIR));
}

bool JoinDirectoryFile(char *out, size_t outSize, const char *directory, const char *name)
{
    if (outSize == 0)
        return false;
    size_t length = strlen(directory);
    bool ends = length > 0 && (directory[length - 1] == '\\' || directory[length - 1] == '/');
    return FitOrRefuse(out, outSize,
                       snprintf(out, outSize, "%s%s%s", directory, ends ? "" : "\\", name));
}

bool MakeUninstallCommand(char *out, size_t outSize, const char *installDirectory)
{
    if (outSize == 0)
        return false;
    char setupPath[SETUP_PATH_SIZE];
    if (!JoinDirectoryFile(setupPath, sizeof setupPath, installDirectory, SETUP_FILE))
        return FitOrRefuse(out, outSize, -1);
    return FitOrRefuse(out, outSize, snprintf(out, outSize, "\"%s\" %s", setupPath, REMOVAL_SWITCH));
}

bool IsRemovalSwitch(const char *commandLine)
{
    return commandLine != NULL && EqualIgnoringAsciiCase(commandLine, REMOVAL_SWITCH);
}
