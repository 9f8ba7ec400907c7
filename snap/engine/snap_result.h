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
    ClipboardFailed = 10,
    // A confirmed overwrite that could not complete: the new picture and the
    // old file were both kept under other names, which the file writer tells
    // the user itself.
    SnapshotKeptAside = 11,
    // Copying the pixels from the screen (or the frozen screen) or reading
    // them into the block failed: there is no picture to deliver.
    CaptureFailed = 12,
    // The screen could not be frozen for the area preview.
    FreezeFailed = 13,
    LAST_SNAP_RESULT = FreezeFailed
};

// The error box text for a failure (NoDisplay to LAST_SNAP_RESULT); nullptr
// for Cancelled, Ok, SnapshotKeptAside and anything out of range, which show
// nothing here.
const char *SnapResultMessage(int result);
