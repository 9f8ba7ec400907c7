// uiprobe: the Windows clipboard's formats, text and DIB.
#include "uiprobe.h"

#include <string.h>

namespace uiprobe {

static bool OpenClipboardPatiently(long timeoutMs) {
    DWORD start = GetTickCount();
    while (!OpenClipboard(NULL)) {
        if ((long)(GetTickCount() - start) >= timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

// Size of the header, masks and colour table in front of a packed DIB's bits.
static DWORD PackedDibHeaderSize(const BITMAPINFOHEADER* bih, SIZE_T total) {
    if (total < sizeof(DWORD) || bih->biSize > total) return 0;
    if (bih->biSize == sizeof(BITMAPCOREHEADER)) {
        const BITMAPCOREHEADER* core = (const BITMAPCOREHEADER*)bih;
        DWORD colours = core->bcBitCount <= 8 ? (1u << core->bcBitCount) : 0;
        return sizeof(BITMAPCOREHEADER) + colours * sizeof(RGBTRIPLE);
    }
    if (total < sizeof(BITMAPINFOHEADER)) return 0;
    DWORD colours = bih->biClrUsed;
    if (!colours && bih->biBitCount <= 8) colours = 1u << bih->biBitCount;
    DWORD masks = (bih->biSize == sizeof(BITMAPINFOHEADER) && bih->biCompression == BI_BITFIELDS)
                      ? 3 * sizeof(DWORD) : 0;
    return bih->biSize + masks + colours * sizeof(RGBQUAD);
}

// The CF_BITMAP as a 24-bit BMP file: what a program pasting the
// device-dependent bitmap gets.
static bool WriteClipboardBitmap(const char* path) {
    HBITMAP bitmap = (HBITMAP)GetClipboardData(CF_BITMAP);
    BITMAP info;
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return false;
    BITMAPINFOHEADER bih;
    memset(&bih, 0, sizeof bih);
    bih.biSize = sizeof bih;
    bih.biWidth = info.bmWidth;
    bih.biHeight = info.bmHeight;
    bih.biPlanes = 1;
    bih.biBitCount = 24;
    const DWORD row = ((DWORD)info.bmWidth * 3 + 3) & ~3u, size = row * (DWORD)info.bmHeight;
    std::string bits(size, '\0');
    HDC dc = GetDC(NULL);
    int rows = GetDIBits(dc, bitmap, 0, info.bmHeight, &bits[0], (BITMAPINFO*)&bih, DIB_RGB_COLORS);
    ReleaseDC(NULL, dc);
    if (rows != info.bmHeight) return false;
    BITMAPFILEHEADER fh;
    memset(&fh, 0, sizeof fh);
    fh.bfType = 0x4d42;
    fh.bfOffBits = sizeof fh + sizeof bih;
    fh.bfSize = fh.bfOffBits + size;
    HANDLE f = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD n = 0;
    bool ok = WriteFile(f, &fh, sizeof fh, &n, NULL) && WriteFile(f, &bih, sizeof bih, &n, NULL) &&
              WriteFile(f, bits.data(), size, &n, NULL) && n == size;
    CloseHandle(f);
    return ok;
}

int CmdClipboard(const Options& o) {
    if (!OpenClipboardPatiently(o.timeout)) return Fail(o, kFailed, "clipboard is busy");
    Json j;
    j.begin('{');
    j.key("formats");
    j.begin('[');
    for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f)) {
        char name[256] = "";
        GetClipboardFormatNameA(f, name, sizeof name);
        j.begin('{');
        j.knum("id", f);
        j.kstr("name", name);
        j.end('}');
    }
    j.end(']');
    j.knum("owner", (long long)(DWORD_PTR)GetClipboardOwner());
    HANDLE text = GetClipboardData(CF_TEXT);
    if (text) {
        const char* p = (const char*)GlobalLock(text);
        if (p) {
            SIZE_T size = GlobalSize(text);
            j.kstr("text", std::string(p, strnlen(p, size)));
            GlobalUnlock(text);
        }
    }
    bool written = false;
    const bool bitmap = o.value == "bitmap" && !o.path.empty();
    if (bitmap) written = WriteClipboardBitmap(o.path.c_str());
    HANDLE dib = o.path.empty() || bitmap ? NULL : GetClipboardData(CF_DIB);
    if (dib) {
        const BYTE* p = (const BYTE*)GlobalLock(dib);
        SIZE_T size = GlobalSize(dib);
        DWORD headers = p ? PackedDibHeaderSize((const BITMAPINFOHEADER*)p, size) : 0;
        if (p && headers && headers <= size) {
            // The clipboard holds a packed DIB; a BMP file is the same with a
            // file header in front.
            BITMAPFILEHEADER fh;
            memset(&fh, 0, sizeof fh);
            fh.bfType = 0x4d42;
            fh.bfSize = (DWORD)(sizeof fh + size);
            fh.bfOffBits = (DWORD)(sizeof fh + headers);
            HANDLE f = CreateFileA(o.path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, NULL);
            if (f != INVALID_HANDLE_VALUE) {
                DWORD n = 0;
                written = WriteFile(f, &fh, sizeof fh, &n, NULL) && n == sizeof fh &&
                          WriteFile(f, p, (DWORD)size, &n, NULL) && n == size;
                CloseHandle(f);
            }
            j.knum("dib_size", (long long)size);
        }
        if (p) GlobalUnlock(dib);
    }
    j.kbool("dib_written", written);
    j.end('}');
    CloseClipboard();
    return Finish(o, j, kDone);
}

int CmdClipClear(const Options& o) {
    if (!OpenClipboardPatiently(o.timeout)) return Fail(o, kFailed, "clipboard is busy");
    BOOL ok = EmptyClipboard();
    CloseClipboard();
    Json j;
    j.begin('{');
    j.kbool("emptied", ok != 0);
    j.end('}');
    return Finish(o, j, ok ? kDone : kFailed);
}

}  // namespace uiprobe
