#include "snap/engine/clipboard_win.h"

#include <string.h>

#include "snap/engine/clipboard_palette.h"
#include "snap/engine/dib_layout.h"
#include "snap/engine/gdi_guards_win.h"
#include "snap/engine/palette_win.h"
#include "snap/engine/png_file.h"
#include "snap/engine/snap_result.h"
#include "snap/settings/snap_settings.h"
#include "snap/common/app_state_win.h"
#include "snap/common/message_box_win.h"
#include "snap/common/snap_sound_win.h"

static const char COPIED[] = "Snapshot copied to Clipboard.";
// The registered format under which browsers, office programs and many
// others look for a PNG file first.
static const char PNG_CLIPBOARD_FORMAT[] = "PNG";

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

// The PNG file is built in a moveable global block that grows as the writer
// hands it chunks, so that the clipboard can take the block itself.
struct GlobalFile {
    HGLOBAL block;
    SIZE_T size;
    SIZE_T capacity;
};

enum { PNG_BLOCK_FIRST_SIZE = 256 * 1024 };

static bool AppendToGlobal(void *, void *file, const void *data, uint32_t size)
{
    GlobalFile *out = static_cast<GlobalFile *>(file);
    if (size > out->capacity - out->size) {
        SIZE_T wanted = out->capacity * 2 > out->size + size ? out->capacity * 2 : out->size + size;
        HGLOBAL grown = GlobalReAlloc(out->block, wanted, GMEM_MOVEABLE);
        if (!grown)
            return false;
        out->block = grown;
        out->capacity = wanted;
    }
    BYTE *base = static_cast<BYTE *>(GlobalLock(out->block));
    if (!base)
        return false;
    memcpy(base + out->size, data, size);
    out->size += size;
    GlobalUnlock(out->block);
    return true;
}

// The snapshot as a whole PNG file in a global block, or NULL when there is
// no memory for it.
static HGLOBAL BuildPngBlock(const SnapshotDib *dib)
{
    const BITMAPINFOHEADER *header = dib->header;
    GlobalFile out = {GlobalAlloc(GMEM_MOVEABLE, PNG_BLOCK_FIRST_SIZE), 0, PNG_BLOCK_FIRST_SIZE};
    if (!out.block)
        return NULL;
    const PngPicture picture = {static_cast<uint32_t>(header->biWidth), static_cast<uint32_t>(header->biHeight),
                                header->biBitCount,
                                reinterpret_cast<const uint8_t *>(header) + BITMAP_INFO_HEADER_SIZE,
                                dib->colorTableSize / 4, dib->pixels};
    SnapshotFileSystem memory = {};
    memory.write = AppendToGlobal;
    if (WritePngFileContent(memory, &out, picture) != Ok) {
        GlobalFree(out.block);
        return NULL;
    }
    // A reader may take the block's size for the file's.
    HGLOBAL exact = GlobalReAlloc(out.block, out.size, GMEM_MOVEABLE);
    return exact ? exact : out.block;
}

// Places one global block; what the clipboard refuses (or a format that
// could not be registered) is freed here.
static bool PlaceBlock(UINT format, HGLOBAL block)
{
    if (!block)
        return false;
    if (format && SetClipboardData(format, block))
        return true;
    GlobalFree(block);
    return false;
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
    // Opened without a window, EmptyClipboard would leave the clipboard with
    // no owner, and SetClipboardData may then refuse every format.
    if (!OpenClipboard(owner ? owner : g_hwndMain)) {
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

    // Made while the DIB is still ours to read; offered after it.
    HGLOBAL png = BuildPngBlock(dib);

    HGLOBAL block = dib->handle;
    GlobalUnlock(block);
    ZeroMemory(dib, sizeof *dib);  // the clipboard's from here on, or freed just below
    if (!PlaceBlock(CF_DIB, block))
        result = ClipboardFailed;
    if (!PlaceBlock(RegisterClipboardFormatA(PNG_CLIPBOARD_FORMAT), png))
        result = ClipboardFailed;
    CloseClipboard();

    if (result == Ok) {
        if (playSound)
            PlaySnapSound(SnapSettings.sound != 0);
        ShowInfoBox(COPIED);
    }
    return result;
}
