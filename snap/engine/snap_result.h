// Outcome of one snapshot and the one message that each failure shows.
// Portable: no Windows headers.
#pragma once

enum SnapResult {
    Cancelled = -1,
    Ok = 0,
    NoDisplay = 1,
    NoMemory = 2,
    DiskFull = 3,
    CannotCreateFile = 4,
    PrintFailed = 5,
    SpoolerDiskFull = 6,
    SpoolerNoMemory = 7,
    PrintAborted = 8,
    MarginsTooWide = 9,
    ClipboardFailed = 10
};

// The error box text for a failure (1 to 10); nullptr for Cancelled, Ok and
// anything out of range, which show nothing.
const char *SnapResultMessage(int result);
