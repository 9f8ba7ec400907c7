// Times full-screen PNG snapshots to a file at 24 bits, stage by stage as the
// program takes them: the capture into a bitmap (with its DC and bitmap),
// the conversion into the DIB block, and the PNG file (compression and
// writes through the program's own file writer). Before that it measures,
// once, the most memory a full-screen PNG snapshot holds above what the
// process held before it, during the capture and conversion and during the
// file's stage. Writes
//   peak CAPTURE-PEAK WINE-COPY-BUFFER FILE-PEAK BITMAP-BYTES DIB-BYTES
//   run CAPTURE CONVERT PNG FILE-BYTES     (ms; one line per run)
//
//   png_bench.exe OUTPUT-FILE [RUNS]
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "snap/engine/bitmap_file_win.h"
#include "snap/engine/dib_layout.h"
#include "snap/engine/gdi_guards_win.h"
#include "snap/engine/snapshot_dib_win.h"
#include "bench/file_capture_win.h"

enum { DEFAULT_RUNS = 15, PNG_BITS = 24 };

// The fields of the platform's PROCESS_MEMORY_COUNTERS this reads.
struct MemoryCounters {
    DWORD cb, pageFaultCount;
    SIZE_T peakWorkingSet, workingSet, quotaPeakPaged, quotaPaged, quotaPeakNonPaged, quotaNonPaged;
    SIZE_T pagefileUsage, peakPagefileUsage;
};
typedef BOOL(WINAPI *MemoryInfoFn)(HANDLE, MemoryCounters *, DWORD);

// The working set now and at its peak (of private bytes Wine keeps no true
// peak); 0 when the platform cannot tell.
static void WorkingSet(SIZE_T *now, SIZE_T *peak)
{
    MemoryCounters m;
    memset(&m, 0, sizeof m);
    m.cb = sizeof m;
    MemoryInfoFn info = reinterpret_cast<MemoryInfoFn>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "K32GetProcessMemoryInfo")));
    if (!info || !info(GetCurrentProcess(), &m, sizeof m))
        m.workingSet = m.peakWorkingSet = 0;
    *now = m.workingSet;
    *peak = m.peakWorkingSet;
}

// The largest working set seen while the file's stage runs, read over and
// over by a thread of its own: Wine's peak counter is Linux's, which cannot
// be started again from here, and it holds the capture's peak (when Wine's
// buffer for the copy from the screen is there too).
struct PeakWatch {
    volatile LONG stop;
    SIZE_T peak;
};

static DWORD WINAPI WatchPeak(LPVOID param)
{
    PeakWatch *watch = static_cast<PeakWatch *>(param);
    while (!watch->stop) {
        SIZE_T now, ignored;
        WorkingSet(&now, &ignored);
        if (now > watch->peak)
            watch->peak = now;
    }
    return 0;
}

// Working sets (bytes) at the moments one measured snapshot passes.
struct Marks {
    SIZE_T afterCopy, copyPeak, filePeak;
    PeakWatch watch;
    HANDLE watcher;
};

static double NowMs(const LARGE_INTEGER &frequency)
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart * 1000.0 / frequency.QuadPart;
}

// One PNG snapshot of rect: the bitmap goes before the file is written, as
// in the program. times gets capture, conversion and PNG file in ms, bytes
// the file's size; the file is deleted again.
static bool Snap(HDC display, const RECT &rect, const char *path, const LARGE_INTEGER &frequency,
                 double times[3], unsigned long *bytes, Marks *marks = NULL)
{
    double t0 = NowMs(frequency);
    DibLayout layout;
    SnapshotDib dib;
    if (!ComputeDibLayout(rect.right, rect.bottom, PNG_BITS, &layout))
        return false;
    double t1, t2;
    {
        DcGuard memory(CreateCompatibleDC(display));
        GdiObjectGuard captured(CreateFileCapture(display, layout));
        SelectGuard selected(memory, captured.object);
        CaptureScreenRect(display, memory, &rect, NULL);
        GdiFlush();
        t1 = NowMs(frequency);
        if (FillFileDib(display, memory, layout, &captured, &selected, &dib) != Ok)
            return false;
        t2 = NowMs(frequency);
    }
    if (marks) {
        WorkingSet(&marks->afterCopy, &marks->copyPeak);
        marks->watch.stop = 0;
        marks->watch.peak = marks->afterCopy;
        DWORD id;
        marks->watcher = CreateThread(NULL, 0, WatchPeak, &marks->watch, 0, &id);
    }
    int saved = SaveSnapshotFileAt(path, dib.header, dib.colorTableSize, dib.pixels, dib.pixelArraySize, NULL,
                                   PngFile);
    double t3 = NowMs(frequency);
    if (marks && marks->watcher) {
        InterlockedExchange(&marks->watch.stop, 1);
        WaitForSingleObject(marks->watcher, INFINITE);
        CloseHandle(marks->watcher);
        marks->filePeak = marks->watch.peak;
    }
    FreeSnapshotDib(&dib);
    WIN32_FILE_ATTRIBUTE_DATA data;
    *bytes = GetFileAttributesExA(path, GetFileExInfoStandard, &data) ? data.nFileSizeLow : 0;
    DeleteFileA(path);
    times[0] = t1 - t0;
    times[1] = t2 - t1;
    times[2] = t3 - t2;
    return saved == 0;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (__argc < 2)
        return 2;
    FILE *out = fopen(__argv[1], "w");
    if (!out)
        return 2;
    int runs = __argc > 2 ? atoi(__argv[2]) : DEFAULT_RUNS;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    char path[MAX_PATH + 16];
    DWORD len = GetTempPathA(MAX_PATH, path);
    snprintf(path + (len && len < MAX_PATH ? len : 0), 16, "png_bench.png");

    DcGuard display(CreateDCA("DISPLAY", NULL, NULL, NULL));
    if (!display)
        return 1;
    const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    double times[3];
    unsigned long bytes;
    // A small snapshot first pays the one-off costs (X connection, code).
    const RECT corner = {0, 0, 64, 64};
    int rc = Snap(display, corner, path, frequency, times, &bytes) ? 0 : 1;

    SIZE_T before, peakBefore;
    WorkingSet(&before, &peakBefore);
    Marks marks;
    rc |= Snap(display, screen, path, frequency, times, &bytes, &marks) ? 0 : 1;
    DibLayout layout;
    ComputeDibLayout(screen.right, screen.bottom, PNG_BITS, &layout);
    const unsigned long bitmapBytes = (unsigned long)screen.right * screen.bottom * 4;  // 32-bit display
    // Above the start: the peak of the capture and conversion, the buffer
    // Wine brought the copy through (that peak less what stayed after it),
    // and the peak of the file's stage (-1 where it could not be told apart).
    fprintf(out, "peak %ld %ld %ld %lu %lu\n", (long)(marks.copyPeak - before),
            (long)(marks.copyPeak - marks.afterCopy), marks.watcher ? (long)(marks.filePeak - before) : -1L,
            bitmapBytes, (unsigned long)layout.blockSize);

    for (int i = 0; i < runs && rc == 0; ++i) {
        if (!Snap(display, screen, path, frequency, times, &bytes)) {
            rc = 1;
            break;
        }
        fprintf(out, "run %.3f %.3f %.3f %lu\n", times[0], times[1], times[2], bytes);
    }
    fclose(out);
    return rc;
}
