// uiprobe: finding and describing windows, their controls and processes.
#include "uiprobe.h"

#include <commctrl.h>
#include <string.h>

namespace uiprobe {

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
static std::wstring CaptionOf(HWND h) {
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

static std::vector<PROCESSENTRY32> Processes() {
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

static std::string BaseName(const char* path) {
    const char* p = path;
    for (const char* q = path; *q; ++q)
        if (*q == '\\' || *q == '/') p = q + 1;
    return p;
}

static std::string ExeOf(DWORD pid, const std::vector<PROCESSENTRY32>& procs) {
    for (size_t i = 0; i < procs.size(); ++i)
        if (procs[i].th32ProcessID == pid) return BaseName(procs[i].szExeFile);
    return "";
}

static BOOL CALLBACK CollectTop(HWND h, LPARAM lp) {
    ((std::vector<HWND>*)lp)->push_back(h);
    return TRUE;
}

static BOOL CALLBACK CollectChild(HWND h, LPARAM lp) {
    ((std::vector<HWND>*)lp)->push_back(h);
    return TRUE;
}

static std::vector<HWND> Children(HWND top) {
    std::vector<HWND> v;
    EnumChildWindows(top, CollectChild, (LPARAM)&v);
    return v;
}

bool HasWindowFilter(const Options& o) {
    return o.hasCaption || !o.cls.empty() || o.hwnd || o.pid || !o.exe.empty();
}

static bool ClassListMatches(const std::string& list, const std::string& cls) {
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

static void DescribeControl(Json& j, HWND h) {
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

static void DescribeTop(Json& j, HWND h, const std::vector<PROCESSENTRY32>& procs) {
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
        j.knum("capture", (long long)(UINT_PTR)gti.hwndCapture);
    }
    j.key("children");
    j.begin('[');
    std::vector<HWND> kids = Children(h);
    for (size_t i = 0; i < kids.size(); ++i) DescribeControl(j, kids[i]);
    j.end(']');
    j.end('}');
}

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

int CmdExec(const Options& o) {
    if (o.path.empty()) return Fail(o, kUsage, "exec needs --path");
    std::string line = "\"" + o.path + "\"" + (o.hasText ? " " + o.text : "");
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    if (!CreateProcessA(NULL, buffer.data(), NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
        return Fail(o, kFailed, "cannot start " + o.path);
    CloseHandle(pi.hThread);
    DWORD waited = WaitForSingleObject(pi.hProcess, (DWORD)o.timeout);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    if (waited != WAIT_OBJECT_0) return Fail(o, kFailed, "still running");
    Json j;
    j.begin('{');
    j.knum("code", code);
    j.knum("pid", pi.dwProcessId);
    j.end('}');
    return Finish(o, j, kDone);
}

}  // namespace uiprobe
