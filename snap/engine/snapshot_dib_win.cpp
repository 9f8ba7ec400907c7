#include "snap/engine/snapshot_dib_win.h"

#include <stdlib.h>
#include <string.h>

#include "snap/engine/desktop_win.h"
#include "snap/engine/gdi_guards_win.h"
#include "snap/engine/palette_win.h"
#include "snap/engine/snap_result.h"

static_assert(sizeof(BITMAPINFOHEADER) == BITMAP_INFO_HEADER_SIZE, "packed DIB header");
static_assert(sizeof(RGBQUAD) * PALETTE_ENTRIES_8BPP == COLOR_TABLE_SIZE_8BPP, "colour table");

bool AllocSnapshotDib(const DibLayout &layout, SnapshotDib *dib)
{
    memset(dib, 0, sizeof *dib);
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, layout.blockSize);
    if (!handle)
        return false;
    BYTE *base = static_cast<BYTE *>(GlobalLock(handle));
    if (!base) {
        GlobalFree(handle);
        return false;
    }
    BuildInfoHeader(layout, base);
    dib->handle = handle;
    dib->header = reinterpret_cast<BITMAPINFOHEADER *>(base);
    dib->pixels = base + BITMAP_INFO_HEADER_SIZE + layout.colorTableSize;
    dib->colorTableSize = layout.colorTableSize;
    dib->pixelArraySize = layout.pixelArraySize;
    return true;
}

void FreeSnapshotDib(SnapshotDib *dib)
{
    if (dib->section) {
        DeleteObject(dib->section);
        free(dib->header);
    } else if (dib->handle) {
        GlobalUnlock(dib->handle);
        GlobalFree(dib->handle);
    }
    memset(dib, 0, sizeof *dib);
}

int CaptureScreenRect(HDC displayDc, HDC memoryDc, const RECT *rect, HBITMAP frozenScreen)
{
    const int width = rect->right - rect->left;
    const int height = rect->bottom - rect->top;
    if (!frozenScreen) {
        // One copy, so that the picture is of one instant.
        ScreenDcGuard screen;
        if (!screen || !BitBlt(memoryDc, 0, 0, width, height, screen, rect->left, rect->top, SRCCOPY))
            return CaptureFailed;
        return BlackenOffMonitorParts(memoryDc, rect) ? Ok : CaptureFailed;
    }
    // A rectangle dragged past the edge of the frozen screen has no pixels
    // to copy there: that part is black, whatever the new bitmap held.
    BITMAP frozen;
    if (!GetObjectA(frozenScreen, sizeof frozen, &frozen))
        return CaptureFailed;
    if ((rect->left < 0 || rect->top < 0 || rect->right > frozen.bmWidth || rect->bottom > frozen.bmHeight) &&
        !PatBlt(memoryDc, 0, 0, width, height, BLACKNESS))
        return CaptureFailed;
    DcGuard frozenDc(CreateCompatibleDC(displayDc));
    if (!frozenDc)
        return CaptureFailed;
    SelectGuard selected(frozenDc, frozenScreen);
    if (!selected.previous || !BitBlt(memoryDc, 0, 0, width, height, frozenDc, rect->left, rect->top, SRCCOPY))
        return CaptureFailed;
    return Ok;
}

// A logical palette of all 256 system palette entries, selected into dc and
// realised for as long as the scope lasts. Without memory for it or without
// a palette the pixels are simply read unmapped.
struct SystemPaletteScope {
    HDC dc;
    HPALETTE palette;
    HPALETTE previous;

    SystemPaletteScope(HDC displayDc, HDC into) : dc(into), palette(NULL), previous(NULL)
    {
        PALETTEENTRY entries[PALETTE_ENTRIES_8BPP] = {};
        GetSystemPaletteEntries(displayDc, 0, PALETTE_ENTRIES_8BPP, entries);
        palette = CreatePalette8bpp(entries);
        if (!palette)
            return;
        previous = SelectPalette(dc, palette, FALSE);
        RealizePalette(dc);
    }
    ~SystemPaletteScope()
    {
        if (palette) {
            if (previous)
                SelectPalette(dc, previous, FALSE);
            DeleteObject(palette);
        }
    }
    SystemPaletteScope(const SystemPaletteScope &) = delete;
    SystemPaletteScope &operator=(const SystemPaletteScope &) = delete;
};

enum {
    BAND_BYTES = 128 * 1024,  // staging for 32-bit rows on their way to 24 bits
    DISPLAY_BITS_32 = 32
};

HBITMAP CreatePackableBitmap(HDC displayDc, const DibLayout &layout)
{
    if (layout.bitsPerPixel != 24 || (GetDeviceCaps(displayDc, RASTERCAPS) & RC_PALETTE) ||
        DisplayDepth() != DISPLAY_BITS_32)
        return NULL;
    // The display's own format, rows bottom-up as in the block.
    BITMAPINFO info;
    memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = layout.width;
    info.bmiHeader.biHeight = layout.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = DISPLAY_BITS_32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits;
    return CreateDIBSection(displayDc, &info, DIB_RGB_COLORS, &bits, NULL, 0);
}

bool PackSectionAsDib(HBITMAP section, const DibLayout &layout, SnapshotDib *dib)
{
    memset(dib, 0, sizeof *dib);
    DIBSECTION captured;
    if (GetObjectA(section, sizeof captured, &captured) != (int)sizeof captured || !captured.dsBm.bmBits ||
        captured.dsBmih.biBitCount != DISPLAY_BITS_32 || captured.dsBmih.biWidth != layout.width ||
        captured.dsBmih.biHeight != layout.height || layout.bitsPerPixel != 24)
        return false;
    BITMAPINFOHEADER *header = static_cast<BITMAPINFOHEADER *>(malloc(sizeof *header));
    if (!header)
        return false;
    BuildInfoHeader(layout, reinterpret_cast<uint8_t *>(header));
    // The copy into the section may still be queued.
    GdiFlush();
    BYTE *bits = static_cast<BYTE *>(captured.dsBm.bmBits);
    PackPixels32To24(bits, (uint32_t)captured.dsBm.bmWidthBytes, layout, bits);
    dib->section = section;
    dib->header = header;
    dib->pixels = bits;
    dib->pixelArraySize = layout.pixelArraySize;
    return true;
}

// On a 32-bit display GDI's own 32-to-24 conversion costs several times a
// copy of the pixels: read them unconverted, a band of rows at a time into a
// small buffer, and pack each row into the block. Every pixel is still read
// once and ends in the block. False when the staging buffer is not there;
// *read tells whether every row came.
static bool ReadPixels24From32(HDC memoryDc, HBITMAP captured, SnapshotDib *dib, bool *read)
{
    const BITMAPINFOHEADER set = *dib->header;
    const LONG width = set.biWidth, height = set.biHeight;
    const DWORD rowIn = (DWORD)width * 4, rowOut = ((DWORD)width * 3 + 3) & ~3u;
    if (rowIn == 0 || rowIn > BAND_BYTES)
        return false;
    const UINT bandRows = BAND_BYTES / rowIn;
    BYTE *band = static_cast<BYTE *>(malloc((size_t)bandRows * rowIn));
    if (!band)
        return false;
    BITMAPINFO as32;
    memset(&as32, 0, sizeof as32);
    as32.bmiHeader = set;
    as32.bmiHeader.biBitCount = DISPLAY_BITS_32;
    for (LONG first = 0; first < height; first += (LONG)bandRows) {
        UINT rows = (UINT)(height - first) < bandRows ? (UINT)(height - first) : bandRows;
        if (GetDIBits(memoryDc, captured, (UINT)first, rows, band, &as32, DIB_RGB_COLORS) != (int)rows) {
            free(band);
            *read = false;
            return true;
        }
        DibLayout rowsRead;
        ComputeDibLayout(width, (int32_t)rows, 24, &rowsRead);
        PackPixels32To24(band, rowIn, rowsRead, dib->pixels + (DWORD)first * rowOut);
    }
    free(band);
    *read = true;
    return true;
}

static bool ReadPixels(HDC memoryDc, HBITMAP captured, SnapshotDib *dib)
{
    // GetDIBits fills in fields such as biSizeImage; the block keeps the
    // header as it was set, which is what the file and the clipboard carry.
    const BITMAPINFOHEADER asSet = *dib->header;
    const int rows = GetDIBits(memoryDc, captured, 0, (UINT)asSet.biHeight, dib->pixels,
                               reinterpret_cast<BITMAPINFO *>(dib->header), DIB_RGB_COLORS);
    *dib->header = asSet;
    return rows == asSet.biHeight;
}

int ReadSnapshotPixels(HDC displayDc, HDC memoryDc, HBITMAP captured, SnapshotDib *dib)
{
    bool read;
    // Whatever the depth asked for: on a palette display the captured
    // indices only mean something through the palette they were drawn with.
    if (GetDeviceCaps(displayDc, RASTERCAPS) & RC_PALETTE) {
        SystemPaletteScope realised(displayDc, memoryDc);
        read = ReadPixels(memoryDc, captured, dib);
    } else if (!(dib->header->biBitCount == 24 && DisplayDepth() == DISPLAY_BITS_32 &&
                 ReadPixels24From32(memoryDc, captured, dib, &read))) {
        read = ReadPixels(memoryDc, captured, dib);
    }
    return read ? Ok : CaptureFailed;
}
