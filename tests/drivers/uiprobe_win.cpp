// uiprobe: looks at and drives the windows of the other programs running in the
// same Wine prefix, for the end-to-end tests. It runs as a separate process and
// only ever posts (or sends with a timeout) messages, so a modal loop started
// by a button it presses never blocks it.
//
//   uiprobe --out FILE COMMAND [options]
//
// The result is written to FILE as JSON (stdout is not dependable for a GUI
// program under Wine). Exit code: 0 done, 1 not found or timed out, 2 bad
// usage, 3 the operation itself failed.
//
// Window selection (top-level): --caption TEXT (exact), --class NAME, --hwnd N,
// --pid N (Windows process id), --exe NAME (image file name, any case).
// Control selection (a descendant of the selected window): --id N, --ctlclass
// NAMES ("Edit|ComboBox", any case), --ctltext TEXT.
//
// Commands:
//   list                     top-level windows (filtered when options given)
//                            with their descendants
//   wait [--gone]            wait (--timeout ms) until a matching window
//                            exists (is visible, with --visible) or is gone
//   press --id N [--bmclick] post WM_COMMAND(id, BN_CLICKED) to the control's
//                            parent, or post BM_CLICK to the control
//   command --id N           post WM_COMMAND(id, 0) to the top-level window
//   post --msg N [--wparam N] [--lparam N]
//   close [--all]            post WM_CLOSE to the (first or every) match
//   settext --id N --text T  WM_SETTEXT on a control
//   savefile --path P        fill the file name box of a file dialog and
//                            press its OK button (Save / Open)
//   focus [--id N]           make the window foreground and focus the control
//   keys --keys "ctrl+s f1"  focus (when a window is selected), then SendInput
//   hotkey --keys K          register K as a hot key of this thread and wait
//                            (--timeout) for WM_HOTKEY; writes FILE.ready
//                            once registered
//   hotkeyfree --keys K      can K be registered now (by nobody else)?
//   procs                    running Windows processes
//   terminate --pid N        TerminateProcess on a Windows process id
//   screen                   screen size, depth, raster caps, system palette
//   capture --rect x,y,w,h --bpp 8|24 --path F   screen area into a BMP file
//   clipboard [--path F]     formats on the clipboard, CF_TEXT, and CF_DIB
//                            written to F as a BMP file
//   clipclear                empty the clipboard
//   regget --key K           values and subkeys of a registry key
//   regset --key K --value V --type T (--data D | --hex H)
//   regdel --key K [--value V]  delete a value, or a key with its subtree
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

enum ExitCode { kDone = 0, kNotFound = 1, kUsage = 2, kFailed = 3 };

const UINT kMessageTimeoutMs = 2000;

struct Options {
    std::string out;
    std::string command;
    bool hasCaption = false;
    std::string caption;
    std::string cls;
    unsigned long hwnd = 0;
    unsigned long pid = 0;
    std::string exe;
    bool hasId = false;
    unsigned long id = 0;
    std::string ctlclass;
    bool hasCtlText = false;
    std::string ctltext;
    bool hasText = false;
    std::string text;
    std::string keys;
    std::string path;
    std::string rect;
    int bpp = 24;
    long timeout = 5000;
    bool gone = false;
    bool visible = false;
    bool all = false;
    bool bmclick = false;
    unsigned long msg = 0;
    unsigned long wparam = 0;
    long lparam = 0;
    std::string key;
    bool hasValue = false;
    std::string value;
    std::string type;
    bool hasData = false;
    std::string data;
    bool hasHex = false;
    std::string hex;
};

// ---------------------------------------------------------------- JSON out

// Texts from the command line and the registry are in the ANSI code page.
std::wstring Widen(const std::string& text) {
    if (text.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), (int)text.size(), NULL, 0);
    if (n <= 0) return std::wstring();
    std::wstring w((size_t)n, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), (int)text.size(), &w[0], n);
    return w;
}

struct Json {
    std::string s;
    bool needComma = false;

    void sep() {
        if (needComma) s += ',';
        needComma = false;
    }
    void key(const std::string& k) {
        str(k);
        s += ':';
        needComma = false;
    }
    void begin(char c) {
        sep();
        s += c;
        needComma = false;
    }
    void end(char c) {
        s += c;
        needComma = true;
    }
    void str(const std::string& text) { wstr(Widen(text)); }
    void wstr(const std::wstring& w) {
        sep();
        s += '"';
        for (size_t i = 0; i < w.size(); ++i) {
            unsigned c = (unsigned)w[i] & 0xffff;
            if (c == '"' || c == '\\') {
                s += '\\';
                s += (char)c;
            } else if (c >= 0x20 && c < 0x7f) {
                s += (char)c;
            } else {
                char buf[8];
                snprintf(buf, sizeof buf, "\\u%04x", c);
                s += buf;
            }
        }
        s += '"';
        needComma = true;
    }
    void num(long long v) {
        sep();
        char buf[32];
        snprintf(buf, sizeof buf, "%lld", v);
        s += buf;
        needComma = true;
    }
    void boolean(bool v) {
        sep();
        s += v ? "true" : "false";
        needComma = true;
    }
    void null() {
        sep();
        s += "null";
        needComma = true;
    }
    void kstr(const char* k, const std::string& v) { key(k); str(v); }
    void kwstr(const char* k, const std::wstring& v) { key(k); wstr(v); }
    void knum(const char* k, long long v) { key(k); num(v); }
    void kbool(const char* k, bool v) { key(k); boolean(v); }
    void rect(const char* k, const RECT& r) {
        key(k);
        begin('[');
        num(r.left); num(r.top); num(r.right); num(r.bottom);
        end(']');
    }
};

bool WriteOut(const Options& o, const std::string& text) {
    if (o.out.empty()) return false;
    // Written under another name and renamed, so that a reader polling for the
    // file never sees half of it.
    std::string tmp = o.out + ".part";
    HANDLE h = CreateFileA(tmp.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(h, text.data(), (DWORD)text.size(), &written, NULL);
    CloseHandle(h);
    if (!ok || written != text.size()) return false;
    DeleteFileA(o.out.c_str());
    return MoveFileA(tmp.c_str(), o.out.c_str()) != FALSE;
}

int Finish(const Options& o, Json& j, int code) {
    WriteOut(o, j.s);
    return code;
}

int Fail(const Options& o, int code, const std::string& message) {
    Json j;
    j.begin('{');
    j.kstr("error", message);
    j.end('}');
    return Finish(o, j, code);
}

// ---------------------------------------------------------------- helpers

std::string Lower(std::string s) {
    if (!s.empty()) CharLowerBuffA(&s[0], (DWORD)s.size());
    return s;
}

std::string ClassOf(HWND h) {
    char buf[256] = "";
    GetClassNameA(h, buf, sizeof buf);
    return buf;
}

// Caption of a top-level window as the window manager knows it; never sends
// a message, so a hung program cannot stop the probe.
std::wstring CaptionOf(HWND h) {
    wchar_t buf[1024] = L"";
    GetWindowTextW(h, buf, sizeof buf / sizeof buf[0]);
    return buf;
}

// Current text of a control (an edit's text lives in the control, not in the
// window's title, so this asks the control). Texts of other processes are
// asked for in Unicode: Wine hands list item texts back in Unicode even to an
// ANSI caller.
std::wstring ControlText(HWND h) {
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                             kMessageTimeoutMs, &len))
        return CaptionOf(h);
    if (len > 65536) len = 65536;
    std::vector<wchar_t> buf(len * 2 + 16, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(h, WM_GETTEXT, (WPARAM)(len + 1), (LPARAM)&buf[0],
                             SMTO_ABORTIFHUNG | SMTO_BLOCK, kMessageTimeoutMs, &got))
        return CaptionOf(h);
    buf[buf.size() - 1] = L'\0';
    return std::wstring(&buf[0]);
}

bool SendTimeout(HWND h, UINT msg, WPARAM wp, LPARAM lp, DWORD_PTR* result) {
    return SendMessageTimeoutW(h, msg, wp, lp, SMTO_ABORTIFHUNG | SMTO_BLOCK, kMessageTimeoutMs,
                               result) != 0;
}

unsigned long CtlId(HWND h) { return (unsigned long)GetDlgCtrlID(h) & 0xffffUL; }

std::vector<PROCESSENTRY32> Processes() {
    std::vector<PROCESSENTRY32> list;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return list;
    PROCESSENTRY32 pe;
    pe.dwSize = sizeof pe;
    if (Process32First(snap, &pe)) {
        do {
            list.push_back(pe);
            pe.dwSize = sizeof pe;
        } while (Process32Next(snap, &pe));
    }
    CloseHandle(snap);
    return list;
}

std::string BaseName(const char* path) {
    const char* p = path;
    for (const char* q = path; *q; ++q)
        if (*q == '\\' || *q == '/') p = q + 1;
    return p;
}

std::string ExeOf(DWORD pid, const std::vector<PROCESSENTRY32>& procs) {
    for (size_t i = 0; i < procs.size(); ++i)
        if (procs[i].th32ProcessID == pid) return BaseName(procs[i].szExeFile);
    return "";
}

BOOL CALLBACK CollectTop(HWND h, LPARAM lp) {
    ((std::vector<HWND>*)lp)->push_back(h);
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND h, LPARAM lp) {
    ((std::vector<HWND>*)lp)->push_back(h);
    return TRUE;
}

std::vector<HWND> Children(HWND top) {
    std::vector<HWND> v;
    EnumChildWindows(top, CollectChild, (LPARAM)&v);
    return v;
}

bool HasWindowFilter(const Options& o) {
    return o.hasCaption || !o.cls.empty() || o.hwnd || o.pid || !o.exe.empty();
}

bool ClassListMatches(const std::string& list, const std::string& cls) {
    std::string l = Lower(list) + "|";
    std::string c = Lower(cls);
    size_t start = 0;
    for (size_t i = 0; i < l.size(); ++i) {
        if (l[i] == '|') {
            if (l.compare(start, i - start, c) == 0) return true;
            start = i + 1;
        }
    }
    return false;
}

// Matching top-level windows, visible ones first.
std::vector<HWND> FindTop(const Options& o) {
    std::vector<HWND> all;
    EnumWindows(CollectTop, (LPARAM)&all);
    std::vector<PROCESSENTRY32> procs;
    if (!o.exe.empty()) procs = Processes();
    DWORD self = GetCurrentProcessId();
    std::vector<HWND> shown, hidden;
    for (size_t i = 0; i < all.size(); ++i) {
        HWND h = all[i];
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        if (pid == self) continue;
        if (o.hwnd && (unsigned long)(UINT_PTR)h != o.hwnd) continue;
        if (o.pid && pid != o.pid) continue;
        if (!o.cls.empty() && !ClassListMatches(o.cls, ClassOf(h))) continue;
        if (o.hasCaption && CaptionOf(h) != Widen(o.caption)) continue;
        if (!o.exe.empty() && Lower(ExeOf(pid, procs)) != Lower(o.exe)) continue;
        (IsWindowVisible(h) ? shown : hidden).push_back(h);
    }
    shown.insert(shown.end(), hidden.begin(), hidden.end());
    return shown;
}

// Matching descendants of `top`, visible ones first.
std::vector<HWND> FindControls(const Options& o, HWND top) {
    std::vector<HWND> kids = Children(top);
    std::vector<HWND> shown, hidden;
    for (size_t i = 0; i < kids.size(); ++i) {
        HWND h = kids[i];
        if (o.hasId && CtlId(h) != (o.id & 0xffffUL)) continue;
        if (!o.ctlclass.empty() && !ClassListMatches(o.ctlclass, ClassOf(h))) continue;
        if (o.hasCtlText && ControlText(h) != Widen(o.ctltext)) continue;
        (IsWindowVisible(h) ? shown : hidden).push_back(h);
    }
    shown.insert(shown.end(), hidden.begin(), hidden.end());
    return shown;
}

void DescribeControl(Json& j, HWND h) {
    std::string cls = ClassOf(h);
    std::string lc = Lower(cls);
    RECT r;
    GetWindowRect(h, &r);
    j.begin('{');
    j.knum("hwnd", (long long)(UINT_PTR)h);
    j.knum("parent", (long long)(UINT_PTR)GetParent(h));
    j.knum("id", (long long)CtlId(h));
    j.kstr("class", cls);
    j.kwstr("text", ControlText(h));
    j.rect("rect", r);
    j.knum("style", (long long)(DWORD)GetWindowLongA(h, GWL_STYLE));
    j.knum("exstyle", (long long)(DWORD)GetWindowLongA(h, GWL_EXSTYLE));
    j.kbool("visible", IsWindowVisible(h) != 0);
    j.kbool("enabled", IsWindowEnabled(h) != 0);
    DWORD_PTR v = 0;
    if (lc == "button") {
        if (SendTimeout(h, BM_GETCHECK, 0, 0, &v)) j.knum("check", (long long)v);
    } else if (lc == "msctls_hotkey32") {
        if (SendTimeout(h, HKM_GETHOTKEY, 0, 0, &v)) {
            j.knum("hotkey", (long long)(v & 0xffff));
            j.knum("hotkey_vk", (long long)LOBYTE(LOWORD(v)));
            j.knum("hotkey_mods", (long long)HIBYTE(LOWORD(v)));
        }
    } else if (lc == "combobox" || lc == "listbox") {
        bool combo = lc == "combobox";
        // Owner-drawn lists without strings hold only item data; their "text"
        // is not a string worth asking for across processes.
        DWORD style = (DWORD)GetWindowLongA(h, GWL_STYLE);
        bool strings = combo ? !(style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) ||
                                   (style & CBS_HASSTRINGS)
                             : !(style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) ||
                                   (style & LBS_HASSTRINGS);
        UINT getCount = combo ? CB_GETCOUNT : LB_GETCOUNT;
        UINT getSel = combo ? CB_GETCURSEL : LB_GETCURSEL;
        UINT getLen = combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
        UINT getText = combo ? CB_GETLBTEXT : LB_GETTEXT;
        DWORD_PTR sel = 0, count = 0;
        if (SendTimeout(h, getSel, 0, 0, &sel)) j.knum("cursel", (long long)(LONG)(LONG_PTR)sel);
        if (strings && SendTimeout(h, getCount, 0, 0, &count) && (LONG)(LONG_PTR)count >= 0) {
            j.key("items");
            j.begin('[');
            for (DWORD_PTR i = 0; i < count && i < 256; ++i) {
                DWORD_PTR len = 0;
                if (!SendTimeout(h, getLen, i, 0, &len) || (LONG)(LONG_PTR)len < 0 || len > 4096) {
                    j.null();
                    continue;
                }
                // Room for the text in any character size Wine may pass back.
                std::vector<wchar_t> buf(len * 2 + 16, L'\0');
                DWORD_PTR got = 0;
                SendTimeout(h, getText, i, (LPARAM)&buf[0], &got);
                buf[buf.size() - 1] = L'\0';
                j.wstr(&buf[0]);
            }
            j.end(']');
        }
    } else if (lc == "msctls_trackbar32") {
        if (SendTimeout(h, TBM_GETPOS, 0, 0, &v)) j.knum("pos", (long long)(LONG)(LONG_PTR)v);
    } else if (lc == "msctls_updown32") {
        if (SendTimeout(h, UDM_GETPOS, 0, 0, &v)) j.knum("pos", (long long)(short)LOWORD(v));
    }
    j.end('}');
}

void DescribeTop(Json& j, HWND h, const std::vector<PROCESSENTRY32>& procs) {
    DWORD pid = 0;
    DWORD tid = GetWindowThreadProcessId(h, &pid);
    RECT r, c;
    GetWindowRect(h, &r);
    GetClientRect(h, &c);
    j.begin('{');
    j.knum("hwnd", (long long)(UINT_PTR)h);
    j.kstr("class", ClassOf(h));
    j.kwstr("caption", CaptionOf(h));
    j.knum("pid", pid);
    j.knum("tid", tid);
    j.kstr("exe", ExeOf(pid, procs));
    j.rect("rect", r);
    j.key("client");
    j.begin('[');
    j.num(c.right - c.left);
    j.num(c.bottom - c.top);
    j.end(']');
    j.kbool("visible", IsWindowVisible(h) != 0);
    j.kbool("enabled", IsWindowEnabled(h) != 0);
    j.kbool("iconic", IsIconic(h) != 0);
    j.knum("style", (long long)(DWORD)GetWindowLongA(h, GWL_STYLE));
    j.knum("exstyle", (long long)(DWORD)GetWindowLongA(h, GWL_EXSTYLE));
    j.knum("owner", (long long)(UINT_PTR)GetWindow(h, GW_OWNER));
    GUITHREADINFO gti;
    memset(&gti, 0, sizeof gti);
    gti.cbSize = sizeof gti;
    if (GetGUIThreadInfo(tid, &gti)) {
        j.knum("focus", (long long)(UINT_PTR)gti.hwndFocus);
        j.knum("active", (long long)(UINT_PTR)gti.hwndActive);
    }
    j.key("children");
    j.begin('[');
    std::vector<HWND> kids = Children(h);
    for (size_t i = 0; i < kids.size(); ++i) DescribeControl(j, kids[i]);
    j.end(']');
    j.end('}');
}

// ---------------------------------------------------------------- keys

struct KeyName {
    const char* name;
    WORD vk;
};

const KeyName kKeyNames[] = {
    {"enter", VK_RETURN}, {"return", VK_RETURN}, {"tab", VK_TAB}, {"esc", VK_ESCAPE},
    {"escape", VK_ESCAPE}, {"space", VK_SPACE}, {"backspace", VK_BACK}, {"delete", VK_DELETE},
    {"del", VK_DELETE}, {"insert", VK_INSERT}, {"ins", VK_INSERT}, {"home", VK_HOME},
    {"end", VK_END}, {"pageup", VK_PRIOR}, {"prior", VK_PRIOR}, {"pagedown", VK_NEXT},
    {"next", VK_NEXT}, {"left", VK_LEFT}, {"right", VK_RIGHT}, {"up", VK_UP}, {"down", VK_DOWN},
    {"print", VK_SNAPSHOT}, {"printscreen", VK_SNAPSHOT}, {"snapshot", VK_SNAPSHOT},
    {"pause", VK_PAUSE}, {"scrolllock", VK_SCROLL}, {"numlock", VK_NUMLOCK},
    {"capslock", VK_CAPITAL}, {"apps", VK_APPS}, {"menu", VK_APPS},
    {"ctrl", VK_CONTROL}, {"control", VK_CONTROL}, {"shift", VK_SHIFT}, {"alt", VK_MENU},
    {"win", VK_LWIN}, {"super", VK_LWIN},
};

// Parses one key name; returns 0 when unknown.
WORD ParseVk(const std::string& name) {
    std::string n = Lower(name);
    if (n.size() == 1) {
        char c = n[0];
        if (c >= 'a' && c <= 'z') return (WORD)(c - 'a' + 'A');
        if (c >= '0' && c <= '9') return (WORD)c;
    }
    if (n.size() >= 2 && n[0] == 'f' && n[1] >= '1' && n[1] <= '9') {
        int f = atoi(n.c_str() + 1);
        if (f >= 1 && f <= 24) return (WORD)(VK_F1 + f - 1);
    }
    if (n.compare(0, 2, "vk") == 0 && n.size() > 2) {
        unsigned long v = strtoul(n.c_str() + 2, NULL, 0);
        if (v > 0 && v < 256) return (WORD)v;
    }
    if (n.compare(0, 6, "numpad") == 0 && n.size() == 7 && n[6] >= '0' && n[6] <= '9')
        return (WORD)(VK_NUMPAD0 + (n[6] - '0'));
    for (size_t i = 0; i < sizeof kKeyNames / sizeof kKeyNames[0]; ++i)
        if (n == kKeyNames[i].name) return kKeyNames[i].vk;
    return 0;
}

// "ctrl+shift+s" -> the keys in order of pressing; false when a name is unknown.
bool ParseChord(const std::string& chord, std::vector<WORD>* vks) {
    vks->clear();
    size_t start = 0;
    for (size_t i = 0; i <= chord.size(); ++i) {
        if (i == chord.size() || chord[i] == '+') {
            // "ctrl++" stands for ctrl and the plus key.
            std::string part = chord.substr(start, i - start);
            if (part.empty()) {
                if (i < chord.size()) {
                    vks->push_back(VK_OEM_PLUS);
                    start = i + 1;
                    continue;
                }
                return false;
            }
            WORD vk = ParseVk(part);
            if (!vk) return false;
            vks->push_back(vk);
            start = i + 1;
        }
    }
    return !vks->empty();
}

std::vector<std::string> SplitSpaces(const std::string& s) {
    std::vector<std::string> out;
    std::string cur;
    for (size_t i = 0; i <= s.size(); ++i) {
        if (i == s.size() || s[i] == ' ') {
            if (!cur.empty()) out.push_back(cur);
            cur.clear();
        } else {
            cur += s[i];
        }
    }
    return out;
}

bool IsExtendedKey(WORD vk) {
    switch (vk) {
    case VK_INSERT: case VK_DELETE: case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: case VK_SNAPSHOT: case VK_DIVIDE:
    case VK_NUMLOCK: case VK_LWIN: case VK_RWIN: case VK_APPS: case VK_RCONTROL: case VK_RMENU:
        return true;
    default:
        return false;
    }
}

INPUT KeyInput(WORD vk, bool up) {
    INPUT in;
    memset(&in, 0, sizeof in);
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = (WORD)MapVirtualKeyA(vk, 0);
    in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
    return in;
}

bool SendChord(const std::vector<WORD>& vks) {
    std::vector<INPUT> ins;
    for (size_t i = 0; i < vks.size(); ++i) ins.push_back(KeyInput(vks[i], false));
    for (size_t i = vks.size(); i-- > 0;) ins.push_back(KeyInput(vks[i], true));
    UINT sent = SendInput((UINT)ins.size(), &ins[0], sizeof(INPUT));
    return sent == ins.size();
}

// Modifiers and key of a hot key chord in RegisterHotKey's terms.
bool ChordToHotKey(const std::string& chord, UINT* mods, UINT* vk) {
    std::vector<WORD> vks;
    if (!ParseChord(chord, &vks)) return false;
    *mods = 0;
    *vk = 0;
    for (size_t i = 0; i < vks.size(); ++i) {
        switch (vks[i]) {
        case VK_CONTROL: *mods |= MOD_CONTROL; break;
        case VK_SHIFT: *mods |= MOD_SHIFT; break;
        case VK_MENU: *mods |= MOD_ALT; break;
        case VK_LWIN: *mods |= MOD_WIN; break;
        default:
            if (*vk) return false;
            *vk = vks[i];
        }
    }
    return *vk != 0;
}

// ---------------------------------------------------------------- commands

int SelectOne(const Options& o, HWND* top) {
    if (!HasWindowFilter(o)) return kUsage;
    std::vector<HWND> tops = FindTop(o);
    if (tops.empty()) return kNotFound;
    *top = tops[0];
    return kDone;
}

int SelectControl(const Options& o, HWND top, HWND* ctl) {
    std::vector<HWND> c = FindControls(o, top);
    if (c.empty()) return kNotFound;
    *ctl = c[0];
    return kDone;
}

int CmdList(const Options& o) {
    std::vector<PROCESSENTRY32> procs = Processes();
    std::vector<HWND> tops = FindTop(o);
    Json j;
    j.begin('{');
    j.knum("foreground", (long long)(UINT_PTR)GetForegroundWindow());
    j.key("windows");
    j.begin('[');
    for (size_t i = 0; i < tops.size(); ++i) DescribeTop(j, tops[i], procs);
    j.end(']');
    j.end('}');
    return Finish(o, j, kDone);
}

int CmdWait(const Options& o) {
    if (!HasWindowFilter(o)) return Fail(o, kUsage, "wait needs a window selection");
    DWORD start = GetTickCount();
    for (;;) {
        std::vector<HWND> tops = FindTop(o);
        bool present = !tops.empty() && (!o.visible || IsWindowVisible(tops[0]));
        if (present != o.gone) {
            Json j;
            j.begin('{');
            j.kbool("found", present);
            if (present) {
                j.key("window");
                DescribeTop(j, tops[0], Processes());
            }
            j.end('}');
            return Finish(o, j, kDone);
        }
        if ((long)(GetTickCount() - start) >= o.timeout)
            return Fail(o, kNotFound, o.gone ? "window still there" : "window did not appear");
        Sleep(50);
    }
}

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

// Gives the keyboard focus inside another program by borrowing its input
// state; returns the window that has the focus afterwards.
HWND FocusWindow(HWND top, HWND ctl) {
    DWORD me = GetCurrentThreadId();
    DWORD them = GetWindowThreadProcessId(top, NULL);
    bool attached = me != them && AttachThreadInput(me, them, TRUE);
    SetForegroundWindow(top);
    SetActiveWindow(top);
    SetFocus(ctl ? ctl : top);
    HWND now = GetFocus();
    if (attached) AttachThreadInput(me, them, FALSE);
    return now;
}

int CmdFocus(const Options& o, bool sendKeys) {
    std::vector<std::vector<WORD> > chords;
    if (sendKeys) {
        std::vector<std::string> parts = SplitSpaces(o.keys);
        if (parts.empty()) return Fail(o, kUsage, "keys needs --keys");
        for (size_t i = 0; i < parts.size(); ++i) {
            std::vector<WORD> vks;
            if (!ParseChord(parts[i], &vks)) return Fail(o, kUsage, "unknown key in " + parts[i]);
            chords.push_back(vks);
        }
    }
    HWND top = NULL, ctl = NULL, focus = NULL;
    if (HasWindowFilter(o)) {
        int rc = SelectOne(o, &top);
        if (rc != kDone) return Fail(o, rc, "no such window");
        if ((o.hasId || !o.ctlclass.empty()) && SelectControl(o, top, &ctl) != kDone)
            return Fail(o, kNotFound, "no such control");
        focus = FocusWindow(top, ctl);
        Sleep(50);
    } else if (!sendKeys) {
        return Fail(o, kUsage, "focus needs a window selection");
    }
    bool ok = true;
    for (size_t i = 0; i < chords.size(); ++i) {
        ok = SendChord(chords[i]) && ok;
        Sleep(30);
    }
    Json j;
    j.begin('{');
    j.knum("window", (long long)(UINT_PTR)top);
    j.knum("control", (long long)(UINT_PTR)ctl);
    j.knum("focus", (long long)(UINT_PTR)focus);
    j.knum("foreground", (long long)(UINT_PTR)GetForegroundWindow());
    j.kbool("sent", ok);
    j.end('}');
    return Finish(o, j, ok ? kDone : kFailed);
}

int CmdHotKey(const Options& o, bool justTry) {
    UINT mods = 0, vk = 0;
    if (!ChordToHotKey(o.keys, &mods, &vk)) return Fail(o, kUsage, "bad --keys");
    const int kId = 0x1234;
    BOOL reg = RegisterHotKey(NULL, kId, mods, vk);
    if (justTry) {
        if (reg) UnregisterHotKey(NULL, kId);
        Json j;
        j.begin('{');
        j.kbool("free", reg != 0);
        j.end('}');
        return Finish(o, j, kDone);
    }
    if (!reg) return Fail(o, kFailed, "RegisterHotKey failed");
    {
        Options ready = o;
        ready.out = o.out + ".ready";
        Json r;
        r.begin('{');
        r.kbool("registered", true);
        r.end('}');
        WriteOut(ready, r.s);
    }
    UINT_PTR timer = SetTimer(NULL, 0, (UINT)o.timeout, NULL);
    MSG m;
    bool got = false;
    WPARAM wp = 0;
    LPARAM lp = 0;
    while (GetMessageA(&m, NULL, 0, 0) > 0) {
        if (m.message == WM_HOTKEY) {
            got = true;
            wp = m.wParam;
            lp = m.lParam;
            break;
        }
        if (m.message == WM_TIMER && m.wParam == timer) break;
        DispatchMessageA(&m);
    }
    KillTimer(NULL, timer);
    UnregisterHotKey(NULL, kId);
    Json j;
    j.begin('{');
    j.kbool("registered", true);
    j.kbool("received", got);
    j.knum("wparam", (long long)wp);
    j.knum("lparam", (long long)lp);
    j.end('}');
    return Finish(o, j, got ? kDone : kNotFound);
}

int CmdProcs(const Options& o) {
    std::vector<PROCESSENTRY32> procs = Processes();
    Json j;
    j.begin('{');
    j.key("processes");
    j.begin('[');
    for (size_t i = 0; i < procs.size(); ++i) {
        j.begin('{');
        j.knum("pid", procs[i].th32ProcessID);
        j.knum("parent", procs[i].th32ParentProcessID);
        j.kstr("exe", BaseName(procs[i].szExeFile));
        j.end('}');
    }
    j.end(']');
    j.knum("self", GetCurrentProcessId());
    j.end('}');
    return Finish(o, j, kDone);
}

int CmdTerminate(const Options& o) {
    if (!o.pid) return Fail(o, kUsage, "terminate needs --pid");
    HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, o.pid);
    if (!h) return Fail(o, kNotFound, "no such process");
    BOOL ok = TerminateProcess(h, 1);
    if (ok) WaitForSingleObject(h, (DWORD)o.timeout);
    CloseHandle(h);
    Json j;
    j.begin('{');
    j.kbool("terminated", ok != 0);
    j.end('}');
    return Finish(o, j, ok ? kDone : kFailed);
}

int CmdScreen(const Options& o) {
    HDC dc = GetDC(NULL);
    Json j;
    j.begin('{');
    j.knum("width", GetSystemMetrics(SM_CXSCREEN));
    j.knum("height", GetSystemMetrics(SM_CYSCREEN));
    j.knum("bitspixel", GetDeviceCaps(dc, BITSPIXEL));
    j.knum("planes", GetDeviceCaps(dc, PLANES));
    j.knum("rastercaps", GetDeviceCaps(dc, RASTERCAPS));
    j.knum("sizepalette", GetDeviceCaps(dc, SIZEPALETTE));
    j.knum("numcolors", GetDeviceCaps(dc, NUMCOLORS));
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

// ---------------------------------------------------------------- clipboard

bool OpenClipboardPatiently(long timeoutMs) {
    DWORD start = GetTickCount();
    while (!OpenClipboard(NULL)) {
        if ((long)(GetTickCount() - start) >= timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

// Size of the header, masks and colour table in front of a packed DIB's bits.
DWORD PackedDibHeaderSize(const BITMAPINFOHEADER* bih, SIZE_T total) {
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
    HANDLE dib = o.path.empty() ? NULL : GetClipboardData(CF_DIB);
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

// ---------------------------------------------------------------- registry

bool SplitKey(const std::string& full, HKEY* root, std::string* sub) {
    size_t slash = full.find('\\');
    std::string r = Lower(full.substr(0, slash));
    *sub = slash == std::string::npos ? "" : full.substr(slash + 1);
    if (r == "hkcu" || r == "hkey_current_user") *root = HKEY_CURRENT_USER;
    else if (r == "hklm" || r == "hkey_local_machine") *root = HKEY_LOCAL_MACHINE;
    else if (r == "hkcr" || r == "hkey_classes_root") *root = HKEY_CLASSES_ROOT;
    else if (r == "hku" || r == "hkey_users") *root = HKEY_USERS;
    else return false;
    return true;
}

const char* TypeName(DWORD t) {
    switch (t) {
    case REG_NONE: return "REG_NONE";
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_BINARY: return "REG_BINARY";
    case REG_DWORD: return "REG_DWORD";
    case REG_DWORD_BIG_ENDIAN: return "REG_DWORD_BIG_ENDIAN";
    case REG_LINK: return "REG_LINK";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    case REG_QWORD: return "REG_QWORD";
    default: return "";
    }
}

bool ParseType(const std::string& s, DWORD* t) {
    const DWORD types[] = {REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD,
                           REG_MULTI_SZ, REG_QWORD};
    for (size_t i = 0; i < sizeof types / sizeof types[0]; ++i)
        if (Lower(s) == Lower(TypeName(types[i]))) {
            *t = types[i];
            return true;
        }
    char* end = NULL;
    unsigned long v = strtoul(s.c_str(), &end, 0);
    if (s.empty() || *end) return false;
    *t = v;
    return true;
}

void HexOut(Json& j, const BYTE* p, DWORD n) {
    std::string h;
    char buf[4];
    for (DWORD i = 0; i < n; ++i) {
        snprintf(buf, sizeof buf, "%02x", p[i]);
        h += buf;
    }
    j.str(h);
}

int CmdRegGet(const Options& o) {
    HKEY root;
    std::string sub;
    if (!SplitKey(o.key, &root, &sub)) return Fail(o, kUsage, "bad --key");
    HKEY k;
    Json j;
    j.begin('{');
    if (RegOpenKeyExA(root, sub.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) {
        j.kbool("exists", false);
        j.end('}');
        return Finish(o, j, kDone);
    }
    j.kbool("exists", true);
    j.key("values");
    j.begin('{');
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD nameLen = sizeof name;
        DWORD type = 0, size = 0;
        LONG r = RegEnumValueA(k, i, name, &nameLen, NULL, &type, NULL, &size);
        if (r != ERROR_SUCCESS) break;
        std::vector<BYTE> data(size + 2, 0);
        DWORD got = size;
        nameLen = sizeof name;
        if (RegEnumValueA(k, i, name, &nameLen, NULL, &type, &data[0], &got) != ERROR_SUCCESS)
            continue;
        j.key(std::string(name, nameLen));
        j.begin('{');
        j.knum("type", type);
        j.kstr("type_name", TypeName(type));
        j.key("hex");
        HexOut(j, &data[0], got);
        j.key("data");
        if ((type == REG_SZ || type == REG_EXPAND_SZ)) {
            std::string s((const char*)&data[0], got);
            while (!s.empty() && s[s.size() - 1] == '\0') s.resize(s.size() - 1);
            j.str(s);
        } else if (type == REG_DWORD && got == 4) {
            DWORD v;
            memcpy(&v, &data[0], 4);
            j.num(v);
        } else if (type == REG_MULTI_SZ) {
            j.begin('[');
            const char* p = (const char*)&data[0];
            const char* end = p + got;
            while (p < end && *p) {
                size_t len = strnlen(p, end - p);
                j.str(std::string(p, len));
                p += len + 1;
            }
            j.end(']');
        } else {
            HexOut(j, &data[0], got);
        }
        j.end('}');
    }
    j.end('}');
    j.key("subkeys");
    j.begin('[');
    for (DWORD i = 0;; ++i) {
        char name[1024];
        DWORD len = sizeof name;
        if (RegEnumKeyExA(k, i, name, &len, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;
        j.str(std::string(name, len));
    }
    j.end(']');
    j.end('}');
    RegCloseKey(k);
    return Finish(o, j, kDone);
}

bool FromHex(const std::string& h, std::vector<BYTE>* out) {
    out->clear();
    if (h.size() % 2) return false;
    for (size_t i = 0; i < h.size(); i += 2) {
        char two[3] = {h[i], h[i + 1], 0};
        char* end = NULL;
        unsigned long v = strtoul(two, &end, 16);
        if (*end) return false;
        out->push_back((BYTE)v);
    }
    return true;
}

int CmdRegSet(const Options& o) {
    HKEY root;
    std::string sub;
    DWORD type = REG_SZ;
    if (!SplitKey(o.key, &root, &sub)) return Fail(o, kUsage, "bad --key");
    if (!o.hasValue) return Fail(o, kUsage, "regset needs --value");
    if (!o.type.empty() && !ParseType(o.type, &type)) return Fail(o, kUsage, "bad --type");
    std::vector<BYTE> bytes;
    if (o.hasHex) {
        if (!FromHex(o.hex, &bytes)) return Fail(o, kUsage, "bad --hex");
    } else if (!o.hasData) {
        return Fail(o, kUsage, "regset needs --data or --hex");
    } else if (type == REG_DWORD) {
        DWORD v = strtoul(o.data.c_str(), NULL, 0);
        bytes.resize(4);
        memcpy(&bytes[0], &v, 4);
    } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
        bytes.assign(o.data.begin(), o.data.end());
        bytes.push_back(0);
    } else {
        bytes.assign(o.data.begin(), o.data.end());
    }
    HKEY k;
    if (RegCreateKeyExA(root, sub.c_str(), 0, NULL, 0, KEY_WRITE, NULL, &k, NULL) != ERROR_SUCCESS)
        return Fail(o, kFailed, "cannot create key");
    LONG r = RegSetValueExA(k, o.value.c_str(), 0, type, bytes.empty() ? NULL : &bytes[0],
                            (DWORD)bytes.size());
    RegCloseKey(k);
    Json j;
    j.begin('{');
    j.kbool("written", r == ERROR_SUCCESS);
    j.end('}');
    return Finish(o, j, r == ERROR_SUCCESS ? kDone : kFailed);
}

LONG DeleteTree(HKEY root, const std::string& sub) {
    HKEY k;
    LONG r = RegOpenKeyExA(root, sub.c_str(), 0, KEY_READ | KEY_WRITE, &k);
    if (r != ERROR_SUCCESS) return r;
    for (;;) {
        char name[1024];
        DWORD len = sizeof name;
        if (RegEnumKeyExA(k, 0, name, &len, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;
        if (DeleteTree(k, std::string(name, len)) != ERROR_SUCCESS) break;
    }
    RegCloseKey(k);
    return RegDeleteKeyA(root, sub.c_str());
}

int CmdRegDel(const Options& o) {
    HKEY root;
    std::string sub;
    if (!SplitKey(o.key, &root, &sub) || sub.empty()) return Fail(o, kUsage, "bad --key");
    LONG r;
    if (o.hasValue) {
        HKEY k;
        r = RegOpenKeyExA(root, sub.c_str(), 0, KEY_WRITE, &k);
        if (r == ERROR_SUCCESS) {
            r = RegDeleteValueA(k, o.value.c_str());
            RegCloseKey(k);
        }
    } else {
        r = DeleteTree(root, sub);
    }
    Json j;
    j.begin('{');
    j.kbool("deleted", r == ERROR_SUCCESS);
    j.knum("status", r);
    j.end('}');
    bool absent = r == ERROR_FILE_NOT_FOUND;
    return Finish(o, j, r == ERROR_SUCCESS ? kDone : absent ? kNotFound : kFailed);
}

// ---------------------------------------------------------------- main

bool ParseArgs(int argc, char** argv, Options* o, std::string* err) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a.compare(0, 2, "--") != 0) {
            if (!o->command.empty()) {
                *err = "two commands: " + o->command + ", " + a;
                return false;
            }
            o->command = a;
            continue;
        }
        std::string name = a.substr(2);
        if (name == "gone") { o->gone = true; continue; }
        if (name == "visible") { o->visible = true; continue; }
        if (name == "all") { o->all = true; continue; }
        if (name == "bmclick") { o->bmclick = true; continue; }
        if (i + 1 >= argc) {
            *err = a + " needs a value";
            return false;
        }
        std::string v = argv[++i];
        unsigned long n = strtoul(v.c_str(), NULL, 0);
        if (name == "out") o->out = v;
        else if (name == "caption") { o->hasCaption = true; o->caption = v; }
        else if (name == "class") o->cls = v;
        else if (name == "hwnd") o->hwnd = n;
        else if (name == "pid") o->pid = n;
        else if (name == "exe") o->exe = v;
        else if (name == "id") { o->hasId = true; o->id = n; }
        else if (name == "ctlclass") o->ctlclass = v;
        else if (name == "ctltext") { o->hasCtlText = true; o->ctltext = v; }
        else if (name == "text") { o->hasText = true; o->text = v; }
        else if (name == "keys") o->keys = v;
        else if (name == "path") o->path = v;
        else if (name == "rect") o->rect = v;
        else if (name == "bpp") o->bpp = (int)n;
        else if (name == "timeout") o->timeout = (long)n;
        else if (name == "msg") o->msg = n;
        else if (name == "wparam") o->wparam = n;
        else if (name == "lparam") o->lparam = strtol(v.c_str(), NULL, 0);
        else if (name == "key") o->key = v;
        else if (name == "value") { o->hasValue = true; o->value = v; }
        else if (name == "type") o->type = v;
        else if (name == "data") { o->hasData = true; o->data = v; }
        else if (name == "hex") { o->hasHex = true; o->hex = v; }
        else {
            *err = "unknown option " + a;
            return false;
        }
    }
    if (o->command.empty()) {
        *err = "no command";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    std::string err;
    if (!ParseArgs(argc, argv, &o, &err)) return Fail(o, kUsage, err);
    const std::string& c = o.command;
    if (c == "list") return CmdList(o);
    if (c == "wait") return CmdWait(o);
    if (c == "press") return CmdPress(o);
    if (c == "command") {
        if (!o.hasId) return Fail(o, kUsage, "command needs --id");
        return CmdPost(o, WM_COMMAND, MAKEWPARAM(o.id, 0), 0);
    }
    if (c == "post") return CmdPost(o, o.msg, o.wparam, o.lparam);
    if (c == "close") return CmdPost(o, WM_CLOSE, 0, 0);
    if (c == "settext") return CmdSetText(o);
    if (c == "savefile") return CmdSaveFile(o);
    if (c == "focus") return CmdFocus(o, false);
    if (c == "keys") return CmdFocus(o, true);
    if (c == "hotkey") return CmdHotKey(o, false);
    if (c == "hotkeyfree") return CmdHotKey(o, true);
    if (c == "procs") return CmdProcs(o);
    if (c == "terminate") return CmdTerminate(o);
    if (c == "screen") return CmdScreen(o);
    if (c == "capture") return CmdCapture(o);
    if (c == "clipboard") return CmdClipboard(o);
    if (c == "clipclear") return CmdClipClear(o);
    if (c == "regget") return CmdRegGet(o);
    if (c == "regset") return CmdRegSet(o);
    if (c == "regdel") return CmdRegDel(o);
    return Fail(o, kUsage, "unknown command " + c);
}
