// uiprobe: acting on windows, controls and dialogs by posting messages.
#include "uiprobe.h"

namespace uiprobe {

int CmdPress(const Options& o) {
    if (!o.hasId) return Fail(o, kUsage, "press needs --id");
    HWND top = NULL, ctl = NULL;
    int rc = SelectOne(o, &top);
    if (rc != kDone) return Fail(o, rc, "no such window");
    if (SelectControl(o, top, &ctl) != kDone) return Fail(o, kNotFound, "no such control");
    BOOL ok;
    if (o.bmclick) {
        ok = PostMessageA(ctl, BM_CLICK, 0, 0);
    } else {
        HWND parent = GetParent(ctl);
        if (!parent) parent = top;
        ok = PostMessageA(parent, WM_COMMAND, MAKEWPARAM(CtlId(ctl), BN_CLICKED), (LPARAM)ctl);
    }
    Json j;
    j.begin('{');
    j.knum("hwnd", (long long)(UINT_PTR)ctl);
    j.knum("parent", (long long)(UINT_PTR)GetParent(ctl));
    j.kbool("posted", ok != 0);
    j.end('}');
    return Finish(o, j, ok ? kDone : kFailed);
}

int CmdPost(const Options& o, UINT msg, WPARAM wp, LPARAM lp) {
    std::vector<HWND> tops;
    if (!HasWindowFilter(o)) return Fail(o, kUsage, "needs a window selection");
    tops = FindTop(o);
    if (tops.empty()) return Fail(o, kNotFound, "no such window");
    if (!o.all) tops.resize(1);
    Json j;
    j.begin('{');
    j.key("hwnds");
    j.begin('[');
    bool ok = true;
    for (size_t i = 0; i < tops.size(); ++i) {
        ok = PostMessageA(tops[i], msg, wp, lp) && ok;
        j.num((long long)(UINT_PTR)tops[i]);
    }
    j.end(']');
    j.kbool("posted", ok);
    j.end('}');
    return Finish(o, j, ok ? kDone : kFailed);
}

int CmdSetText(const Options& o) {
    if (!o.hasId && o.ctlclass.empty()) return Fail(o, kUsage, "settext needs --id or --ctlclass");
    if (!o.hasText) return Fail(o, kUsage, "settext needs --text");
    HWND top = NULL, ctl = NULL;
    int rc = SelectOne(o, &top);
    if (rc != kDone) return Fail(o, rc, "no such window");
    if (SelectControl(o, top, &ctl) != kDone) return Fail(o, kNotFound, "no such control");
    DWORD_PTR r = 0;
    std::wstring text = Widen(o.text);
    bool ok = SendTimeout(ctl, WM_SETTEXT, 0, (LPARAM)text.c_str(), &r);
    Json j;
    j.begin('{');
    j.knum("hwnd", (long long)(UINT_PTR)ctl);
    j.kwstr("text", ControlText(ctl));
    j.end('}');
    return Finish(o, j, ok ? kDone : kFailed);
}

// The file name box of the Explorer-style dialog is the combo box 1148 (cmb13);
// older templates use the edit 1152 (edt1). Other controls share these ids,
// so the class decides.
int CmdSaveFile(const Options& o) {
    if (o.path.empty()) return Fail(o, kUsage, "savefile needs --path");
    Options sel = o;
    if (!HasWindowFilter(sel)) sel.cls = "#32770";
    HWND top = NULL;
    int rc = SelectOne(sel, &top);
    if (rc != kDone) return Fail(o, rc, "no file dialog");
    // The edit inside the combo box takes the text most directly.
    HWND name = NULL;
    const unsigned long ids[] = {1148, 1152};
    const char* classes[] = {"Edit", "ComboBox", "ComboBoxEx32"};
    for (size_t k = 0; k < 2 && !name; ++k) {
        for (size_t m = 0; m < 3 && !name; ++m) {
            Options c;
            c.hasId = true;
            c.id = ids[k];
            c.ctlclass = classes[m];
            std::vector<HWND> v = FindControls(c, top);
            for (size_t i = 0; i < v.size() && !name; ++i)
                if (IsWindowVisible(v[i])) name = v[i];
        }
    }
    if (!name) return Fail(o, kNotFound, "no file name box");
    Options b;
    b.hasId = true;
    b.id = IDOK;
    b.ctlclass = "Button";
    std::vector<HWND> buttons = FindControls(b, top);
    HWND ok = NULL;
    for (size_t i = 0; i < buttons.size() && !ok; ++i)
        if (IsWindowVisible(buttons[i])) ok = buttons[i];
    if (!ok) return Fail(o, kNotFound, "no OK button");
    DWORD_PTR r = 0;
    std::wstring path = Widen(o.path);
    if (!SendTimeout(name, WM_SETTEXT, 0, (LPARAM)path.c_str(), &r))
        return Fail(o, kFailed, "could not set the file name");
    std::wstring now = ControlText(name);
    HWND parent = GetParent(ok);
    BOOL posted = PostMessageA(parent ? parent : top, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                               (LPARAM)ok);
    Json j;
    j.begin('{');
    j.knum("dialog", (long long)(UINT_PTR)top);
    j.knum("name_box", (long long)(UINT_PTR)name);
    j.kstr("name_box_class", ClassOf(name));
    j.kwstr("text", now);
    j.knum("ok_button", (long long)(UINT_PTR)ok);
    j.kbool("posted", posted != 0);
    j.end('}');
    return Finish(o, j, posted ? kDone : kFailed);
}

}  // namespace uiprobe
