// Where a snapshot goes on the printed page and what the spooler's answers
// mean. Portable: no Windows headers.
#pragma once
#include <stdint.h>

// What the chosen printer and the screen report, in pixels and pixels per
// inch. A screen resolution of 0 or less is read as the usual 96.
struct PrintDevice {
    int32_t pageWidth;    // HORZRES
    int32_t pageHeight;   // VERTRES
    int32_t printerDpiX;  // LOGPIXELSX of the printer
    int32_t printerDpiY;  // LOGPIXELSY of the printer
};

// The four margins in hundredths of an inch, as Page Setup keeps them.
struct PrintMargins {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// The printable area in printer pixels: its top left corner (the margins)
// and its size.
struct PrintArea {
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
};

enum { DEFAULT_SCREEN_DPI = 96 };

// Margins in printer pixels and the area they leave. Returns false when the
// margins leave a negative width or height, or when any of these numbers
// does not fit the printer's 32-bit coordinates; the sums are made in 64
// bits, so huge margins never wrap round into a page that seems to fit. An
// area of exactly 0 is accepted.
bool ComputePrintArea(const PrintDevice &device, const PrintMargins &margins, PrintArea *area);

struct PrintSize {
    int32_t width;
    int32_t height;
};

// The snapshot's size on paper: its size on the screen converted to printer
// pixels, then shrunk with its proportions (in pixels) when wider or taller
// than the printable area, but never below one pixel each way while the area
// has room for one. Screen resolutions of 0 or less count as 96.
PrintSize FitSnapshotOnPage(int32_t snapWidth, int32_t snapHeight, const PrintDevice &device,
                            int32_t screenDpiX, int32_t screenDpiY, const PrintArea &area);

// The SnapResult of a page whose EndPage gave pageResult: Ok for 0 or more,
// else the spooler's reason (aborted, out of disk, out of memory, other).
int PageResultToSnapResult(int pageResult);

// The SnapResult of EndDoc's answer. Zero counts as a failure as well as a
// negative value: a queue that refuses the job makes EndDoc return 0.
int DocResultToSnapResult(int docResult);
