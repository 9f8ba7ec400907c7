// Texts of the conversation with Program Manager: the GROUPS reply and the
// execute commands. Portable: no Windows headers.
#pragma once
#include <stddef.h>

// Size of the buffer a chosen group name is read into: at most 51 characters.
const size_t GROUP_NAME_SIZE = 52;
// Sizes of the item's command line and of one execute command text.
const size_t ITEM_COMMAND_LINE_SIZE = 120;
const size_t EXECUTE_COMMAND_SIZE = 260;

// One line of the GROUPS reply: not terminated, `length` bytes at `text`.
struct ReplyLine {
    const char *text;
    size_t length;
};

// Steps through a GROUPS reply, one group name per line, lines ended by CR LF
// (a CR alone ends a line too) and the last one possibly by the end of the
// text. The text ends at its first NUL or after `size` bytes, whichever comes
// first; nothing beyond is read. Start with *pos = 0. Returns false when no
// line is left. An empty line is a line.
bool NextGroupLine(const char *reply, size_t size, size_t *pos, ReplyLine *line);

enum GroupNameCheck {
    GROUP_NAME_OK,
    GROUP_NAME_EMPTY,
    GROUP_NAME_TOO_LONG,   // does not fit GROUP_NAME_SIZE
    GROUP_NAME_HAS_QUOTE,  // would end the quoted argument of a command early
};

// Whether a group name may be sent to Program Manager.
GroupNameCheck CheckGroupName(const char *name);

// The item's command line: the directory, a backslash unless it ends with
// one, and the program file, all in lower case (A-Z only). False, with out
// empty, when it does not fit ITEM_COMMAND_LINE_SIZE or outSize.
bool MakeItemCommandLine(char *out, size_t outSize, const char *directory, const char *program);

// [ShowGroup("g", 1)][AddItem("cmd", "item")][ShowGroup("g", 6)]
// False, with out empty, when the group is not acceptable (CheckGroupName),
// an argument holds a quotation mark, or the text does not fit.
bool MakeAddItemCommand(char *out, size_t outSize, const char *group, const char *commandLine,
                        const char *itemName);

// [ShowGroup("g", 1)][DeleteItem("item")][ShowGroup("g", 6)], refused the same way.
bool MakeDeleteItemCommand(char *out, size_t outSize, const char *group, const char *itemName);

// [CreateGroup("g")], refused the same way: makes the group, or opens it
// when it exists.
bool MakeCreateGroupCommand(char *out, size_t outSize, const char *group);

// [DeleteGroup("g")], refused the same way.
bool MakeDeleteGroupCommand(char *out, size_t outSize, const char *group);
