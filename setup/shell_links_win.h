// Program items as shell links in the common Start Menu (the installation
// is for the machine), for Windows NT 6.0 and later. There setup runs elevated, and the unelevated shell's DDE replies
// never reach it, so Program Manager's conversation cannot be used.
#pragma once
#include <windows.h>

// Whether this Windows wants shell links (NT 6.0 or later) rather than
// Program Manager's DDE conversation.
bool UseShellLinks();

// Fills the list box with the subfolders of the common Programs folder.
// 0 when filled (also with none), otherwise a system error code; shows the
// same error box as the Program Manager list for that.
int FillGroupFolderList(HWND listBox);

// Writes "<group>\<itemName>.lnk" (the common Startup folder for StartUp)
// pointing at directory\programFile, starting in directory, described by the
// item name, and records the link and any folder it had to make. 0 when
// written, otherwise a nonzero code after an error box.
int AddShellLink(const char *itemName, const char *directory, const char *group,
                 const char *programFile);

// Deletes the links the installations recorded, then the folders they made
// when those are empty, and forgets the records.
void DeleteRecordedLinks();

// After a failed installation: deletes the links and folders it made (not a
// link that was there before it) and their records.
void UndoLinksMade();

// After a complete installation: deletes the recorded links that it did not
// make (an earlier installation's item in another group), then such folders
// when empty.
void KeepLinksMade();
