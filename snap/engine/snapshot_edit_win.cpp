#include "snap/engine/snapshot_edit_win.h"

#include "snap/engine/snap_result.h"

static SnapshotEditor g_editor;

void SetSnapshotEditor(SnapshotEditor editor)
{
    g_editor = editor;
}

int EditBeforeDelivery(SnapshotDib *dib, HDC memoryDc, int *width, int *height)
{
    const EditOutcome outcome = g_editor ? g_editor(dib) : EditSkipped;
    if (outcome == EditClosed)
        return Cancelled;
    if (outcome == EditSent && memoryDc) {
        const BITMAPINFOHEADER &h = *dib->header;
        // Within the captured bitmap: a crop only makes the picture smaller.
        SetDIBitsToDevice(memoryDc, 0, 0, h.biWidth, h.biHeight, 0, 0, 0, h.biHeight, dib->pixels,
                          reinterpret_cast<const BITMAPINFO *>(dib->header), DIB_RGB_COLORS);
        *width = h.biWidth;
        *height = h.biHeight;
    }
    return Ok;
}
