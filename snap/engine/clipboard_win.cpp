#include "snap/engine/clipboard_win.h"

#include "snap/engine/clipboard_palette.h"
#include "snap/engine/dib_layout.h"
#include "snap/engine/gdi_guards_win.h"
#include "snap/engine/palette_win.h"
#include "snap/engine/snap_result.h"
#include "snap/settings/snap_settings.h"
#include "snap/common/message_box_win.h"
#include "snap/common/snap_sound_win.h"

static const char COPIED[] = "Snapshot copied to Clipboard.";

static_assert(sizeof(PALETTEENTRY) == 4 && sizeof(RGBQUAD) == 4, "palette and colour table entries");

HPALETTE BuildClipboardPalette(const BITMAPINFOHEADER *header)
{
    PALETTEENTRY entries[PALETTE_ENTRIES_8BPP];
    ColorTableToPaletteEntries(reinterpret_cast<const BYTE *>(header) + BITMAP_INFO_HEADER_SIZE,
                               PALETTE_ENTRIES_8BPP, reinterpret_cast<BYTE *>(entries));
    return CreatePalette8bpp(entries);
}

// A device-dependent copy of the captured bitmap, selected into nothing so
// that the clipboard can hand it to any reader; NULL when any step fails,
// rather than a blank bitmap offered as the snapshot.
static HBITMAP CopyCapturedBitmap(HDC displayDc, HDC memoryDc, int width, int height)
{
    GdiObjectGuard copy(CreateCompatibleBitmap(displayDc, width, height));
    DcGuard temporary(CreateCompatibleDC(displayDc));
    if (!copy.object || !temporary)
        return NULL;
    {
        SelectGuard selected(temporary, copy.object);
        if (!selected.previous || !BitBlt(temporary, 0, 0, width, height, memoryDc, 0, 0, SRCCOPY))
            return NULL;
    }
    HBITMAP kept = static_cast<HBITMAP>(copy.object);
    copy.object = NULL;
    return kept;
}

// Places one GDI object. A NULL handle is never offered: to the clipboard
// it would mean "rendered later", a promise nobody keeps. What the clipboard
// refuses is still ours and is deleted here.
static bool PlaceObject(UINT format, HGDIOBJ object)
{
    if (!object)
        return false;
    if (SetClipboardData(format, object))
        return true;
    DeleteObject(object);
    return false;
}

int CopySnapshotToClipboard(HWND owner, HDC displayDc, HDC memoryDc, int width, int height,
                            SnapshotDib *dib, BOOL playSound)
{
    if (!OpenClipboard(owner)) {
        FreeSnapshotDib(dib);
        return ClipboardFailed;
    }
    EmptyClipboard();

    // Once the clipboard is open every format is offered, whatever became of
    // the one before.
    int result = Ok;
    if (!PlaceObject(CF_BITMAP, CopyCapturedBitmap(displayDc, memoryDc, width, height)))
        result = ClipboardFailed;
    if (dib->colorTableSize != 0 && !PlaceObject(CF_PALETTE, BuildClipboardPalette(dib->header)))
        result = ClipboardFailed;

    HGLOBAL block = dib->handle;
    GlobalUnlock(block);
    ZeroMemory(dib, sizeof *dib);  // the clipboard's from here on, or freed just below
    if (!SetClipboardData(CF_DIB, block)) {
        GlobalFree(block);
        result = ClipboardFailed;
    }
    CloseClipboard();

    if (result == Ok) {
        if (playSound)
            PlaySnapSound(SnapSettings.sound != 0);
        ShowInfoBox(COPIED);
    }
    return result;
}
