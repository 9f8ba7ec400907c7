#include "setup/install_text.h"

#include <stdio.h>
#include <string.h>

#include "snap/common/bounded_text.h"

static const char PROGRAM_FILES_SUBDIR[] = "\\Program Files\\Tamblit95";
static const char SETUP_FILE[] = "setup.exe";
static const char REMOVAL_SWITCH[] = "/u";
static const char SILENT_SWITCH[] = "/s";
static const char QUIET_SUFFIX[] = " /S";

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

bool MakeUninstallCommand(char *out, size_t outSize, const char *installDirectory, bool quiet)
{
    if (outSize == 0)
        return false;
    char setupPath[SETUP_PATH_SIZE];
    if (!JoinDirectoryFile(setupPath, sizeof setupPath, installDirectory, SETUP_FILE))
        return FitOrRefuse(out, outSize, -1);
    return FitOrRefuse(out, outSize, snprintf(out, outSize, "\"%s\" %s%s", setupPath, REMOVAL_SWITCH,
                                                quiet ? QUIET_SUFFIX : ""));
}

static char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

static bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Whether the `length` characters at `word` are the switch, in either case.
static bool IsSwitch(const char *word, size_t length, const char *name)
{
    if (length != strlen(name))
        return false;
    for (size_t i = 0; i < length; ++i)
        if (LowerAscii(word[i]) != name[i])
            return false;
    return true;
}

bool ParseSetupSwitches(const char *commandLine, SetupSwitches *out)
{
    out->removal = false;
    out->silent = false;
    bool known = true;
    const char *p = commandLine ? commandLine : "";
    while (*p) {
        while (IsBlank(*p))
            ++p;
        const char *word = p;
        while (*p && !IsBlank(*p))
            ++p;
        size_t length = static_cast<size_t>(p - word);
        if (length == 0)
            break;
        if (IsSwitch(word, length, REMOVAL_SWITCH))
            out->removal = true;
        else if (IsSwitch(word, length, SILENT_SWITCH))
            out->silent = true;
        else
            known = false;
    }
    return known;
}

unsigned long SizeInKilobytes(unsigned long long bytes)
{
    return static_cast<unsigned long>((bytes + 1023) / 1024);
}
