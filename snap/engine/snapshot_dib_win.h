// The packed DIB a snapshot is read into: one moveable global block holding
// the info header, the colour table (8 bits) and the pixel array, locked for
// as long as the snapshot uses it; or, for a 24-bit file or printout of a
// 32-bit display, the section it was captured into with its pixels packed in
// place and the header apart. Every destination works from it.
#pragma once
#include <windows.h>

#include "snap/engine/dib_layout.h"

struct SnapshotDib {
    HGLOBAL handle;
    HBITMAP section;           // or the captured section the pixels were packed in
    BITMAPINFOHEADER *header;  // start of the locked block (apart with a section)
    BYTE *pixels;              // header + 40 + colorTableSize, or the section's bits
    DWORD colorTableSize;
    DWORD pixelArraySize;
};

// Allocates the zero-filled block for layout, locks it and fills the header.
// Returns false, with dib zeroed, when the memory is not there.
bool AllocSnapshotDib(const DibLayout &layout, SnapshotDib *dib);

// Unlocks and frees the block; nothing when it is already gone.
void FreeSnapshotDib(SnapshotDib *dib);

// For a 24-bit snapshot of a display of 32 bits per pixel: a DIB section in
// the display's format to capture into, whose pixels PackSectionAsDib then
// packs where they lie. NULL on other displays and without the memory.
HBITMAP CreatePackableBitmap(HDC displayDc, const DibLayout &layout);

// Packs the captured section's pixels into the 24-bit rows of layout where
// they lie, and makes dib describe them (the header in a block apart). The
// section is dib's from then on: FreeSnapshotDib deletes it, so it must no
// longer be selected by then. Returns false, with dib zeroed and the
// section still the caller's, when it is not such a section or there is no
// memory for the header. No clipboard can take such a DIB.
bool PackSectionAsDib(HBITMAP section, const DibLayout &layout, SnapshotDib *dib);

// Copies rect into memoryDc at (0, 0): from the live screen through
// displayDc in one copy, so that the picture is of one instant, with black
// where no monitor is; or, when frozenScreen is given, from that bitmap of
// the desktop, whose top-left pixel is rect's origin (0, 0), with black
// where the rectangle reaches past it. Returns Ok or CaptureFailed
// (SnapResult).
int CaptureScreenRect(HDC displayDc, HDC memoryDc, const RECT *rect, HBITMAP frozenScreen);

// Reads the captured bitmap (selected into memoryDc) into the block. On a
// palette display the system palette is realised first, so that 8-bit
// indices and 24-bit colours come out as the screen shows them. Returns Ok,
// or CaptureFailed when not every row could be read.
int ReadSnapshotPixels(HDC displayDc, HDC memoryDc, HBITMAP captured, SnapshotDib *dib);
