// Times the stages of a snapshot of the whole desktop (every monitor) at 24
// and at 8 bits per pixel:
// the capture into a bitmap (with its DC and bitmap), the conversion into the
// DIB block, the file write in 4096-byte chunks, and a plain memcpy of the
// same number of bytes for scale. Prints the median of each stage, then one
// line per run ("run BITS capture convert write memcpy") and the first
// capture of the process ("first BITS capture") for whoever gathers the
// figures of several processes.
//
// With "memory", one 24-bit snapshot instead, in a process warmed up by a
// tiny one, its working set read after each stage: one line
// "memory IDLE COPY-PEAK AFTER-COPY WITH-DIB PEAK BITMAP DIB" in bytes (the
// working set when idle, its peak during the copy from the screen and after
// it, with the DIB filled, its peak at the end; the compatible bitmap's and
// the DIB block's sizes). The copy's peak less what stays after it is the
// buffer the platform brings the pixels through.
//
//   snap_bench.exe OUTPUT-FILE [RUNS] [memory]
//
// Output goes to a file: a Wine program's console output is not reliable to
// wait on.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "snap/engine/bitmap_file_win.h"
#include "snap/engine/desktop_win.h"
#include "snap/engine/dib_layout.h"
#include "snap/engine/gdi_guards_win.h"
#include "snap/engine/snap_result.h"
#include "snap/engine/snapshot_dib_win.h"
#include "bench/file_capture_win.h"

enum { DEFAULT_RUNS = 15, MIN_RUNS = 10 };

static LARGE_INTEGER g_frequency;
static volatile BYTE g_sink;

static double NowMs()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart * 1000.0 / g_frequency.QuadPart;
}

static double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Timings {
    std::vector<double> capture, convert, write, copy;
};

// One snapshot of the whole screen at the given depth, stage by stage.
// Returns false when a stage failed, which makes the figures meaningless.
static bool RunOnce(HDC display, const RECT &screen, int bits, const char *path, Timings *t)
{
    const int width = screen.right - screen.left, height = screen.bottom - screen.top;
    DibLayout layout;
    if (!ComputeDibLayout(width, height, bits, &layout))
        return false;
    double t0 = NowMs();
    DcGuard memory(CreateCompatibleDC(display));
    GdiObjectGuard captured(CreateFileCapture(display, layout));
    SelectGuard selected(memory, captured.object);
    if (!selected.previous || CaptureScreenRect(display, memory, &screen, NULL) != Ok)
        return false;
    GdiFlush();
    double t1 = NowMs();

    SnapshotDib dib;
    const int read = FillFileDib(display, memory, layout, &captured, &selected, &dib);
    if (read == NoMemory)
        return false;
    double t2 = NowMs();

    int saved = SaveSnapshotFileAt(path, dib.header, dib.colorTableSize, dib.pixels, dib.pixelArraySize);
    double t3 = NowMs();
    DeleteFileA(path);

    std::vector<BYTE> copy(dib.pixelArraySize);
    double t4 = NowMs();
    memcpy(copy.data(), dib.pixels, dib.pixelArraySize);
    g_sink = copy[copy.size() / 2];
    double t5 = NowMs();

    FreeSnapshotDib(&dib);
    if (saved != 0 || read != Ok)
        return false;
    t->capture.push_back(t1 - t0);
    t->convert.push_back(t2 - t1);
    t->write.push_back(t3 - t2);
    t->copy.push_back(t5 - t4);
    return true;
}

// The working set's counters, looked up at run time (not in the import
// libraries of a Windows 95 build).
struct MemoryCounters {
    DWORD cb;
    DWORD pageFaultCount;
    SIZE_T peakWorkingSetSize, workingSetSize;
    SIZE_T unused[6];
};
typedef BOOL(WINAPI *MemoryInfoFn)(HANDLE, MemoryCounters *, DWORD);
typedef void (*AnyFn)();

static SIZE_T WorkingSet(SIZE_T *peak)
{
    static MemoryInfoFn info = reinterpret_cast<MemoryInfoFn>(
        reinterpret_cast<AnyFn>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "K32GetProcessMemoryInfo")));
    MemoryCounters m;
    memset(&m, 0, sizeof m);
    m.cb = sizeof m;
    if (!info || !info(GetCurrentProcess(), &m, sizeof m))
        return *peak = 0;
    *peak = m.peakWorkingSetSize;
    return m.workingSetSize;
}

static int MeasureMemory(FILE *out, HDC display, const RECT &screen, const char *path)
{
    const RECT tiny = {0, 0, 16, 16};
    Timings ignored;
    if (!RunOnce(display, tiny, 24, path, &ignored))
        return 1;
    SIZE_T peak, copyPeak, endPeak;
    const SIZE_T idle = WorkingSet(&peak);

    const int width = screen.right - screen.left, height = screen.bottom - screen.top;
    DibLayout layout;
    if (!ComputeDibLayout(width, height, 24, &layout))
        return 1;
    DcGuard memory(CreateCompatibleDC(display));
    GdiObjectGuard captured(CreateFileCapture(display, layout));
    SelectGuard selected(memory, captured.object);
    if (!selected.previous || CaptureScreenRect(display, memory, &screen, NULL) != Ok)
        return 1;
    GdiFlush();
    const SIZE_T afterCopy = WorkingSet(&copyPeak);
    BITMAP info;
    GetObjectA(captured.object, sizeof info, &info);

    SnapshotDib dib;
    const int read = FillFileDib(display, memory, layout, &captured, &selected, &dib);
    const SIZE_T withDib = WorkingSet(&endPeak);
    FreeSnapshotDib(&dib);
    fprintf(out, "memory %lu %lu %lu %lu %lu %lu %lu\n", (unsigned long)idle, (unsigned long)copyPeak,
            (unsigned long)afterCopy, (unsigned long)withDib, (unsigned long)endPeak,
            (unsigned long)info.bmWidthBytes * (unsigned long)info.bmHeight, (unsigned long)layout.blockSize);
    return read == Ok ? 0 : 1;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (__argc < 2)
        return 2;
    FILE *out = fopen(__argv[1], "w");
    if (!out)
        return 2;
    int runs = __argc > 2 ? atoi(__argv[2]) : DEFAULT_RUNS;
    if (runs < MIN_RUNS)
        runs = MIN_RUNS;
    QueryPerformanceFrequency(&g_frequency);

    char dir[MAX_PATH];
    DWORD len = GetTempPathA(sizeof dir, dir);
    if (len == 0 || len >= sizeof dir)
        lstrcpynA(dir, "C:\\", sizeof dir);
    char path[MAX_PATH + 16];
    snprintf(path, sizeof path, "%ssnap_bench.bmp", dir);

    DcGuard display(CreateDCA("DISPLAY", NULL, NULL, NULL));
    if (!display) {
        fprintf(out, "no display\n");
        fclose(out);
        return 1;
    }
    RECT screen;
    DesktopBounds(&screen);
    if (__argc > 3 && !strcmp(__argv[3], "memory")) {
        int rc = MeasureMemory(out, display, screen, path);
        fclose(out);
        return rc;
    }
    fprintf(out, "desktop %ld x %ld at %ld,%ld, display %d bits per pixel, %d runs, medians in ms\n",
            screen.right - screen.left, screen.bottom - screen.top, screen.left, screen.top,
            GetDeviceCaps(display, BITSPIXEL), runs);

    int rc = 0;
    std::vector<int> depths;
    std::vector<Timings> all, first;
    for (int bits : {24, 8}) {
        Timings warmUp, t;
        // The first capture in a process pays for setting up the X connection.
        RunOnce(display, screen, bits, path, &warmUp);
        for (int i = 0; i < runs; ++i) {
            if (!RunOnce(display, screen, bits, path, &t)) {
                fprintf(out, "%2d bits: run %d failed\n", bits, i + 1);
                rc = 1;
                break;
            }
        }
        if (t.capture.empty())
            continue;
        DibLayout layout;
        ComputeDibLayout(screen.right - screen.left, screen.bottom - screen.top, bits, &layout);
        fprintf(out, "%2d bits (%lu-byte file): capture %7.2f  convert %7.2f  write %7.2f  memcpy %6.2f",
                bits, (unsigned long)layout.fileSize, Median(t.capture), Median(t.convert), Median(t.write),
                Median(t.copy));
        if (!warmUp.capture.empty())
            fprintf(out, "   (first run: capture %.2f)", warmUp.capture[0]);
        fprintf(out, "\n");
        depths.push_back(bits);
        all.push_back(t);
        first.push_back(warmUp);
    }
    for (size_t d = 0; d < depths.size(); ++d) {
        if (!first[d].capture.empty())
            fprintf(out, "first %d %.3f\n", depths[d], first[d].capture[0]);
        for (size_t i = 0; i < all[d].capture.size(); ++i)
            fprintf(out, "run %d %.3f %.3f %.3f %.3f\n", depths[d], all[d].capture[i], all[d].convert[i],
                    all[d].write[i], all[d].copy[i]);
    }
    fclose(out);
    return rc;
}
