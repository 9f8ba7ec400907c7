// The clipboard destination of a snapshot.
#pragma once
#include <windows.h>

#include "snap/engine/snapshot_dib_win.h"

// Puts the snapshot on the clipboard, opened for owner (the main window when
// owner is NULL): a copy of the captured bitmap (selected into memoryDc) as
// CF_BITMAP, at 8 bits a palette from the DIB's colour table as CF_PALETTE,
// the DIB block itself as CF_DIB, and the snapshot as a PNG file under the
// registered format "PNG", in that order; every format is offered even
// after one is refused. The block is always consumed: handed to the
// clipboard (dib is then zeroed) or freed. On success plays the sound cue
// when playSound is set and says so; returns Ok or ClipboardFailed.
int CopySnapshotToClipboard(HWND owner, HDC displayDc, HDC memoryDc, int width, int height,
                            SnapshotDib *dib, BOOL playSound);

// A 256-entry palette with the colours of the DIB's colour table, or NULL.
HPALETTE BuildClipboardPalette(const BITMAPINFOHEADER *header);
