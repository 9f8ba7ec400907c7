// The printer destination of a snapshot.
#pragma once
#include <windows.h>

// Lets the user choose a printer and prints the snapshot on one page inside
// the margins of the settings, at its screen size or shrunk to fit, while the
// PRINTING box (child of owner, may be NULL) offers Abort. Returns Ok,
// Cancelled, PrintFailed, SpoolerDiskFull, SpoolerNoMemory, PrintAborted or
// MarginsTooWide and shows nothing itself; the caller frees the DIB.
int PrintSnapshot(HWND owner, const BITMAPINFOHEADER *header, const BYTE *pixels, const char *docName);

// True from the Print dialog to the end of the job: any modal loop in
// between (the dialog, a "Print to file" prompt inside StartDocA) still
// dispatches the hot key, and a nested print would reset the printing box.
bool PrintInProgress();
