// uiprobe: key names, SendInput and hot keys.
#include "uiprobe.h"

#include <stdlib.h>
#include <string.h>

namespace uiprobe {

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
static WORD ParseVk(const std::string& name) {
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
static bool ParseChord(const std::string& chord, std::vector<WORD>* vks) {
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

static std::vector<std::string> SplitSpaces(const std::string& s) {
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

static bool IsExtendedKey(WORD vk) {
    switch (vk) {
    case VK_INSERT: case VK_DELETE: case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: case VK_SNAPSHOT: case VK_DIVIDE:
    case VK_NUMLOCK: case VK_LWIN: case VK_RWIN: case VK_APPS: case VK_RCONTROL: case VK_RMENU:
        return true;
    default:
        return false;
    }
}

static INPUT KeyInput(WORD vk, bool up) {
    INPUT in;
    memset(&in, 0, sizeof in);
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = (WORD)MapVirtualKeyA(vk, 0);
    in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
    return in;
}

static bool SendChord(const std::vector<WORD>& vks) {
    std::vector<INPUT> ins;
    for (size_t i = 0; i < vks.size(); ++i) ins.push_back(KeyInput(vks[i], false));
    for (size_t i = vks.size(); i-- > 0;) ins.push_back(KeyInput(vks[i], true));
    UINT sent = SendInput((UINT)ins.size(), &ins[0], sizeof(INPUT));
    return sent == ins.size();
}

// Modifiers and key of a hot key chord in RegisterHotKey's terms.
static bool ChordToHotKey(const std::string& chord, UINT* mods, UINT* vk) {
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

// Gives the keyboard focus inside another program by borrowing its input
// state; returns the window that has the focus afterwards.
static HWND FocusWindow(HWND top, HWND ctl) {
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

}  // namespace uiprobe
