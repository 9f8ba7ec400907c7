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
//   exec --path P [--text ARGS]  runs P, waits (--timeout ms) and gives its
//                            whole exit code, which Wine's own cuts to 8 bits
//   screen                   screen size, depth, raster caps, system palette
//   mode --value WxH         change the display mode (ChangeDisplaySettingsA)
//   capture --rect x,y,w,h --bpp 8|24 --path F   screen area into a BMP file
//   textfit --value FACE,POINTS   each label's and button's text measured in
//                            that font against its control's size
//   clipboard [--path F]     formats on the clipboard, CF_TEXT, and CF_DIB
//   clipboard --value bitmap --path F   the CF_BITMAP instead, read to a 24-bit BMP
//                            written to F as a BMP file
//   clipclear                empty the clipboard
//   regget --key K           values and subkeys of a registry key
//   regset --key K --value V --type T (--data D | --hex H)
//   regdel --key K [--value V]  delete a value, or a key with its subtree
//   link --path P            a shell link's target, working folder, description
//   version --path P         a program's version numbers and strings
//
// This file reads the command line and runs the command; the commands live in
// the files beside it, by concern (uiprobe.h says which).
#include "uiprobe.h"

#include <stdlib.h>

namespace uiprobe {

static bool ParseArgs(int argc, char** argv, Options* o, std::string* err) {
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

}  // namespace uiprobe

using namespace uiprobe;

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
    if (c == "exec") return CmdExec(o);
    if (c == "screen") return CmdScreen(o);
    if (c == "mode") return CmdMode(o);
    if (c == "textfit") return CmdTextFit(o);
    if (c == "capture") return CmdCapture(o);
    if (c == "clipboard") return CmdClipboard(o);
    if (c == "clipclear") return CmdClipClear(o);
    if (c == "regget") return CmdRegGet(o);
    if (c == "regset") return CmdRegSet(o);
    if (c == "regdel") return CmdRegDel(o);
    if (c == "link") return CmdLink(o);
    if (c == "version") return CmdVersion(o);
    return Fail(o, kUsage, "unknown command " + c);
}
