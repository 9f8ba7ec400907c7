#include "snap/engine/snapshot_win.h"

#include "snap/engine/bitmap_file_win.h"
#include "snap/engine/dib_layout.h"
#include "snap/engine/gdi_guards_win.h"
#include "snap/engine/snap_result.h"
#include "snap/engine/snapshot_dib_win.h"
#include "snap/settings/snap_settings.h"
#include "snap/shell/message_box_win.h"

static const char DISPLAY_DRIVER[] = "DISPLAY";

// Hands the DIB to its destination and returns the destination's result.
// The file branch takes every value that has no output of its own.
static int Deliver(SnapshotDib *dib, int destination, BOOL playSound)
{
    int result;
    switch (destination) {
    default:
        result = WriteSnapshotFile(dib->header, dib->colorTableSize, dib->pixels, dib->pixelArraySize,
                                   playSound);
        FreeSnapshotDib(dib);
        break;
    }
    return result;
}

// Everything the snapshot borrows from GDI lives in this scope and is given
// back when it ends, before the cursor is restored.
static int CaptureAndDeliver(const RECT *rect, int destination, HBITMAP frozenScreen, BOOL playSound)
{
    const int width = rect->right - rect->left;
    const int height = rect->bottom - rect->top;

    DcGuard display(CreateDCA(DISPLAY_DRIVER, NULL, NULL, NULL));
    if (!display)
        return NoDisplay;
    DcGuard memory(CreateCompatibleDC(display));
    GdiObjectGuard captured(CreateCompatibleBitmap(display, width, height));
    SelectGuard selected(memory, captured.object);

    CaptureScreenRect(display, memory, rect, frozenScreen);

    DibLayout layout;
    SnapshotDib dib;
    if (!ComputeDibLayout(width, height, SnapSettings.bitsPerPixel, &layout) || !AllocSnapshotDib(layout, &dib))
        return NoMemory;
    ReadSnapshotPixels(display, memory, static_cast<HBITMAP>(captured.object), &dib);
    return Deliver(&dib, destination, playSound);
}

int TakeSnapshot(HWND owner, const RECT *rect, int destination, HBITMAP frozenScreen, BOOL playSound)
{
    (void)owner;  // the clipboard and the printing box will need it
    HCURSOR previous = SetCursor(LoadCursorA(NULL, IDC_WAIT));
    int result = CaptureAndDeliver(rect, destination, frozenScreen, playSound);
    SetCursor(previous);

    // The one message of a failure, once the user has the cursor back.
    const char *message = SnapResultMessage(result);
    if (message)
        ShowErrorBox(message);
    return result;
}
