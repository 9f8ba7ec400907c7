#include "snap/engine/snapshot_win.h"

#include "snap/engine/bitmap_file_win.h"
#include "snap/engine/clipboard_win.h"
#include "snap/engine/dib_layout.h"
#include "snap/engine/gdi_guards_win.h"
#include "snap/engine/pointer_win.h"
#include "snap/engine/print_win.h"
#include "snap/engine/snap_result.h"
#include "snap/engine/snapshot_dib_win.h"
#include "snap/engine/snapshot_edit_win.h"
#include "snap/settings/snap_settings.h"
#include "snap/common/message_box_win.h"
#include "snap/common/snap_sound_win.h"

static const char DISPLAY_DRIVER[] = "DISPLAY";
static const char PRINT_DOC_NAME[] = "Screen Snapshot";

// What a destination needs besides the DIB: the window that owns the
// clipboard and the printing box, and the captured bitmap for CF_BITMAP.
struct Capture {
    HWND owner;
    HDC display;
    HDC memory;
    int width;
    int height;
};

// Hands the DIB to its destination and returns the destination's result.
// The file branch takes every value that has no output of its own. The block
// is gone when this returns: freed, or the clipboard's.
static int Deliver(const Capture &capture, SnapshotDib *dib, int destination, BOOL playSound)
{
    int result;
    switch (destination) {
    case Printer: {
        if (playSound)
            PlaySnapSound(SnapSettings.sound != 0);
        HWND active = GetActiveWindow();
        result = PrintSnapshot(capture.owner, dib->header, dib->pixels, PRINT_DOC_NAME);
        if (active)
            SetActiveWindow(active);
        break;
    }
    case Clipboard:
        result = CopySnapshotToClipboard(capture.owner, capture.display, capture.memory, capture.width,
                                         capture.height, dib, playSound);
        break;
    default:
        result = WriteSnapshotFile(dib->header, dib->colorTableSize, dib->pixels, dib->pixelArraySize,
                                   playSound);
        break;
    }
    FreeSnapshotDib(dib);
    return result;
}

// Everything the snapshot borrows from GDI lives in this scope and is given
// back when it ends, before the cursor is restored.
static int CaptureAndDeliver(HWND owner, const RECT *rect, int destination, HBITMAP frozenScreen, BOOL playSound,
                             const PointerShot *pointer)
{
    const int width = rect->right - rect->left;
    const int height = rect->bottom - rect->top;

    DibLayout layout;
    if (!ComputeDibLayout(width, height, SnapSettings.bitsPerPixel, &layout))
        return NoMemory;
    // Each step that makes the picture is checked: a failed one ends the
    // snapshot with its result instead of delivering an unread block.
    DcGuard display(CreateDCA(DISPLAY_DRIVER, NULL, NULL, NULL));
    if (!display)
        return NoDisplay;
    DcGuard memory(CreateCompatibleDC(display));
    // The file and the printer take a 24-bit snapshot packed where it was
    // captured, when the display allows it: no second block to fill. The
    // clipboard takes a block of its own.
    HBITMAP packable = memory && destination != Clipboard ? CreatePackableBitmap(display, layout) : NULL;
    GdiObjectGuard captured(packable ? packable : memory ? CreateCompatibleBitmap(display, width, height) : NULL);
    if (!captured.object)
        return NoMemory;
    SelectGuard selected(memory, captured.object);
    if (!selected.previous)
        return CaptureFailed;
    int result = CaptureScreenRect(display, memory, rect, frozenScreen);
    if (result != Ok)
        return result;
    // A pointer that cannot be drawn costs the snapshot nothing else.
    if (pointer)
        DrawPointer(memory, rect, *pointer);

    SnapshotDib dib;
    if (packable) {
        if (!PackSectionAsDib(packable, layout, &dib))
            return NoMemory;
        captured.object = NULL;  // the DIB's, deleted with it after the selection ends below
    } else {
        if (!AllocSnapshotDib(layout, &dib))
            return NoMemory;
        result = ReadSnapshotPixels(display, memory, static_cast<HBITMAP>(captured.object), &dib);
        if (result != Ok) {
            FreeSnapshotDib(&dib);
            return result;
        }
    }
    if (destination != Clipboard) {
        // The file and the printer work from the DIB alone: a captured
        // bitmap apart from it, as large again, is not kept while their
        // dialogs wait.
        selected.Release();
        captured.Release();
        memory.Release();
        display.Release();
    }
    // The user may mark the picture first, or drop it without a word.
    int shownWidth = width, shownHeight = height;
    if (EditBeforeDelivery(&dib, destination == Clipboard ? (HDC)memory : NULL, &shownWidth, &shownHeight) != Ok) {
        FreeSnapshotDib(&dib);
        return Cancelled;
    }
    const Capture capture = {owner, display, memory, shownWidth, shownHeight};
    return Deliver(capture, &dib, destination, playSound);
}

int TakeSnapshot(HWND owner, const RECT *rect, int destination, HBITMAP frozenScreen, BOOL playSound)
{
    // Nothing to take is not a lack of memory: it ends silently, as a
    // click without a drag does.
    if (IsRectEmpty(rect))
        return Cancelled;
    // Before the wait cursor below, which the screen shows only because of
    // the snapshot. A frozen desktop has the pointer in it already.
    PointerShot pointer;
    const bool withPointer = SnapSettings.pointer && !frozenScreen && TakePointer(&pointer);
    HCURSOR previous = SetCursor(LoadCursorA(NULL, IDC_WAIT));
    int result = CaptureAndDeliver(owner, rect, destination, frozenScreen, playSound,
                                   withPointer ? &pointer : NULL);
    SetCursor(previous);

    // The one message of a failure, once the user has the cursor back.
    const char *message = SnapResultMessage(result);
    if (message)
        ShowErrorBox(message);
    return result;
}
