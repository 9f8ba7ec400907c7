#include "snap/shell/editor_win.h"

#include <string.h>

#include "snap/common/app_state_win.h"
#include "snap/engine/clipboard_win.h"
#include "snap/res/resource.h"
#include "snap/settings/snap_settings.h"
#include "snap/shell/editor_state_win.h"

static const char FRAME_CLASS[] = "TamblitEditSnapshot";
static const char CAPTION[] = "Edit Snapshot";
static const char DISCARD_QUESTION[] = "Discard the marks made on this snapshot?";
static const EditColour DEFAULT_COLOUR = {255, 0, 0};

enum { MIN_CLIENT_WIDTH = 800 };  // the toolbar's room

EditorState g_edit;
static bool g_open;

bool SnapshotEditorOpen()
{
    return g_open;
}

static void Send()
{
    EndText();
    if (g_edit.crop.left != 0 || g_edit.crop.top != 0 || g_edit.crop.right != g_edit.picture.width ||
        g_edit.crop.bottom != g_edit.picture.height) {
        CropInPlace(&g_edit.picture, g_edit.crop);
        g_edit.dib->header->biWidth = g_edit.picture.width;
        g_edit.dib->header->biHeight = g_edit.picture.height;
        g_edit.dib->pixelArraySize = g_edit.picture.rowSize * (DWORD)g_edit.picture.height;
    }
    g_edit.outcome = EditSent;
    g_edit.done = true;
}

// Close sends nothing and says nothing; marks are not thrown away unasked.
static void Close()
{
    EndText();
    if (g_edit.history.done > 0 &&
        MessageBoxA(g_edit.frame, DISCARD_QUESTION, CAPTION, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    g_edit.outcome = EditClosed;
    g_edit.done = true;
}

void EditorCommand(int id)
{
    EndText();
    switch (id) {
    case IDC_EDITOR_UNDO:
    case IDC_EDITOR_REDO: {
        const EditRect crop = g_edit.crop;
        const bool changed = id == IDC_EDITOR_UNDO ? UndoStep(&g_edit.history, g_edit.picture, &g_edit.crop)
                                                   : RedoStep(&g_edit.history, g_edit.picture, &g_edit.crop);
        if (!changed)
            return;
        if (memcmp(&crop, &g_edit.crop, sizeof crop) != 0)
            ResetEditorView();
        else
            InvalidateRect(g_edit.canvas, NULL, FALSE);
        break;
    }
    case IDC_EDITOR_FIT:
        g_edit.fit = !g_edit.fit;
        ResetEditorView();
        break;
    case IDC_EDITOR_SEND:
        Send();
        break;
    case IDC_EDITOR_CLOSE:
        Close();
        break;
    default:
        break;
    }
    SetFocus(g_edit.canvas);
}

static const char TOOL_KEYS[TOOL_COUNT + 1] = "RATHPC";  // in EditTool order

// The editor's keys, wherever in the window the focus is; false for keys
// that are not its own (typing into a text mark among them).
static bool HandleKey(const MSG &msg)
{
    if (msg.hwnd != g_edit.frame && !IsChild(g_edit.frame, msg.hwnd))
        return false;
    if (msg.hwnd == g_edit.widthBox && SendMessageA(g_edit.widthBox, CB_GETDROPPEDSTATE, 0, 0))
        return false;
    // A drag under way ends with the button: no key changes it meanwhile.
    if (g_edit.dragging)
        return msg.message == WM_KEYDOWN || msg.message == WM_CHAR;
    const bool control = GetKeyState(VK_CONTROL) < 0;
    if (msg.message == WM_CHAR) {
        if (!g_edit.typing || control)
            return false;
        TypeChar((char)msg.wParam);
        return true;
    }
    if (msg.message != WM_KEYDOWN)
        return false;
    const WPARAM key = msg.wParam;
    if (control && (key == 'Z' || key == 'Y')) {
        EditorCommand(key == 'Z' ? IDC_EDITOR_UNDO : IDC_EDITOR_REDO);
        return true;
    }
    if (g_edit.typing) {
        if (key == VK_ESCAPE || key == VK_RETURN) {
            EndText();
            return true;
        }
        return false;  // becomes a character
    }
    if (key == VK_RETURN || key == VK_ESCAPE) {
        EditorCommand(key == VK_RETURN ? IDC_EDITOR_SEND : IDC_EDITOR_CLOSE);
        return true;
    }
    if (control || GetKeyState(VK_MENU) < 0)
        return false;
    if (key == 'F') {
        EditorCommand(IDC_EDITOR_FIT);
        return true;
    }
    const char *tool = key < 0x80 ? strchr(TOOL_KEYS, (int)key) : NULL;
    if (tool && *tool) {
        g_edit.tool = (int)(tool - TOOL_KEYS);
        ShowEditorTool();
        return true;
    }
    return false;
}

static LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        LayoutEditorToolbar(hwnd, LOWORD(lParam));
        if (g_edit.canvas)
            MoveWindow(g_edit.canvas, 0, EDITOR_TOOLBAR_HEIGHT, LOWORD(lParam),
                       HIWORD(lParam) > EDITOR_TOOLBAR_HEIGHT ? HIWORD(lParam) - EDITOR_TOOLBAR_HEIGHT : 0, TRUE);
        return 0;
    case WM_COMMAND:
        if (!OnToolbarCommand(hwnd, LOWORD(wParam), HIWORD(wParam)) && HIWORD(wParam) == BN_CLICKED)
            EditorCommand(LOWORD(wParam));
        return 0;
    case WM_DRAWITEM:
        DrawColourButton(reinterpret_cast<const DRAWITEMSTRUCT *>(lParam));
        return TRUE;
    case WM_SETFOCUS:
        if (g_edit.canvas)
            SetFocus(g_edit.canvas);
        return 0;
    case WM_ACTIVATE:
        // Back from another window: the keys are the picture's again.
        if (LOWORD(wParam) != WA_INACTIVE && g_edit.canvas)
            SetFocus(g_edit.canvas);
        return 0;
    case WM_CLOSE:
        EditorCommand(IDC_EDITOR_CLOSE);
        return 0;
    case WM_EDITOR_ADD_TIPS:
        AddEditorTooltips(hwnd);
        return 0;
    case WM_QUERYNEWPALETTE:
    case WM_PALETTECHANGED:
        if (g_edit.palette && (message == WM_QUERYNEWPALETTE || (HWND)wParam != hwnd))
            InvalidateRect(g_edit.canvas, NULL, FALSE);
        return message == WM_QUERYNEWPALETTE;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

// The window at the picture's size, within the work area, centred on it.
static void PlaceFrame(HWND frame)
{
    RECT work;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0))
        SetRect(&work, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    const int clientWidth = g_edit.picture.width > MIN_CLIENT_WIDTH ? g_edit.picture.width : MIN_CLIENT_WIDTH;
    RECT r = {0, 0, clientWidth, EDITOR_TOOLBAR_HEIGHT + g_edit.picture.height};
    AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, 0);
    int width = r.right - r.left, height = r.bottom - r.top;
    const int workWidth = work.right - work.left, workHeight = work.bottom - work.top;
    if (width > workWidth)
        width = workWidth;
    if (height > workHeight)
        height = workHeight;
    MoveWindow(frame, work.left + (workWidth - width) / 2, work.top + (workHeight - height) / 2, width, height,
               FALSE);
}

// The frame with its toolbar and canvas, hidden: what a snapshot
// needs of it before its first paint is then only its size and its picture.
static bool BuildWindow(HINSTANCE instance)
{
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof wc);
    if (!GetClassInfoA(instance, FRAME_CLASS, &wc)) {
        wc.lpfnWndProc = FrameProc;
        wc.hInstance = instance;
        wc.hIcon = LoadIconA(instance, "MAINICON");
        wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
        wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
        wc.lpszClassName = FRAME_CLASS;
        if (!RegisterClassA(&wc))
            return false;
    }
    g_edit.frame = CreateWindowExA(0, FRAME_CLASS, CAPTION, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                                   CW_USEDEFAULT, 100, 100, NULL, NULL, instance, NULL);
    if (!g_edit.frame || !CreateEditorToolbar(g_edit.frame))
        return false;
    g_edit.canvas = CreateEditorCanvas(g_edit.frame, instance);
    return g_edit.canvas != NULL;
}

static void SetDefaults()
{
    g_edit.colour = DEFAULT_COLOUR;
    g_edit.width = EDITOR_DEFAULT_WIDTH;
    g_edit.tool = TOOL_RECTANGLE;
    g_edit.outcome = EditClosed;
}

static void DropWindow()
{
    if (g_edit.frame)
        DestroyWindow(g_edit.frame);
    ZeroMemory(&g_edit, sizeof g_edit);
}

void PrepareSnapshotEditor()
{
    if (g_open || g_edit.frame)
        return;
    ZeroMemory(&g_edit, sizeof g_edit);
    SetDefaults();
    SetZoomActual(&g_edit.view);  // the canvas is sized meanwhile
    if (!BuildWindow(g_hInstance)) {
        DropWindow();
        return;
    }
    // Not its tooltips: a window of their own, owned by the frame, they make
    // its first showing dearer; they come once the picture shows.
    // At the size of the whole screen, where most snapshots leave it.
    g_edit.picture.width = GetSystemMetrics(SM_CXSCREEN);
    g_edit.picture.height = GetSystemMetrics(SM_CYSCREEN);
    PlaceFrame(g_edit.frame);
    g_edit.picture.width = g_edit.picture.height = 0;
}

void ReleaseSnapshotEditor()
{
    if (!g_open)
        DropWindow();
}

static bool OpenWindow(HINSTANCE instance)
{
    if (!g_edit.frame && !BuildWindow(instance))
        return false;
    PlaceFrame(g_edit.frame);
    RECT client;
    GetClientRect(g_edit.frame, &client);
    SendMessageA(g_edit.frame, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    ResetEditorView();
    ShowWindow(g_edit.frame, SW_SHOW);
    SetForegroundWindow(g_edit.frame);
    SetFocus(g_edit.canvas);
    // On the screen before the first message is taken.
    UpdateWindow(g_edit.frame);
    UpdateWindow(g_edit.canvas);
    g_edit.shown = true;
    PostMessageA(g_edit.frame, WM_EDITOR_ADD_TIPS, 0, 0);
    return true;
}

// Hiding a window can hold the thread for a long while on some systems (the
// program waits for a window manager's word), destroying it does not: the
// window goes, and a fresh hidden one is built once the snapshot is out.
static void CALLBACK PrepareLater(HWND hwnd, UINT, UINT_PTR id, DWORD)
{
    KillTimer(hwnd, id);
    if (SnapSettings.edit)
        PrepareSnapshotEditor();
}

static void StartState(SnapshotDib *dib)
{
    // A window built ahead is kept, fresh as built.
    const HWND frame = g_edit.frame, canvas = g_edit.canvas, tooltip = g_edit.tooltip, widthBox = g_edit.widthBox;
    ZeroMemory(&g_edit, sizeof g_edit);
    g_edit.frame = frame;
    g_edit.canvas = canvas;
    g_edit.tooltip = tooltip;
    g_edit.widthBox = widthBox;
    g_edit.dib = dib;
    const BITMAPINFOHEADER &h = *dib->header;
    g_edit.picture.pixels = dib->pixels;
    g_edit.picture.width = h.biWidth;
    g_edit.picture.height = h.biHeight;
    g_edit.picture.bitsPerPixel = h.biBitCount == 8 ? 8 : 24;
    g_edit.picture.rowSize = ((DWORD)h.biWidth * (g_edit.picture.bitsPerPixel / 8) + 3) & ~3u;
    g_edit.picture.colorTable = dib->colorTableSize ? reinterpret_cast<const uint8_t *>(dib->header) + sizeof h : NULL;
    SetZoomActual(&g_edit.view);
    g_edit.crop.right = h.biWidth;
    g_edit.crop.bottom = h.biHeight;
    SetDefaults();
    HDC screen = GetDC(NULL);
    if (screen && dib->colorTableSize && (GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE))
        g_edit.palette = BuildClipboardPalette(dib->header);
    if (screen)
        ReleaseDC(NULL, screen);
}

EditOutcome RunSnapshotEditor(SnapshotDib *dib)
{
    if (g_open || !dib->header || dib->header->biWidth <= 0 || dib->header->biHeight <= 0)
        return EditClosed;
    g_open = true;
    StartState(dib);
    if (OpenWindow(g_hInstance)) {
        MSG msg;
        while (!g_edit.done) {
            const BOOL got = GetMessageA(&msg, NULL, 0, 0);
            if (got <= 0) {
                // The program is ending: the snapshot goes nowhere, and the
                // loop outside sees the end too.
                if (got == 0)
                    PostQuitMessage((int)msg.wParam);
                g_edit.outcome = EditClosed;
                break;
            }
            if (HandleKey(msg))
                continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    const EditOutcome outcome = g_edit.outcome;
    if (g_edit.frame)
        DestroyWindow(g_edit.frame);  // first: a drag it ends still finds its history
    CancelTextFont();
    FreeEditHistory(&g_edit.history);
    if (g_edit.palette)
        DeleteObject(g_edit.palette);
    ZeroMemory(&g_edit, sizeof g_edit);
    g_open = false;
    if (g_hwndMain)
        SetTimer(g_hwndMain, EDITOR_PREPARE_TIMER, EDITOR_PREPARE_DELAY, PrepareLater);
    return outcome;
}

EditOutcome EditSnapshotWhenChosen(SnapshotDib *dib)
{
    if (!SnapSettings.edit)
        return EditSkipped;
    // The area preview is done with once its band is taken.
    if (IsWindowVisible(g_hwndMain))
        ShowWindow(g_hwndMain, SW_HIDE);
    return RunSnapshotEditor(dib);
}
