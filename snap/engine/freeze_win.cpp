#include "snap/engine/freeze_win.h"

#include "snap/engine/desktop_win.h"
#include "snap/engine/gdi_guards_win.h"
#include "snap/engine/snap_result.h"
#include "snap/engine/snapshot_dib_win.h"

int FreezeDesktop(RECT *desktop, HBITMAP *frozen)
{
    *frozen = NULL;
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
    }
    // Said as what failed: the freeze, not a snapshot or a print.
    if (result != Ok)
        return result == CaptureFailed ? FreezeFailed : result;
    *frozen = static_cast<HBITMAP>(bitmap.object);
    bitmap.object = NULL;  // the caller's now
    return Ok;
}
