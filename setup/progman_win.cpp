#include "setup/progman_win.h"

#include <ddeml.h>

#include "setup/progman_text.h"
#include "setup/shell_links_win.h"
#include "setup/setup_ui_win.h"

static const char PROGMAN_NAME[] = "PROGMAN";
static const char GROUPS_ITEM[] = "GROUPS";
static const DWORD DDE_TIMEOUT_MS = 5000;
// Longest group name the list takes: a longer one cannot be a group name
// the installer accepts, and is left out rather than cut.
static const size_t GROUP_LINE_SIZE = 260;

namespace {

// A conversation with Program Manager, closed (and its names freed) on
// every path.
struct ProgmanConversation {
    HSZ service = NULL;
    HSZ topic = NULL;
    HCONV conv = NULL;

    ProgmanConversation()
    {
        service = DdeCreateStringHandleA(g_ddeInstance, PROGMAN_NAME, CP_WINANSI);
        topic = DdeCreateStringHandleA(g_ddeInstance, PROGMAN_NAME, CP_WINANSI);
        conv = DdeConnect(g_ddeInstance, service, topic, NULL);
    }
    ~ProgmanConversation()
    {
        if (conv)
            DdeDisconnect(conv);
        if (service)
            DdeFreeStringHandle(g_ddeInstance, service);
        if (topic)
            DdeFreeStringHandle(g_ddeInstance, topic);
    }
    ProgmanConversation(const ProgmanConversation &) = delete;
    ProgmanConversation &operator=(const ProgmanConversation &) = delete;
};

// Sends one execute command: 0 when Program Manager carried it out, else the
// DDEML error (no conversation, the command refused or not answered in time).
int ExecuteProgmanCommand(char *command)
{
    ProgmanConversation progman;
    if (!progman.conv)
        return static_cast<int>(DdeGetLastError(g_ddeInstance));
    HDDEDATA result = DdeClientTransaction(reinterpret_cast<BYTE *>(command),
                                           static_cast<DWORD>(lstrlenA(command) + 1), progman.conv,
                                           NULL, CF_TEXT, XTYP_EXECUTE, DDE_TIMEOUT_MS, NULL);
    if (!result) {
        UINT error = DdeGetLastError(g_ddeInstance);
        return error != DMLERR_NO_ERROR ? static_cast<int>(error) : DMLERR_NOTPROCESSED;
    }
    if (result != reinterpret_cast<HDDEDATA>(TRUE))
        DdeFreeDataHandle(result);
    return 0;
}

void AddReplyLines(HWND listBox, const char *reply, DWORD size)
{
    size_t pos = 0;
    ReplyLine line;
    while (NextGroupLine(reply, size, &pos, &line)) {
        char name[GROUP_LINE_SIZE];
        if (line.length >= sizeof name)
            continue;
        memcpy(name, line.text, line.length);
        name[line.length] = '\0';
        SendMessageA(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
}

}  // namespace

int FillGroupList(HWND listBox)
{
    if (UseShellLinks())
        return FillGroupFolderList(listBox);
    ShowStatus("Getting list of program groups...");
    int result = 0;
    {
        ProgmanConversation progman;
        if (!progman.conv) {
            result = static_cast<int>(DdeGetLastError(g_ddeInstance));
        } else {
            HSZ item = DdeCreateStringHandleA(g_ddeInstance, GROUPS_ITEM, CP_WINANSI);
            HDDEDATA data = DdeClientTransaction(NULL, 0, progman.conv, item, CF_TEXT, XTYP_REQUEST,
                                                 DDE_TIMEOUT_MS, NULL);
            if (!data) {
                result = -1;
            } else {
                DWORD size = 0;
                const char *reply = reinterpret_cast<const char *>(DdeAccessData(data, &size));
                if (reply) {
                    AddReplyLines(listBox, reply, size);
                    DdeUnaccessData(data);
                }
                DdeFreeDataHandle(data);
            }
            if (item)
                DdeFreeStringHandle(g_ddeInstance, item);
        }
    }
    if (result != 0)
        ShowError("Cannot get list of program groups (%d)", result);
    return result;
}

int AddProgramItem(const char *itemName, const char *directory, const char *group,
                   const char *programFile)
{
    if (UseShellLinks())
        return AddShellLink(itemName, directory, group, programFile);
    ShowStatus("Adding %s to %s group", itemName, group);
    char commandLine[ITEM_COMMAND_LINE_SIZE];
    char command[EXECUTE_COMMAND_SIZE];
    if (!MakeItemCommandLine(commandLine, sizeof commandLine, directory, programFile) ||
        !MakeAddItemCommand(command, sizeof command, group, commandLine, itemName)) {
        ShowError("Cannot add %s to the %s group: its command does not fit.", itemName, group);
        return -1;
    }
    int result = ExecuteProgmanCommand(command);
    if (result != 0)
        ShowError("Program Manager did not add %s to the %s group (%d).", itemName, group, result);
    return result;
}

int CreateProgramGroup(const char *group)
{
    if (UseShellLinks())
        return 0;  // the group's folder is made with its first link
    char command[EXECUTE_COMMAND_SIZE];
    if (!MakeCreateGroupCommand(command, sizeof command, group))
        return -1;
    int result = ExecuteProgmanCommand(command);
    if (result != 0)
        ShowError("Program Manager did not create the %s group (%d).", group, result);
    return result;
}

int DeleteProgramGroup(const char *group)
{
    char command[EXECUTE_COMMAND_SIZE];
    if (UseShellLinks() || !MakeDeleteGroupCommand(command, sizeof command, group))
        return -1;
    return ExecuteProgmanCommand(command);
}

int DeleteProgramItem(const char *itemName, const char *group)
{
    char command[EXECUTE_COMMAND_SIZE];
    if (!MakeDeleteItemCommand(command, sizeof command, group, itemName))
        return -1;
    return ExecuteProgmanCommand(command);
}
