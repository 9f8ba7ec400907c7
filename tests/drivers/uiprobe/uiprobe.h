// uiprobe: what the files of the UI probe share (see main_win.cpp for its
// commands): the parsed command line, the JSON answer, and the helpers that
// find windows and controls.
#ifndef TAMBLIT_TESTS_DRIVERS_UIPROBE_UIPROBE_H
#define TAMBLIT_TESTS_DRIVERS_UIPROBE_UIPROBE_H

#include <windows.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

namespace uiprobe {

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
// (output_win.cpp)

std::wstring Widen(const std::string& text);

struct Json {
    std::string s;
    bool needComma = false;

    void sep();
    void key(const std::string& k);
    void begin(char c);
    void end(char c);
    void str(const std::string& text);
    void wstr(const std::wstring& w);
    void num(long long v);
    void boolean(bool v);
    void null();
    void kstr(const char* k, const std::string& v);
    void kwstr(const char* k, const std::wstring& v);
    void knum(const char* k, long long v);
    void kbool(const char* k, bool v);
    void rect(const char* k, const RECT& r);
};

bool WriteOut(const Options& o, const std::string& text);
int Finish(const Options& o, Json& j, int code);
int Fail(const Options& o, int code, const std::string& message);

// ---------------------------------------------------------------- windows
// (windows_win.cpp)

std::string Lower(std::string s);
std::string ClassOf(HWND h);
std::wstring ControlText(HWND h);
bool SendTimeout(HWND h, UINT msg, WPARAM wp, LPARAM lp, DWORD_PTR* result);
unsigned long CtlId(HWND h);
bool HasWindowFilter(const Options& o);
// Matching top-level windows, visible ones first.
std::vector<HWND> FindTop(const Options& o);
// Matching descendants of `top`, visible ones first.
std::vector<HWND> FindControls(const Options& o, HWND top);
int SelectOne(const Options& o, HWND* top);
int SelectControl(const Options& o, HWND top, HWND* ctl);

// ---------------------------------------------------------------- commands

// windows_win.cpp
int CmdList(const Options& o);
int CmdWait(const Options& o);
int CmdProcs(const Options& o);
int CmdTerminate(const Options& o);
int CmdExec(const Options& o);
// controls_win.cpp
int CmdPress(const Options& o);
int CmdPost(const Options& o, UINT msg, WPARAM wp, LPARAM lp);
int CmdSetText(const Options& o);
int CmdSaveFile(const Options& o);
// input_win.cpp
int CmdFocus(const Options& o, bool sendKeys);
int CmdHotKey(const Options& o, bool justTry);
// screen_win.cpp
int CmdScreen(const Options& o);
int CmdMode(const Options& o);
// textfit_win.cpp
int CmdTextFit(const Options& o);
int CmdCapture(const Options& o);
// clipboard_win.cpp
int CmdClipboard(const Options& o);
int CmdClipClear(const Options& o);
// registry_win.cpp
int CmdRegGet(const Options& o);
int CmdRegSet(const Options& o);
int CmdRegDel(const Options& o);
// files_win.cpp
int CmdLink(const Options& o);
int CmdVersion(const Options& o);

}  // namespace uiprobe

#endif
