// uiprobe: the JSON answer, written to the --out file in one piece.
#include "uiprobe.h"

#include <stdio.h>

namespace uiprobe {

// Texts from the command line and the registry are in the ANSI code page.
std::wstring Widen(const std::string& text) {
    if (text.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), (int)text.size(), NULL, 0);
    if (n <= 0) return std::wstring();
    std::wstring w((size_t)n, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), (int)text.size(), &w[0], n);
    return w;
}

void Json::sep() {
    if (needComma) s += ',';
    needComma = false;
}

void Json::key(const std::string& k) {
    str(k);
    s += ':';
    needComma = false;
}

void Json::begin(char c) {
    sep();
    s += c;
    needComma = false;
}

void Json::end(char c) {
    s += c;
    needComma = true;
}

void Json::str(const std::string& text) { wstr(Widen(text)); }

void Json::wstr(const std::wstring& w) {
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

void Json::num(long long v) {
    sep();
    char buf[32];
    snprintf(buf, sizeof buf, "%lld", v);
    s += buf;
    needComma = true;
}

void Json::boolean(bool v) {
    sep();
    s += v ? "true" : "false";
    needComma = true;
}

void Json::null() {
    sep();
    s += "null";
    needComma = true;
}

void Json::kstr(const char* k, const std::string& v) { key(k); str(v); }

void Json::kwstr(const char* k, const std::wstring& v) { key(k); wstr(v); }

void Json::knum(const char* k, long long v) { key(k); num(v); }

void Json::kbool(const char* k, bool v) { key(k); boolean(v); }

void Json::rect(const char* k, const RECT& r) {
    key(k);
    begin('[');
    num(r.left); num(r.top); num(r.right); num(r.bottom);
    end(']');
}

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

}  // namespace uiprobe
