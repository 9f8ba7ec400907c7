// The "Edit Snapshot" window: the captured picture shown before it goes to
// its destination, to be marked, redacted or cropped, then sent or dropped.
#pragma once
#include <windows.h>

#include "snap/engine/snapshot_dib_win.h"
#include "snap/engine/snapshot_edit_win.h"

// Runs the editor on dib until the user sends or closes it, in a message
// loop of its own that keeps serving the program's other windows (modal to
// the snapshot, as a dialog is). On Send the marks are in dib's pixels and
// a crop has been made (its header and pixelArraySize say so).
EditOutcome RunSnapshotEditor(SnapshotDib *dib);

// The editor when the settings ask for it (Preferences\Edit), else
// EditSkipped: what the shell gives the engine as its SnapshotEditor.
EditOutcome EditSnapshotWhenChosen(SnapshotDib *dib);

// Builds the editor's window ahead, hidden, so that a snapshot only sizes,
// fills and shows it; released when editing is turned off.
void PrepareSnapshotEditor();
void ReleaseSnapshotEditor();

// While an editor is open a hot key takes no second snapshot.
bool SnapshotEditorOpen();
