// helptext: where a text stands in the help viewer's window, so that a test
// can click it as a user would.
//
//   helptext --out FILE TEXT
//
// Finds the visible help window (class MS_WINHELP) and its rich edit child,
// and writes one JSON object: "caption" of the help window, "text" shown (the
// topic as plain text), and "x", "y": the screen point a little inside the
// first character of the first occurrence of TEXT, or -1 when it is not shown.
// Exit code 0, or 1 when there is no help window.
#include <windows.h>

#include <stdio.h>
#include <string.h>
#include <wchar.h>

namespace {

const int TEXT_LIMIT = 32768;
const int CHAR_INSET = 3;  // pixels right of and below a character's top left corner

HWND FindRichEdit(HWND parent) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[64] = "";
        GetClassNameA(child, cls, sizeof(cls));
        if (_strnicmp(cls, "RichEdit", 8) == 0) return child;
    }
    return NULL;
}

void WriteJsonString(FILE* f, const wchar_t* s) {
    fputc('"', f);
    for (; *s; ++s) {
        if (*s == '"' || *s == '\\') fprintf(f, "\\%c", (char)*s);
        else if (*s < 0x20 || *s > 0x7E) fprintf(f, "\\u%04x", (unsigned)*s);
        else fputc((char)*s, f);
    }
    fputc('"', f);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 || strcmp(argv[1], "--out") != 0) {
        fprintf(stderr, "usage: helptext --out FILE TEXT\n");
        return 2;
    }
    HWND help = FindWindowA("MS_WINHELP", NULL);
    HWND edit = help ? FindRichEdit(help) : NULL;
    if (!edit) return 1;

    static wchar_t raw[TEXT_LIMIT], shown[TEXT_LIMIT], caption[256], needle[256];
    SendMessageW(edit, WM_GETTEXT, TEXT_LIMIT, (LPARAM)raw);
    GetWindowTextW(help, caption, 256);
    MultiByteToWideChar(CP_ACP, 0, argv[3], -1, needle, 256);

    // The control counts a paragraph end as one character, WM_GETTEXT gives CR LF.
    int n = 0;
    for (const wchar_t* p = raw; *p && n < TEXT_LIMIT - 1; ++p) {
        if (p[0] == '\r' && p[1] == '\n') continue;
        shown[n++] = *p;
    }
    shown[n] = 0;

    POINT pt = {-1, -1};
    const wchar_t* at = needle[0] ? wcsstr(shown, needle) : NULL;
    if (at) {
        // The edit-control form of the message: index in wParam, packed client point back.
        LRESULT packed = SendMessageW(edit, EM_POSFROMCHAR, (WPARAM)(at - shown), 0);
        pt.x = (short)LOWORD(packed) + CHAR_INSET;
        pt.y = (short)HIWORD(packed) + CHAR_INSET;
        ClientToScreen(edit, &pt);
    }

    FILE* f = fopen(argv[2], "w");
    if (!f) return 2;
    fprintf(f, "{\"caption\": ");
    WriteJsonString(f, caption);
    fprintf(f, ", \"text\": ");
    WriteJsonString(f, shown);
    fprintf(f, ", \"x\": %ld, \"y\": %ld}\n", pt.x, pt.y);
    fclose(f);
    return 0;
}
