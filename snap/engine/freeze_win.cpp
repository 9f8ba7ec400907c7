#include "snap/engine/freeze_win.h"

#include "snap/engine/desktop_win.h"
#include "snap/engine/gdi_guards_win.h"
#include "snap/engine/pointer_win.h"
#include "snap/engine/snap_result.h"
#include "snap/engine/snapshot_dib_win.h"
#include "snap/settings/snap_settings.h"

int FreezeDesktop(RECT *desktop, HBITMAP *frozen)
{
    *frozen = NULL;
    PointerShot pointer;
    const bool withPointer = SnapSettings.pointer && TakePointer(&pointer);
    DesktopBounds(desktop);
    DcGuard display(CreateDCA("DISPLAY", NULL, NULL, NULL));
    if (!display)
        return FreezeFailed;
    DcGuard memory(CreateCompatibleDC(display));
    if (!memory)
        return NoMemory;
    GdiObjectGuard bitmap(CreateCompatibleBitmap(display, desktop->right - desktop->left,
                                                 desktop->bottom - desktop->top));
    if (!bitmap.object)
        return NoMemory;
    int result;
    {
        SelectGuard selected(memory, bitmap.object);
        if (!selected.previous)
            return FreezeFailed;
        result = CaptureScreenRect(display, memory, desktop, NULL);
        // Into the frozen picture, so that every area taken from it has the
        // pointer where the screen showed it at the freeze.
        if (result == Ok && withPointer)
            DrawPointer(memory, desktop, pointer);
    }
    // Said as what failed: the freeze, not a snapshot or a print.
    if (result != Ok)
        return result == CaptureFailed ? FreezeFailed : result;
    *frozen = static_cast<HBITMAP>(bitmap.object);
    bitmap.object = NULL;  // the caller's now
    return Ok;
}
