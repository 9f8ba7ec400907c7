// uiprobe: whether every text of a dialog fits its control. Each label and
// button text is measured with the dialog's font made as the dialog manager
// makes it (face and points from the template, at the display's resolution;
// the probe is DPI aware, so in physical pixels), plus the room the control
// itself takes (a check box's box, a push button's edges).
#include "uiprobe.h"

#include <stdlib.h>

namespace uiprobe {

namespace {

BOOL CALLBACK CollectChild(HWND h, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
    return TRUE;
}

// Room beside the text, in pixels at `dpi`; -1 for controls without a text to fit.
int ControlRoom(const std::string& cls, LONG style, int dpi, bool* wraps) {
    *wraps = false;
    if (cls == "static") {
        const LONG type = style & SS_TYPEMASK;
        if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP &&
            type != SS_SIMPLE)
            return -1;
        *wraps = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT;
        return 0;
    }
    if (cls != "button") return -1;
    switch (style & 0x0F) {
    case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_RADIOBUTTON: case BS_AUTORADIOBUTTON:
    case BS_3STATE: case BS_AUTO3STATE:
        return MulDiv(13 + 4, dpi, 96);  // the box and the gap before the text
    case BS_GROUPBOX:
        return MulDiv(2 * 8, dpi, 96);   // the frame's corners on both sides
    default:
        return MulDiv(2 * 3, dpi, 96);   // the raised edges of a push button
    }
}

}  // namespace

int CmdTextFit(const Options& o) {
    const size_t comma = o.value.rfind(',');
    if (!o.hasValue || comma == std::string::npos)
        return Fail(o, kUsage, "textfit needs --value FACE,POINTS");
    HWND top = NULL;
    int rc = SelectOne(o, &top);
    if (rc != kDone) return Fail(o, rc, "no such window");
    std::vector<HWND> children;
    EnumChildWindows(top, CollectChild, reinterpret_cast<LPARAM>(&children));

    HDC dc = GetDC(NULL);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    HFONT font = CreateFontA(-MulDiv(atoi(o.value.c_str() + comma + 1), dpi, 72), 0, 0, 0, FW_NORMAL,
                             FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                             o.value.substr(0, comma).c_str());
    HGDIOBJ oldFont = SelectObject(dc, font);
    Json j;
    j.begin('{');
    j.knum("dpi", dpi);
    j.key("controls");
    j.begin('[');
    for (HWND h : children) {
        bool wraps = false;
        const std::string cls = Lower(ClassOf(h));
        const int room = ControlRoom(cls, GetWindowLongA(h, GWL_STYLE), dpi, &wraps);
        const std::wstring text = ControlText(h);
        if (room < 0 || text.empty() || !IsWindowVisible(h)) continue;
        RECT have, need;
        GetClientRect(h, &have);
        SetRect(&need, 0, 0, have.right - room, 0);
        DrawTextW(dc, text.c_str(), -1, &need,
                  DT_CALCRECT | DT_EXPANDTABS | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
        j.begin('{');
        j.knum("id", CtlId(h));
        j.kstr("class", cls);
        j.kwstr("text", text);
        j.key("need");
        j.begin('[');
        j.num(need.right + room);
        j.num(need.bottom);
        j.end(']');
        j.key("have");
        j.begin('[');
        j.num(have.right);
        j.num(have.bottom);
        j.end(']');
        j.end('}');
    }
    j.end(']');
    j.end('}');
    SelectObject(dc, oldFont);
    DeleteObject(font);
    ReleaseDC(NULL, dc);
    return Finish(o, j, kDone);
}

}  // namespace uiprobe
