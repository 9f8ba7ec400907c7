// pattern: a frameless topmost window that paints a known grid of colours at a
// given place on the screen, for checking captures pixel by pixel. It stays
// until it is killed or sent WM_CLOSE.
//
//   pattern [--rect x,y,w,h] [--cell N] [--title TEXT]
//
// WM_USER + 1 moves every cell one colour on (index + 1), as a window that
// changes while a snapshot waits would.
//
// Cell (cx, cy) counted from the window's top left corner, cells of N x N
// pixels, has colour kColours[(7*cx + 11*cy + cx*cy) % 16]. The sixteen
// colours are all in the static part of the default system palette, so they
// come back unchanged from an 8-bit palette display as well; the formula is not
// symmetric, so a capture that is flipped or turned does not match. The test
// harness (tests/e2e/harness.py, pattern_colour) computes the same colours.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const COLORREF kColours[16] = {
    RGB(0x00, 0x00, 0x00), RGB(0x80, 0x00, 0x00), RGB(0x00, 0x80, 0x00), RGB(0x80, 0x80, 0x00),
    RGB(0x00, 0x00, 0x80), RGB(0x80, 0x00, 0x80), RGB(0x00, 0x80, 0x80), RGB(0xC0, 0xC0, 0xC0),
    RGB(0x80, 0x80, 0x80), RGB(0xFF, 0x00, 0x00), RGB(0x00, 0xFF, 0x00), RGB(0xFF, 0xFF, 0x00),
    RGB(0x00, 0x00, 0xFF), RGB(0xFF, 0x00, 0xFF), RGB(0x00, 0xFF, 0xFF), RGB(0xFF, 0xFF, 0xFF),
};

const char kClassName[] = "TamblitPattern";

int g_cell = 10;
int g_shift = 0;
HBRUSH g_brushes[16];
const UINT WM_PATTERN_SHIFT = WM_USER + 1;

int ColourIndex(int cx, int cy) { return (7 * cx + 11 * cy + cx * cy + g_shift) % 16; }

void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    for (int cy = 0; cy * g_cell < client.bottom; ++cy) {
        for (int cx = 0; cx * g_cell < client.right; ++cx) {
            RECT r = {cx * g_cell, cy * g_cell, (cx + 1) * g_cell, (cy + 1) * g_cell};
            RECT visible;
            if (IntersectRect(&visible, &r, &ps.rcPaint))
                FillRect(dc, &r, g_brushes[ColourIndex(cx, cy)]);
        }
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK PatternWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint(hwnd);
        return 0;
    case WM_PATTERN_SHIFT:
        g_shift = (g_shift + 1) % 16;
        InvalidateRect(hwnd, NULL, FALSE);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int main(int argc, char** argv) {
    int x = 100, y = 100, w = 320, h = 240;
    const char* title = "Tamblit Pattern";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (strcmp(argv[i], "--rect") == 0) {
            if (sscanf(argv[i + 1], "%d,%d,%d,%d", &x, &y, &w, &h) != 4 || w <= 0 || h <= 0)
                return 2;
        } else if (strcmp(argv[i], "--cell") == 0) {
            g_cell = atoi(argv[i + 1]);
            if (g_cell <= 0) return 2;
        } else if (strcmp(argv[i], "--title") == 0) {
            title = argv[i + 1];
        } else {
            return 2;
        }
    }
    for (int i = 0; i < 16; ++i) g_brushes[i] = CreateSolidBrush(kColours[i]);

    HINSTANCE inst = GetModuleHandleA(NULL);
    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = PatternWndProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.lpszClassName = kClassName;
    if (!RegisterClassA(&wc)) return 3;
    HWND hwnd = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, title, WS_POPUP, x, y,
                                w, h, NULL, NULL, inst, NULL);
    if (!hwnd) return 3;
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);

    MSG m;
    while (GetMessageA(&m, NULL, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    for (int i = 0; i < 16; ++i) DeleteObject(g_brushes[i]);
    return 0;
}
