// Times the stages of a full-screen snapshot at 24 and at 8 bits per pixel:
// the capture into a bitmap (with its DC and bitmap), the conversion into the
// DIB block, the file write in 4096-byte chunks, and a plain memcpy of the
// same number of bytes for scale. Prints the median of each stage, then one
// line per run ("run BITS capture convert write memcpy") and the first
// capture of the process ("first BITS capture") for whoever gathers the
// figures of several processes.
//
//   snap_bench.exe OUTPUT-FILE [RUNS]
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
#include "snap/engine/dib_layout.h"
#include "snap/engine/gdi_guards_win.h"
#include "snap/engine/snapshot_dib_win.h"

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
    const int width = screen.right, height = screen.bottom;
    double t0 = NowMs();
    DcGuard memory(CreateCompatibleDC(display));
    GdiObjectGuard captured(CreateCompatibleBitmap(display, width, height));
    SelectGuard selected(memory, captured.object);
    CaptureScreenRect(display, memory, &screen, NULL);
    GdiFlush();
    double t1 = NowMs();

    DibLayout layout;
    SnapshotDib dib;
    if (!ComputeDibLayout(width, height, bits, &layout) || !AllocSnapshotDib(layout, &dib))
        return false;
    ReadSnapshotPixels(display, memory, static_cast<HBITMAP>(captured.object), &dib);
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
    if (saved != 0)
        return false;
    t->capture.push_back(t1 - t0);
    t->convert.push_back(t2 - t1);
    t->write.push_back(t3 - t2);
    t->copy.push_back(t5 - t4);
    return true;
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
    const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    fprintf(out, "screen %ld x %ld, display %d bits per pixel, %d runs, medians in ms\n", screen.right,
            screen.bottom, GetDeviceCaps(display, BITSPIXEL), runs);

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
        ComputeDibLayout(screen.right, screen.bottom, bits, &layout);
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
