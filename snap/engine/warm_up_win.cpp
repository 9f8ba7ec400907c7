#include "snap/engine/warm_up_win.h"

#include <windows.h>

#include <initializer_list>

#include "snap/common/snap_sound_win.h"
#include "snap/engine/dib_layout.h"
#include "snap/engine/gdi_guards_win.h"
#include "snap/engine/snapshot_dib_win.h"

enum { WARM_UP_SIZE = 16 };

static void WarmUpCapture()
{
    DcGuard display(CreateDCA("DISPLAY", NULL, NULL, NULL));
    if (!display)
        return;
    DcGuard memory(CreateCompatibleDC(display));
    GdiObjectGuard captured(CreateCompatibleBitmap(display, WARM_UP_SIZE, WARM_UP_SIZE));
    SelectGuard selected(memory, captured.object);
    const RECT rect = {0, 0, WARM_UP_SIZE, WARM_UP_SIZE};
    CaptureScreenRect(display, memory, &rect, NULL);
    for (int bits : {24, 8}) {
        DibLayout layout;
        SnapshotDib dib;
        if (!ComputeDibLayout(WARM_UP_SIZE, WARM_UP_SIZE, bits, &layout) || !AllocSnapshotDib(layout, &dib))
            return;
        ReadSnapshotPixels(display, memory, static_cast<HBITMAP>(captured.object), &dib);
        FreeSnapshotDib(&dib);
    }
    // And the way of a 24-bit snapshot for a file, where the display has it.
    DibLayout layout;
    SnapshotDib dib;
    GdiObjectGuard packable(ComputeDibLayout(WARM_UP_SIZE, WARM_UP_SIZE, 24, &layout)
                                ? CreatePackableBitmap(display, layout)
                                : NULL);
    if (!packable.object)
        return;
    {
        // Selected only for the copy: the section is the DIB's once packed.
        SelectGuard intoSection(memory, packable.object);
        CaptureScreenRect(display, memory, &rect, NULL);
    }
    if (PackSectionAsDib(static_cast<HBITMAP>(packable.object), layout, &dib)) {
        packable.object = NULL;
        FreeSnapshotDib(&dib);
    }
}

void WarmUpSnapshotPath()
{
    WarmUpCapture();
    WaveOutDevices();
    // The Save dialog is not built ahead: held for the program's life it
    // cost megabytes, and it opened the snapshot folder (perhaps a network
    // or removable drive) at every start. Its first showing pays instead.
}
