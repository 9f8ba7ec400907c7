#include "snap/engine/print_geometry.h"

#include "snap/engine/snap_result.h"

enum { HUNDREDTHS_PER_INCH = 100 };

// The spooler's page results as the platform names them.
enum { SP_APPABORT = -2, SP_USERABORT = -3, SP_OUTOFDISK = -4, SP_OUTOFMEMORY = -5 };

static bool FitsInt32(int64_t value)
{
    return value >= INT32_MIN && value <= INT32_MAX;
}

static int64_t MarginPixels(int32_t hundredths, int32_t dpi)
{
    return static_cast<int64_t>(hundredths) * dpi / HUNDREDTHS_PER_INCH;
}

bool ComputePrintArea(const PrintDevice &device, const PrintMargins &margins, PrintArea *area)
{
    const int64_t left = MarginPixels(margins.left, device.printerDpiX);
    const int64_t right = MarginPixels(margins.right, device.printerDpiX);
    const int64_t top = MarginPixels(margins.top, device.printerDpiY);
    const int64_t bottom = MarginPixels(margins.bottom, device.printerDpiY);
    const int64_t width = static_cast<int64_t>(device.pageWidth) - right - left;
    const int64_t height = static_cast<int64_t>(device.pageHeight) - bottom - top;
    if (width < 0 || height < 0)
        return false;
    if (!FitsInt32(left) || !FitsInt32(top) || !FitsInt32(width) || !FitsInt32(height))
        return false;
    area->left = static_cast<int32_t>(left);
    area->top = static_cast<int32_t>(top);
    area->width = static_cast<int32_t>(width);
    area->height = static_cast<int32_t>(height);
    return true;
}

PrintSize FitSnapshotOnPage(int32_t snapWidth, int32_t snapHeight, const PrintDevice &device,
                            int32_t screenDpiX, int32_t screenDpiY, const PrintArea &area)
{
    if (screenDpiX <= 0)
        screenDpiX = DEFAULT_SCREEN_DPI;
    if (screenDpiY <= 0)
        screenDpiY = DEFAULT_SCREEN_DPI;
    int64_t width = static_cast<int64_t>(snapWidth) * device.printerDpiX / screenDpiX;
    int64_t height = static_cast<int64_t>(snapHeight) * device.printerDpiY / screenDpiY;
    // Shrinking keeps the snapshot's own pixel proportions, so a printer
    // whose x and y resolutions differ stretches it in inches, as it is.
    if (area.width < width) {
        width = area.width;
        height = snapWidth > 0 ? static_cast<int64_t>(area.width) * snapHeight / snapWidth : 0;
    }
    if (area.height < height) {
        height = area.height;
        width = snapHeight > 0 ? static_cast<int64_t>(area.height) * snapWidth / snapHeight : 0;
    }
    // A snapshot far wider than tall (or the reverse) rounds down to no line
    // at all; it keeps one, so that something is printed where the area has
    // room for a pixel.
    if (snapWidth > 0 && snapHeight > 0 && area.width > 0 && area.height > 0) {
        if (width == 0)
            width = 1;
        if (height == 0)
            height = 1;
    }
    // Within the area now, or a natural size that fits: either way below the
    // area's own 32-bit size.
    PrintSize size = {static_cast<int32_t>(width), static_cast<int32_t>(height)};
    return size;
}

int PageResultToSnapResult(int pageResult)
{
    if (pageResult >= 0)
        return Ok;
    switch (pageResult) {
    case SP_APPABORT:
    case SP_USERABORT:
        return PrintAborted;
    case SP_OUTOFDISK:
        return SpoolerDiskFull;
    case SP_OUTOFMEMORY:
        return SpoolerNoMemory;
    default:
        return PrintFailed;
    }
}

int DocResultToSnapResult(int docResult)
{
    return docResult > 0 ? Ok : PrintFailed;
}
