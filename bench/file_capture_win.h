// The capture bitmap and the DIB made of it as the program makes them for a
// file, for the benchmarks that time those stages.
#pragma once
#include <windows.h>

#include "snap/engine/dib_layout.h"
#include "snap/engine/gdi_guards_win.h"
#include "snap/engine/snap_result.h"
#include "snap/engine/snapshot_dib_win.h"

// A section the DIB is packed in where the display allows, else a
// compatible bitmap.
inline HBITMAP CreateFileCapture(HDC display, const DibLayout &layout)
{
    HBITMAP packable = CreatePackableBitmap(display, layout);
    return packable ? packable : CreateCompatibleBitmap(display, layout.width, layout.height);
}

// The section packed where it lies (the guards give it up), or a new block
// read from the compatible bitmap. Ok, NoMemory or CaptureFailed.
inline int FillFileDib(HDC display, HDC memory, const DibLayout &layout, GdiObjectGuard *captured,
                       SelectGuard *selected, SnapshotDib *dib)
{
    DIBSECTION section;
    if (GetObjectA(captured->object, sizeof section, &section) == (int)sizeof section) {
        selected->Release();
        if (!PackSectionAsDib(static_cast<HBITMAP>(captured->object), layout, dib))
            return NoMemory;
        captured->object = NULL;
        return Ok;
    }
    if (!AllocSnapshotDib(layout, dib))
        return NoMemory;
    return ReadSnapshotPixels(display, memory, static_cast<HBITMAP>(captured->object), dib);
}
