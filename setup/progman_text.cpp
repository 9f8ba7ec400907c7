#include "setup/progman_text.h"

#include <stdio.h>
#include <string.h>

#include "snap/common/bounded_text.h"

// Program Manager's show codes: 1 shows and activates the group's window,
// 6 minimises it again.
static const int SHOW_GROUP_ACTIVATE = 1;
static const int SHOW_GROUP_MINIMIZE = 6;

bool NextGroupLine(const char *reply, size_t size, size_t *pos, ReplyLine *line)
{
    if (reply == NULL || size == 0)
        return false;
    const void *nul = memchr(reply, '\0', size);
    size_t end = nul ? static_cast<size_t>(static_cast<const char *>(nul) - reply) : size;
    size_t start = *pos;
    if (start >= end)
        return false;

    size_t stop = start;
    while (stop < end && reply[stop] != '\r')
        ++stop;
    line->text = reply + start;
    line->length = stop - start;

    // Past the CR and its LF; a CR right at the end of the text, or one
    // without an LF, does not take the next character with it.
    size_t next = stop;
    if (next < end) {
        ++next;
        if (next < end && reply[next] == '\n')
            ++next;
    }
    *pos = next;
    return true;
}

GroupNameCheck CheckGroupName(const char *name)
{
    size_t length = strlen(name);
    if (length == 0)
        return GROUP_NAME_EMPTY;
    if (length >= GROUP_NAME_SIZE)
        return GROUP_NAME_TOO_LONG;
    if (strchr(name, '"'))
        return GROUP_NAME_HAS_QUOTE;
    return GROUP_NAME_OK;
}

bool MakeItemCommandLine(char *out, size_t outSize, const char *directory, const char *program)
{
    if (outSize == 0)
        return false;
    if (outSize > ITEM_COMMAND_LINE_SIZE)
        outSize = ITEM_COMMAND_LINE_SIZE;
    size_t dirLength = strlen(directory);
    const char *separator = (dirLength > 0 && directory[dirLength - 1] == '\\') ? "" : "\\";
    if (!FitOrRefuse(out, outSize, snprintf(out, outSize, "%s%s%s", directory, separator, program)))
        return false;
    for (char *c = out; *c; ++c) {
        if (*c >= 'A' && *c <= 'Z')
            *c = static_cast<char>(*c - 'A' + 'a');
    }
    return true;
}

static bool Quotable(const char *text)
{
    return strchr(text, '"') == NULL;
}

bool MakeAddItemCommand(char *out, size_t outSize, const char *group, const char *commandLine,
                        const char *itemName)
{
    if (outSize == 0)
        return false;
    out[0] = '\0';
    if (outSize > EXECUTE_COMMAND_SIZE)
        outSize = EXECUTE_COMMAND_SIZE;
    if (CheckGroupName(group) != GROUP_NAME_OK || !Quotable(commandLine) || !Quotable(itemName))
        return false;
    return FitOrRefuse(out, outSize,
                       snprintf(out, outSize, "[ShowGroup(\"%s\", %d)][AddItem(\"%s\", \"%s\")][ShowGroup(\"%s\", %d)]",
                                group, SHOW_GROUP_ACTIVATE, commandLine, itemName, group,
                                SHOW_GROUP_MINIMIZE));
}

bool MakeDeleteItemCommand(char *out, size_t outSize, const char *group, const char *itemName)
{
    if (outSize == 0)
        return false;
    out[0] = '\0';
    if (outSize > EXECUTE_COMMAND_SIZE)
        outSize = EXECUTE_COMMAND_SIZE;
    if (CheckGroupName(group) != GROUP_NAME_OK || !Quotable(itemName))
        return false;
    return FitOrRefuse(out, outSize,
                       snprintf(out, outSize, "[ShowGroup(\"%s\", %d)][DeleteItem(\"%s\")][ShowGroup(\"%s\", %d)]",
                                group, SHOW_GROUP_ACTIVATE, itemName, group, SHOW_GROUP_MINIMIZE));
}

static bool MakeGroupCommand(char *out, size_t outSize, const char *verb, const char *group)
{
    if (outSize == 0)
        return false;
    out[0] = '\0';
    if (outSize > EXECUTE_COMMAND_SIZE)
        outSize = EXECUTE_COMMAND_SIZE;
    if (CheckGroupName(group) != GROUP_NAME_OK)
        return false;
    return FitOrRefuse(out, outSize, snprintf(out, outSize, "[%s(\"%s\")]", verb, group));
}

bool MakeCreateGroupCommand(char *out, size_t outSize, const char *group)
{
    return MakeGroupCommand(out, outSize, "CreateGroup", group);
}

bool MakeDeleteGroupCommand(char *out, size_t outSize, const char *group)
{
    return MakeGroupCommand(out, outSize, "DeleteGroup", group);
}
