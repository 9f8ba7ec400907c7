#include "snap/engine/snap_result.h"

const char *SnapResultMessage(int result)
{
    // A missing display context reads as a print failure for every
    // destination: the user is told the snapshot could not be produced.
    static const char *const messages[] = {
        nullptr,
        "Cannot print snapshot.",
        "Cannot allocate memory for snapshot.",
        "Cannot create file: out of disk space?",
        "Cannot create snapshot file.",
        "Cannot print snapshot.",
        "Cannot print snapshot, because there is not enough free disk space for the spooler file.  Free up some space and try again.",
        "Cannot print snapshot, because there is not enough free memory. Try closing other applications, or select a smaller snapshot.",
        "Printing was aborted.",
        "The margins you specified in Page Setup are too wide. Please choose Page Setup from Tamblit's Setup dialog and change them to smaller numbers.",
        "Cannot access clipboard.",
        nullptr,  // SnapshotKeptAside: the file writer tells the user itself
        "Cannot copy the screen for snapshot.",
        "Cannot freeze the screen for the area snapshot.",
    };
    static_assert(sizeof messages / sizeof messages[0] == LAST_SNAP_RESULT + 1, "one text per result");
    if (result < NoDisplay || result > LAST_SNAP_RESULT)
        return nullptr;
    return messages[result];
}
