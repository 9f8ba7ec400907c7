// dialogdemo: the standard dialogs and controls that the end-to-end tests
// drive in the real programs, in a small program of known behaviour, so that
// the harness's own test can show that the probe answers them correctly.
//
//   dialogdemo --out FILE msgbox CAPTION TEXT   MessageBoxA (OK, Cancel)
//   dialogdemo --out FILE save CAPTION           GetSaveFileNameA, Explorer style
//   dialogdemo --out FILE clip                   puts a 3 x 2 CF_DIB (red, green,
//                                                blue / white, black, grey, top
//                                                row first) and CF_TEXT "demo"
//                                                on the clipboard
//   dialogdemo --out FILE form                   a window "Harness Form" with an
//                                                edit (100), a check box (101), a
//                                                hot key control (102) and OK (1)
// FILE receives one line: the message box's result, "1 <path>" / "0 <error>"
// for the Save dialog, "<edit text>|<check>|<hot key>" for the form.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <stdio.h>
#include <string.h>

#include "snap/common/dll_search_win.h"

namespace {

const char* g_out = "";
HWND g_edit, g_check, g_hotkey;

void WriteResult(const char* text) {
    HANDLE h = CreateFileA(g_out, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD n = 0;
    WriteFile(h, text, (DWORD)strlen(text), &n, NULL);
    CloseHandle(h);
}

int SaveDialog(const char* caption) {
    char file[MAX_PATH] = "";
    OPENFILENAMEA ofn;
    memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.lpstrFilter = "Bitmap Files (*.bmp)\0*.bmp\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrTitle = caption;
    ofn.lpstrDefExt = "bmp";
    ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    char result[MAX_PATH + 32];
    if (GetSaveFileNameA(&ofn))
        snprintf(result, sizeof result, "1 %s", file);
    else
        snprintf(result, sizeof result, "0 %lu", (unsigned long)CommDlgExtendedError());
    WriteResult(result);
    return 0;
}

int Clip() {
    const int w = 3, h = 2, stride = 12;
    SIZE_T size = sizeof(BITMAPINFOHEADER) + stride * h;
    HGLOBAL dib = GlobalAlloc(GMEM_MOVEABLE, size);
    BYTE* p = (BYTE*)GlobalLock(dib);
    memset(p, 0, size);
    BITMAPINFOHEADER* bih = (BITMAPINFOHEADER*)p;
    bih->biSize = sizeof *bih;
    bih->biWidth = w;
    bih->biHeight = h;
    bih->biPlanes = 1;
    bih->biBitCount = 24;
    bih->biCompression = BI_RGB;
    bih->biSizeImage = stride * h;
    // Bottom-up: the first row stored is the bottom one. Pixels are B, G, R.
    const BYTE bottom[9] = {0xff, 0xff, 0xff, 0, 0, 0, 0x80, 0x80, 0x80};
    const BYTE top[9] = {0, 0, 0xff, 0, 0xff, 0, 0xff, 0, 0};
    memcpy(p + sizeof *bih, bottom, 9);
    memcpy(p + sizeof *bih + stride, top, 9);
    GlobalUnlock(dib);
    HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, 5);
    memcpy(GlobalLock(text), "demo", 5);
    GlobalUnlock(text);
    bool ok = OpenClipboard(NULL) && EmptyClipboard() && SetClipboardData(CF_DIB, dib) &&
              SetClipboardData(CF_TEXT, text);
    CloseClipboard();
    WriteResult(ok ? "1" : "0");
    return ok ? 0 : 3;
}

LRESULT CALLBACK FormWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND && LOWORD(wp) == IDOK) {
        char text[256] = "";
        GetWindowTextA(g_edit, text, sizeof text);
        char result[320];
        snprintf(result, sizeof result, "%s|%d|%d", text, (int)SendMessageA(g_check, BM_GETCHECK, 0, 0),
                 (int)SendMessageA(g_hotkey, HKM_GETHOTKEY, 0, 0));
        WriteResult(result);
        DestroyWindow(hwnd);
        return 0;
    }
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

int Form() {
    InitCommonControlsFromSystem();
    HINSTANCE inst = GetModuleHandleA(NULL);
    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = FormWndProc;
    wc.hInstance = inst;
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.lpszClassName = "HarnessForm";
    RegisterClassA(&wc);
    HWND w = CreateWindowExA(0, "HarnessForm", "Harness Form", WS_OVERLAPPEDWINDOW, 50, 50, 300, 200,
                             NULL, NULL, inst, NULL);
    g_edit = CreateWindowExA(WS_EX_CLIENTEDGE, "Edit", "initial", WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                             10, 10, 200, 22, w, (HMENU)100, inst, NULL);
    g_check = CreateWindowExA(0, "Button", "Check", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 10, 40,
                              200, 20, w, (HMENU)101, inst, NULL);
    g_hotkey = CreateWindowExA(0, HOTKEY_CLASSA, "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 70, 200,
                               22, w, (HMENU)102, inst, NULL);
    CreateWindowExA(0, "Button", "OK", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, 10, 100, 80, 24, w,
                    (HMENU)IDOK, inst, NULL);
    ShowWindow(w, SW_SHOWNORMAL);
    MSG m;
    while (GetMessageA(&m, NULL, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4 || strcmp(argv[1], "--out") != 0) return 2;
    g_out = argv[2];
    const char* mode = argv[3];
    if (strcmp(mode, "msgbox") == 0 && argc == 6) {
        int r = MessageBoxA(NULL, argv[5], argv[4], MB_OKCANCEL | MB_ICONINFORMATION);
        char result[16];
        snprintf(result, sizeof result, "%d", r);
        WriteResult(result);
        return 0;
    }
    if (strcmp(mode, "save") == 0 && argc == 5) return SaveDialog(argv[4]);
    if (strcmp(mode, "form") == 0) return Form();
    if (strcmp(mode, "clip") == 0) return Clip();
    return 2;
}
