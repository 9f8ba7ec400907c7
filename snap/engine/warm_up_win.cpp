#include "snap/engine/warm_up_win.h"

#include <windows.h>
#include <commdlg.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <initializer_list>

#include "snap/engine/bitmap_file.h"
#include "snap/engine/dib_layout.h"
#include "snap/engine/gdi_guards_win.h"
#include "snap/engine/snapshot_dib_win.h"
#include "snap/settings/snap_settings.h"
#include "snap/shell/app_state_win.h"

enum { WARM_UP_SIZE = 16, OFF_SCREEN = -32000 };

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
}

// Paints the dialog with its list and toolbar into a bitmap nobody sees: the
// first painting loads icons, bitmaps and fonts that later ones reuse.
static void PaintAside(HWND dialog)
{
    RECT rect;
    GetWindowRect(dialog, &rect);
    DcGuard screen(CreateDCA("DISPLAY", NULL, NULL, NULL));
    DcGuard memory(CreateCompatibleDC(screen));
    GdiObjectGuard canvas(CreateCompatibleBitmap(screen, rect.right - rect.left, rect.bottom - rect.top));
    SelectGuard selected(memory, canvas.object);
    if (memory.dc && canvas.object)
        SendMessageA(dialog, WM_PRINT, (WPARAM)memory.dc,
                     PRF_NONCLIENT | PRF_CLIENT | PRF_CHILDREN | PRF_ERASEBKGND);
}

// Ends the dialog as soon as it is built. Wine still maps it for a moment,
// so it is first moved where no screen shows it.
static UINT_PTR CALLBACK EndAtInit(HWND hookDialog, UINT message, WPARAM, LPARAM lParam)
{
    if (message == WM_NOTIFY && reinterpret_cast<const NMHDR *>(lParam)->code == CDN_INITDONE) {
        HWND dialog = GetParent(hookDialog);
        SetWindowPos(dialog, NULL, OFF_SCREEN, OFF_SCREEN, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        PaintAside(dialog);
        EndDialog(dialog, IDCANCEL);
    }
    return 0;
}

// The icons the dialog's list paints (a folder, a bitmap file) come from the
// shell's image list, filled on first use; the hidden build never paints.
static void WarmUpListIcons()
{
    static const struct {
        const char *name;
        DWORD attributes;
    } ITEMS[] = {{"folder", FILE_ATTRIBUTE_DIRECTORY}, {"snap.bmp", FILE_ATTRIBUTE_NORMAL}};
    for (const auto &item : ITEMS) {
        for (UINT size : {SHGFI_SMALLICON, SHGFI_LARGEICON}) {
            SHFILEINFOA info;
            SHGetFileInfoA(item.name, item.attributes, &info, sizeof info,
                           SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | size);
        }
    }
}

static void WarmUpSaveDialog()
{
    WarmUpListIcons();
    char path[SNAPSHOT_PATH_SIZE] = "";
    OPENFILENAMEA ofn;
    ZeroMemory(&ofn, sizeof ofn);
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hInstance = g_hInstance;
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof path;
    ofn.lpstrInitialDir = SnapSettings.snapshotDir;
    ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_ENABLEHOOK;
    ofn.lpfnHook = EndAtInit;
    GetSaveFileNameA(&ofn);
}

void WarmUpSnapshotPath()
{
    WarmUpCapture();
    waveOutGetNumDevs();
    WarmUpSaveDialog();
}
