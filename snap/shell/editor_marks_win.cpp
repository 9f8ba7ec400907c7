// The marks as the user drags or types them: each move puts back what the
// mark covered a moment ago and draws it anew, so the picture always shows
// exactly what will be sent, and the mark's one saved copy is all the undo
// history holds of it.
#include "snap/shell/editor_state_win.h"

#include <string.h>

#include "snap/engine/gdi_guards_win.h"

static HFONT g_textFont;
static int g_textFontWidth;

static uint32_t MarkValue()
{
    return PixelValueFor(g_edit.picture, g_edit.colour);
}

// The pixels the mark from the press to (x, y) touches, within the crop.
static EditRect MarkBounds(int32_t x, int32_t y)
{
    const EditRect r = g_edit.tool == TOOL_ARROW ? ArrowBounds(g_edit.pressX, g_edit.pressY, x, y, g_edit.width)
                                                 : DragRect(g_edit.pressX, g_edit.pressY, x, y);
    return IntersectEditRect(r, g_edit.crop);
}

static void DrawMark(int32_t x, int32_t y)
{
    const EditRect drag = DragRect(g_edit.pressX, g_edit.pressY, x, y);
    const EditRect inCrop = IntersectEditRect(drag, g_edit.crop);
    switch (g_edit.tool) {
    case TOOL_RECTANGLE:
        DrawOutline(g_edit.picture, drag, g_edit.width, MarkValue(), g_edit.crop);
        break;
    case TOOL_ARROW:
        DrawArrow(g_edit.picture, g_edit.pressX, g_edit.pressY, x, y, g_edit.width, MarkValue(), g_edit.crop);
        break;
    case TOOL_HIGHLIGHT:
        Highlight(g_edit.picture, inCrop);
        break;
    case TOOL_PIXELATE:
        Pixelate(g_edit.picture, inCrop);
        break;
    default:
        break;
    }
}

// Takes back the mark being dragged; returns the pixels it covered.
static EditRect TakeBackMark()
{
    EditRect covered = {0, 0, 0, 0};
    if (g_edit.markShown) {
        covered = g_edit.history.steps[g_edit.history.count - 1].rect;
        DropLastStep(&g_edit.history, g_edit.picture, &g_edit.crop);
        g_edit.markShown = false;
    }
    return covered;
}

static EditRect Union(const EditRect &a, const EditRect &b)
{
    if (EditRectEmpty(a))
        return b;
    if (EditRectEmpty(b))
        return a;
    EditRect u = {a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top,
                  a.right > b.right ? a.right : b.right, a.bottom > b.bottom ? a.bottom : b.bottom};
    return u;
}

static void ShowMarkTo(int32_t x, int32_t y)
{
    g_edit.lastX = x;
    g_edit.lastY = y;
    if (g_edit.tool == TOOL_CROP) {
        InvalidatePictureFrame(g_edit.band, 1);
        g_edit.band = IntersectEditRect(DragRect(g_edit.pressX, g_edit.pressY, x, y), g_edit.crop);
        InvalidatePictureFrame(g_edit.band, 1);
    } else {
        const EditRect before = TakeBackMark();
        const EditRect bounds = MarkBounds(x, y);
        const bool shown = BeginMarkStep(&g_edit.history, g_edit.picture, bounds);
        if (shown) {
            g_edit.markShown = true;
            DrawMark(x, y);
        }
        if (g_edit.tool == TOOL_RECTANGLE) {
            InvalidatePictureFrame(before, g_edit.width);
            if (shown)
                InvalidatePictureFrame(bounds, g_edit.width);
        } else {
            InvalidatePictureRect(shown ? Union(before, bounds) : before);
        }
    }
    UpdateWindow(g_edit.canvas);
}

void BeginDrag(int32_t x, int32_t y)
{
    g_edit.dragging = true;
    g_edit.pressX = x;
    g_edit.pressY = y;
    g_edit.band.left = g_edit.band.top = g_edit.band.right = g_edit.band.bottom = 0;
    ShowMarkTo(x, y);
}

void MoveDrag(int32_t x, int32_t y)
{
    if (g_edit.dragging && (x != g_edit.lastX || y != g_edit.lastY))
        ShowMarkTo(x, y);
}

void EndDrag(int32_t x, int32_t y, bool keep)
{
    if (!g_edit.dragging)
        return;
    if (keep)
        MoveDrag(x, y);
    g_edit.dragging = false;
    if (g_edit.tool == TOOL_CROP) {
        const EditRect band = g_edit.band;
        InvalidatePictureFrame(band, 1);
        g_edit.band.left = g_edit.band.top = g_edit.band.right = g_edit.band.bottom = 0;
        if (keep && !EditRectEmpty(band) && AddCropStep(&g_edit.history, &g_edit.crop, band))
            ResetEditorView();
    } else if (!keep) {
        InvalidatePictureRect(TakeBackMark());
    }
    g_edit.markShown = false;  // the mark stays: it is the last step of the history now
}

// The system's GUI font at a size that reads well beside marks of the
// chosen width, without smoothing: every pixel of the text is the colour.
static HFONT TextFont()
{
    if (g_textFont && g_textFontWidth == g_edit.width)
        return g_textFont;
    CancelTextFont();
    LOGFONTA font;
    if (!GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font))
        return NULL;
    font.lfHeight = -(12 + 2 * g_edit.width);
    font.lfWidth = 0;
    font.lfWeight = FW_BOLD;
    font.lfQuality = NONANTIALIASED_QUALITY;
    g_textFont = CreateFontIndirectA(&font);
    g_textFontWidth = g_edit.width;
    return g_textFont;
}

void CancelTextFont()
{
    if (g_textFont)
        DeleteObject(g_textFont);
    g_textFont = NULL;
}

// The text drawn white on black by GDI into a mask, then set into the
// picture in the colour; false without a font or memory.
static bool DrawText(EditRect *where)
{
    const int length = lstrlenA(g_edit.text);
    DcGuard dc(CreateCompatibleDC(NULL));
    HFONT font = TextFont();
    if (!dc || !font)
        return false;
    SelectGuard fontSelected(dc, font);
    SIZE size;
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    if (!GetTextExtentPoint32A(dc, g_edit.text, length, &size))
        return false;
    size.cx += metrics.tmOverhang + 2;  // italic and bold overhang
    size.cy = metrics.tmHeight;
    where->left = g_edit.textX;
    where->top = g_edit.textY;
    where->right = g_edit.textX + (length ? size.cx : 2);
    where->bottom = g_edit.textY + size.cy;
    if (length == 0)
        return true;

    BITMAPINFO info;
    memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy;  // top row first, as the mask is read
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = NULL;
    GdiObjectGuard section(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, NULL, 0));
    if (!section.object || !bits)
        return false;
    {
        SelectGuard selected(dc, section.object);
        PatBlt(dc, 0, 0, size.cx, size.cy, BLACKNESS);
        SetTextColor(dc, RGB(255, 255, 255));
        SetBkMode(dc, TRANSPARENT);
        TextOutA(dc, 0, 0, g_edit.text, length);
        GdiFlush();
    }
    // Each 32-bit pixel's colour bytes become the mask byte in place.
    const uint32_t *pixel = static_cast<const uint32_t *>(bits);
    uint8_t *mask = static_cast<uint8_t *>(bits);
    const size_t count = (size_t)size.cx * size.cy;
    for (size_t i = 0; i < count; ++i)
        mask[i] = (pixel[i] & 0xFFFFFF) ? 1 : 0;
    if (!BeginMarkStep(&g_edit.history, g_edit.picture, IntersectEditRect(*where, g_edit.crop)))
        return false;
    g_edit.markShown = true;
    ApplyMask(g_edit.picture, mask, size.cx, size.cy, g_edit.textX, g_edit.textY, MarkValue(), g_edit.crop);
    return true;
}

static void RedrawText()
{
    const EditRect before = g_edit.textRect;
    const EditRect covered = TakeBackMark();
    EditRect now = {0, 0, 0, 0};
    DrawText(&now);
    g_edit.textRect = now;
    InvalidatePictureRect(Union(Union(before, covered), now));
    UpdateWindow(g_edit.canvas);
}

void StartText(int32_t x, int32_t y)
{
    g_edit.typing = true;
    g_edit.textX = x;
    g_edit.textY = y;
    g_edit.text[0] = '\0';
    g_edit.markShown = false;
    RedrawText();
}

void TypeChar(char c)
{
    size_t length = strlen(g_edit.text);
    if (c == '\b') {
        if (length == 0)
            return;
        g_edit.text[length - 1] = '\0';
    } else {
        if ((unsigned char)c < ' ' || length + 1 >= sizeof g_edit.text)
            return;
        g_edit.text[length] = c;
        g_edit.text[length + 1] = '\0';
    }
    RedrawText();
}

void EndText()
{
    if (!g_edit.typing)
        return;
    g_edit.typing = false;
    g_edit.markShown = false;  // the text stays as the last step
    InvalidatePictureRect(g_edit.textRect);
    g_edit.textRect.left = g_edit.textRect.top = g_edit.textRect.right = g_edit.textRect.bottom = 0;
}
