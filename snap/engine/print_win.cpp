#include "snap/engine/print_win.h"

#include <cderr.h>
#include <commdlg.h>

#include "snap/engine/print_geometry.h"
#include "snap/engine/snap_result.h"
#include "snap/res/resource.h"
#include "snap/settings/snap_settings.h"
#include "snap/common/app_state_win.h"
#include "snap/common/center_window_win.h"

static_assert(sizeof(PRINTDLGA) == 66, "the print dialog record as Windows 95 knows it");
static_assert(sizeof(DOCINFOA) == 20, "the document record as Windows 95 knows it");

static const char PRINTING_TEMPLATE[] = "PRINTING";
static const char DISPLAY_DRIVER[] = "DISPLAY";

// The printing box of the print under way, and whether Abort was pressed.
static HWND g_hwndPrinting;
static int g_printAbort;
// From the Print dialog to the end of the job.
static bool g_printing;

static INT_PTR CALLBACK PrintingDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        CenterWindow(hwnd);
        return TRUE;
    case WM_COMMAND:
        if (wParam == IDC_PRINTING_ABORT)
            g_printAbort = 1;
        return TRUE;
    case WM_DESTROY:
        g_hwndPrinting = NULL;
        return TRUE;
    }
    return FALSE;
}

// Called by GDI while the job is spooled, and by the print sequence before
// each step that commits the page: lets the printing box paint and take a
// click on Abort (only its messages, so that no hot key starts a snapshot
// inside a print), and says whether to go on.
static BOOL CALLBACK PrintAbortProc(HDC, int)
{
    MSG msg;
    while (!g_printAbort && g_hwndPrinting && PeekMessageA(&msg, g_hwndPrinting, 0, 0, PM_REMOVE)) {
        if (!IsDialogMessageA(g_hwndPrinting, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return !g_printAbort;
}

// Cancelled, PrintFailed, or Ok with the chosen printer's context in printerDc.
static int ChoosePrinter(HDC *printerDc)
{
    PRINTDLGA pd;
    ZeroMemory(&pd, sizeof pd);
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = NULL;
    pd.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION;
    if (!PrintDlgA(&pd)) {
        // A dialog that could not do its work is a failure to report; a
        // cancel is not, nor a machine without printers, which the dialog
        // has already told the user about.
        DWORD error = CommDlgExtendedError();
        return (error == 0 || error == PDERR_NODEFAULTPRN) ? Cancelled : PrintFailed;
    }
    // The dialog's choice is not kept for the next snapshot: every print
    // starts from the default printer.
    if (pd.hDevMode)
        GlobalFree(pd.hDevMode);
    if (pd.hDevNames)
        GlobalFree(pd.hDevNames);
    *printerDc = pd.hDC;
    // OK without a context to print on is a failure, not a change of mind.
    return pd.hDC ? Ok : PrintFailed;
}

static void ScreenResolution(int *dpiX, int *dpiY)
{
    *dpiX = *dpiY = 0;
    HDC info = CreateICA(DISPLAY_DRIVER, NULL, NULL, NULL);
    if (info) {
        *dpiX = GetDeviceCaps(info, LOGPIXELSX);
        *dpiY = GetDeviceCaps(info, LOGPIXELSY);
        DeleteDC(info);
    }
}

// One page from StartDoc to EndDoc. A job that is not ended is aborted, so
// that nothing stays open in the spooler.
static int PrintPage(HDC dc, const char *docName, const BITMAPINFOHEADER *header, const BYTE *pixels,
                     const PrintDevice &device, const PrintArea &area)
{
    int screenX, screenY;
    ScreenResolution(&screenX, &screenY);
    const PrintSize size = FitSnapshotOnPage(header->biWidth, header->biHeight, device, screenX, screenY, area);
    // An area without room for one pixel would print a blank page.
    if (size.width <= 0 || size.height <= 0)
        return MarginsTooWide;

    DOCINFOA doc;
    ZeroMemory(&doc, sizeof doc);
    doc.cbSize = sizeof doc;
    doc.lpszDocName = docName;
    if (StartDocA(dc, &doc) <= 0)
        return PrintFailed;
    if (StartPage(dc) <= 0) {
        AbortDoc(dc);
        return PrintFailed;
    }

    SetStretchBltMode(dc, COLORONCOLOR);
    // No lines drawn (GDI_ERROR is negative) would print a blank page.
    if (StretchDIBits(dc, area.left, area.top, size.width, size.height, 0, 0, header->biWidth,
                      header->biHeight, pixels, reinterpret_cast<const BITMAPINFO *>(header),
                      DIB_RGB_COLORS, SRCCOPY) <= 0) {
        AbortDoc(dc);
        return PrintFailed;
    }

    int result = PrintAbortProc(dc, 0) ? PageResultToSnapResult(EndPage(dc)) : PrintAborted;
    if (result == Ok && !PrintAbortProc(dc, 0))
        result = PrintAborted;
    if (result == Ok)
        return DocResultToSnapResult(EndDoc(dc));
    AbortDoc(dc);
    return result;
}

static int ChooseAndPrint(HWND owner, const BITMAPINFOHEADER *header, const BYTE *pixels, const char *docName)
{
    HDC dc;
    int chosen = ChoosePrinter(&dc);
    if (chosen != Ok)
        return chosen;

    const PrintDevice device = {GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES),
                                GetDeviceCaps(dc, LOGPIXELSX), GetDeviceCaps(dc, LOGPIXELSY)};
    const PrintMargins margins = {SnapSettings.leftMargin, SnapSettings.topMargin, SnapSettings.rightMargin,
                                  SnapSettings.bottomMargin};
    PrintArea area;
    if (!ComputePrintArea(device, margins, &area)) {
        DeleteDC(dc);
        return MarginsTooWide;
    }

    g_printAbort = 0;
    g_hwndPrinting = CreateDialogParamA(g_hInstance, PRINTING_TEMPLATE, owner, PrintingDlgProc, 0);
    SetAbortProc(dc, PrintAbortProc);
    int result = PrintPage(dc, docName, header, pixels, device, area);
    // GDI asks the abort procedure too (Wine does in StartDoc) and fails the
    // call it was in when told to stop: that failure is the user's Abort.
    if (result != Ok && g_printAbort)
        result = PrintAborted;

    DeleteDC(dc);
    if (g_hwndPrinting)
        DestroyWindow(g_hwndPrinting);
    return result;
}

int PrintSnapshot(HWND owner, const BITMAPINFOHEADER *header, const BYTE *pixels, const char *docName)
{
    g_printing = true;
    int result = ChooseAndPrint(owner, header, pixels, docName);
    g_printing = false;
    return result;
}

bool PrintInProgress()
{
    return g_printing;
}
