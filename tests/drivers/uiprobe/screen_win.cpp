// uiprobe: the screen's properties and a reference capture of an area of it.
#include "uiprobe.h"

#include <stdio.h>
#include <string.h>

namespace uiprobe {

int CmdScreen(const Options& o) {
    HDC dc = GetDC(NULL);
    Json j;
    j.begin('{');
    j.knum("width", GetSystemMetrics(SM_CXSCREEN));
    j.knum("height", GetSystemMetrics(SM_CYSCREEN));
    j.knum("vleft", GetSystemMetrics(SM_XVIRTUALSCREEN));
    j.knum("vtop", GetSystemMetrics(SM_YVIRTUALSCREEN));
    j.knum("vwidth", GetSystemMetrics(SM_CXVIRTUALSCREEN));
    j.knum("vheight", GetSystemMetrics(SM_CYVIRTUALSCREEN));
    j.knum("monitors", GetSystemMetrics(SM_CMONITORS));
    j.knum("bitspixel", GetDeviceCaps(dc, BITSPIXEL));
    j.knum("planes", GetDeviceCaps(dc, PLANES));
    j.knum("rastercaps", GetDeviceCaps(dc, RASTERCAPS));
    j.knum("sizepalette", GetDeviceCaps(dc, SIZEPALETTE));
    j.knum("numcolors", GetDeviceCaps(dc, NUMCOLORS));
    // Where Wine has the pointer, which may lag behind the X server's.
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    j.key("cursor");
    j.begin('[');
    j.num(cursor.x);
    j.num(cursor.y);
    j.end(']');
    if (GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) {
        PALETTEENTRY pe[256];
        UINT n = GetSystemPaletteEntries(dc, 0, 256, pe);
        j.key("palette");
        j.begin('[');
        for (UINT i = 0; i < n && i < 256; ++i)
            j.num(((long long)pe[i].peRed << 16) | (pe[i].peGreen << 8) | pe[i].peBlue);
        j.end(']');
    }
    j.end('}');
    ReleaseDC(NULL, dc);
    return Finish(o, j, kDone);
}

// A new display mode, as the display settings set one: the system tells
// every top-level window with WM_DISPLAYCHANGE before this returns.
int CmdMode(const Options& o) {
    DEVMODEA mode;
    memset(&mode, 0, sizeof mode);
    mode.dmSize = sizeof mode;
    unsigned long w = 0, h = 0;
    if (sscanf(o.value.c_str(), "%lux%lu", &w, &h) != 2 || w == 0 || h == 0)
        return Fail(o, kUsage, "mode needs --value WxH");
    mode.dmPelsWidth = w;
    mode.dmPelsHeight = h;
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    LONG result = ChangeDisplaySettingsA(&mode, 0);
    if (result != DISP_CHANGE_SUCCESSFUL)
        return Fail(o, kFailed, "ChangeDisplaySettingsA: " + std::to_string(result));
    Json j;
    j.begin('{');
    j.knum("width", GetSystemMetrics(SM_CXSCREEN));
    j.knum("height", GetSystemMetrics(SM_CYSCREEN));
    j.end('}');
    return Finish(o, j, kDone);
}

// An independent screen capture for checking test patterns: BitBlt from the
// screen, GetDIBits to 8 or 24 bits, one BMP file.
int CmdCapture(const Options& o) {
    int x = 0, y = 0, w = 0, h = 0;
    if (sscanf(o.rect.c_str(), "%d,%d,%d,%d", &x, &y, &w, &h) != 4 || w <= 0 || h <= 0 ||
        w > 16384 || h > 16384)
        return Fail(o, kUsage, "capture needs --rect x,y,w,h");
    if (o.bpp != 8 && o.bpp != 24) return Fail(o, kUsage, "--bpp is 8 or 24");
    if (o.path.empty()) return Fail(o, kUsage, "capture needs --path");
    HDC screen = GetDC(NULL);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, x, y, SRCCOPY);
    SelectObject(mem, old);
    int colours = o.bpp == 8 ? 256 : 0;
    std::vector<BYTE> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    BITMAPINFO* bi = (BITMAPINFO*)&info[0];
    bi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi->bmiHeader.biWidth = w;
    bi->bmiHeader.biHeight = h;
    bi->bmiHeader.biPlanes = 1;
    bi->bmiHeader.biBitCount = (WORD)o.bpp;
    bi->bmiHeader.biCompression = BI_RGB;
    DWORD stride = (((DWORD)w * o.bpp + 31) / 32) * 4;
    std::vector<BYTE> bits((size_t)stride * h);
    int lines = GetDIBits(mem, bmp, 0, h, &bits[0], bi, DIB_RGB_COLORS);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(NULL, screen);
    if (lines != h) return Fail(o, kFailed, "GetDIBits failed");
    bi->bmiHeader.biSizeImage = stride * h;
    bi->bmiHeader.biClrUsed = colours;
    DWORD headers = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD);
    BITMAPFILEHEADER fh;
    memset(&fh, 0, sizeof fh);
    fh.bfType = 0x4d42;
    fh.bfOffBits = headers;
    fh.bfSize = headers + stride * h;
    HANDLE f = CreateFileA(o.path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (f == INVALID_HANDLE_VALUE) return Fail(o, kFailed, "cannot create " + o.path);
    DWORD n = 0;
    bool ok = WriteFile(f, &fh, sizeof fh, &n, NULL) && n == sizeof fh;
    DWORD infoSize = sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD);
    ok = ok && WriteFile(f, &info[0], infoSize, &n, NULL) && n == infoSize;
    ok = ok && WriteFile(f, &bits[0], (DWORD)bits.size(), &n, NULL) && n == bits.size();
    CloseHandle(f);
    Json j;
    j.begin('{');
    j.kbool("written", ok);
    j.end('}');
    return Finish(o, j, ok ? kDone : kFailed);
}

}  // namespace uiprobe
