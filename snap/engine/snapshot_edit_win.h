// The step between capture and destination where the user may mark the
// snapshot. The engine knows only that some editor may be set; the shell
// sets the one it has.
#pragma once
#include <windows.h>

#include "snap/engine/snapshot_dib_win.h"

enum EditOutcome {
    EditSkipped,  // no editing wanted: the snapshot goes as captured
    EditSent,     // send it as it now is (marked, perhaps cropped: the header and pixelArraySize say so)
    EditClosed    // drop it without a word
};

typedef EditOutcome (*SnapshotEditor)(SnapshotDib *dib);

void SetSnapshotEditor(SnapshotEditor editor);

// Runs the editor set, if any. When memoryDc is given (the clipboard's
// captured bitmap is selected into it), an edited picture is drawn back
// into that bitmap from its top-left corner and *width and *height become
// the picture's, so that CF_BITMAP shows what CF_DIB holds. Returns Ok or
// Cancelled (SnapResult).
int EditBeforeDelivery(SnapshotDib *dib, HDC memoryDc, int *width, int *height);
