// The program items: below Windows NT 6.0 through the conversation with
// Program Manager ("PROGMAN") over DDEML, one conversation and one synchronous
// transaction per operation; from NT 6.0 on as shell links (shell_links_win.h).
#pragma once
#include <windows.h>

// Fills the list box with the names of Program Manager's groups. 0 when
// filled (also with no group), -1 when no data came, otherwise the DDEML
// error of the failed connection; shows its own error box for those.
int FillGroupList(HWND listBox);

// Adds the item running directory\programFile to the group. 0 when added,
// -1 when its text was refused, otherwise the DDEML error of the failed
// conversation or command; each failure after an error box.
int AddProgramItem(const char *itemName, const char *directory, const char *group,
                   const char *programFile);

// Makes the group (Program Manager's CreateGroup); 0 when it exists then,
// else an error code after an error box.
int CreateProgramGroup(const char *group);

// Deletes a group that CreateProgramGroup made, through Program Manager
// only (a folder made for a shell link goes with UndoLinksMade). No message.
int DeleteProgramGroup(const char *group);

// Deletes the item from the group through Program Manager (the shell links
// are deleted by DeleteRecordedLinks). Results as above; no message at all.
int DeleteProgramItem(const char *itemName, const char *group);
