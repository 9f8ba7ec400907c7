// The row of controls above the picture: a button a tool, the colour
// presets and the colour dialog, the width, zoom, undo and redo, Send and
// Close. Each says in its tooltip which key does the same.
#include "snap/shell/editor_state_win.h"

#include <commctrl.h>
#include <commdlg.h>
#include <stdio.h>

#include "snap/common/dll_search_win.h"
#include "snap/res/resource.h"

struct ToolbarButton {
    int id;
    const char *text;
    const char *tip;
    int width;  // pixels
    DWORD style;
};

static const DWORD TOOL_STYLE = BS_AUTORADIOBUTTON | BS_PUSHLIKE;
static const DWORD PUSH_STYLE = BS_PUSHBUTTON;

static const ToolbarButton BUTTONS[] = {
    {IDC_EDITOR_TOOL_FIRST + TOOL_RECTANGLE, "Rectangle", "Rectangle (R)", 66, TOOL_STYLE | WS_GROUP},
    {IDC_EDITOR_TOOL_FIRST + TOOL_ARROW, "Arrow", "Arrow (A)", 46, TOOL_STYLE},
    {IDC_EDITOR_TOOL_FIRST + TOOL_TEXT, "Text", "Text (T)", 38, TOOL_STYLE},
    {IDC_EDITOR_TOOL_FIRST + TOOL_HIGHLIGHT, "Highlight", "Highlight (H)", 60, TOOL_STYLE},
    {IDC_EDITOR_TOOL_FIRST + TOOL_PIXELATE, "Pixelate", "Pixelate (P)", 56, TOOL_STYLE},
    {IDC_EDITOR_TOOL_FIRST + TOOL_CROP, "Crop", "Crop (C)", 40, TOOL_STYLE},
    {IDC_EDITOR_CHOOSE_COLOUR, "Colour...", "Choose a colour", 58, PUSH_STYLE | WS_GROUP},
    {IDC_EDITOR_FIT, "Fit", "Zoom to fit, or back to 100 % (F)", 34, PUSH_STYLE},
    {IDC_EDITOR_UNDO, "Undo", "Undo (Ctrl+Z)", 42, PUSH_STYLE},
    {IDC_EDITOR_REDO, "Redo", "Redo (Ctrl+Y)", 42, PUSH_STYLE},
    {IDC_EDITOR_SEND, "Send", "Send the picture as it is now (Enter)", 46, BS_DEFPUSHBUTTON},
    {IDC_EDITOR_CLOSE, "Close", "Close without sending (Esc)", 46, PUSH_STYLE},
};

static const COLORREF PRESETS[] = {RGB(255, 0, 0), RGB(255, 255, 0), RGB(0, 192, 0),
                                   RGB(0, 0, 255), RGB(0, 0, 0), RGB(255, 255, 255)};
static const char *const PRESET_TIPS[] = {"Red", "Yellow", "Green", "Blue", "Black", "White"};
enum { PRESET_COUNT = sizeof PRESETS / sizeof PRESETS[0], PRESET_SIZE = 20, GAP = 3, BUTTON_HEIGHT = 24 };

static const int WIDTHS[] = {1, 2, 3, 5, 8, 12};
enum { WIDTH_COUNT = sizeof WIDTHS / sizeof WIDTHS[0], WIDTH_BOX = 58, SEND_AND_CLOSE_WIDTH = 2 * 46 };

static COLORREF g_customColours[16];

static void AddTip(HWND control, const char *tip)
{
    if (!g_edit.tooltip)
        return;
    TOOLINFOA info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = TTTOOLINFOA_V1_SIZE;  // the size every version of the control knows
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = g_edit.frame;
    info.uId = (UINT_PTR)control;
    info.lpszText = const_cast<char *>(tip);
    SendMessageA(g_edit.tooltip, TTM_ADDTOOLA, 0, (LPARAM)&info);
}

static HWND AddControl(HWND frame, const char *cls, const char *text, DWORD style, int id)
{
    HINSTANCE instance = (HINSTANCE)GetWindowLongPtrA(frame, GWLP_HINSTANCE);
    HWND control = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, frame,
                                   (HMENU)(INT_PTR)id, instance, NULL);
    if (control)
        SendMessageA(control, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
    return control;
}

void AddEditorTooltips(HWND frame)
{
    InitCommonControlsFromSystem();
    g_edit.tooltip = CreateWindowExA(0, TOOLTIPS_CLASSA, NULL, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, frame, NULL,
                                     (HINSTANCE)GetWindowLongPtrA(frame, GWLP_HINSTANCE), NULL);
    for (const ToolbarButton &b : BUTTONS)
        AddTip(GetDlgItem(frame, b.id), b.tip);
    for (int i = 0; i < PRESET_COUNT; ++i)
        AddTip(GetDlgItem(frame, IDC_EDITOR_PRESET_FIRST + i), PRESET_TIPS[i]);
    AddTip(g_edit.widthBox, "Line width");
}

bool CreateEditorToolbar(HWND frame)
{
    for (const ToolbarButton &b : BUTTONS)
        if (!AddControl(frame, "BUTTON", b.text, b.style, b.id))
            return false;
    for (int i = 0; i < PRESET_COUNT; ++i)
        if (!AddControl(frame, "BUTTON", "", BS_OWNERDRAW, IDC_EDITOR_PRESET_FIRST + i))
            return false;
    g_edit.widthBox = AddControl(frame, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL, IDC_EDITOR_WIDTH);
    if (!g_edit.widthBox)
        return false;
    for (int i = 0; i < WIDTH_COUNT; ++i) {
        char text[16];
        snprintf(text, sizeof text, "%d px", WIDTHS[i]);
        SendMessageA(g_edit.widthBox, CB_ADDSTRING, 0, (LPARAM)text);
        if (WIDTHS[i] == g_edit.width)
            SendMessageA(g_edit.widthBox, CB_SETCURSEL, i, 0);
    }
    ShowEditorTool();
    return true;
}

static void Place(HWND frame, int id, int x, int width, int height)
{
    MoveWindow(GetDlgItem(frame, id), x, (EDITOR_TOOLBAR_HEIGHT - BUTTON_HEIGHT) / 2, width, height, TRUE);
}

void LayoutEditorToolbar(HWND frame, int width)
{
    int x = GAP;
    // Tools, then colours and width, then what acts on the whole picture.
    for (int i = 0; i < TOOL_COUNT; ++i) {
        Place(frame, BUTTONS[i].id, x, BUTTONS[i].width, BUTTON_HEIGHT);
        x += BUTTONS[i].width;
    }
    x += GAP * 3;
    for (int i = 0; i < PRESET_COUNT; ++i) {
        MoveWindow(GetDlgItem(frame, IDC_EDITOR_PRESET_FIRST + i), x, (EDITOR_TOOLBAR_HEIGHT - PRESET_SIZE) / 2,
                   PRESET_SIZE, PRESET_SIZE, TRUE);
        x += PRESET_SIZE + 1;
    }
    x += GAP;
    for (size_t i = TOOL_COUNT; i < sizeof BUTTONS / sizeof BUTTONS[0]; ++i) {
        if (BUTTONS[i].id == IDC_EDITOR_FIT) {
            Place(frame, IDC_EDITOR_WIDTH, x, WIDTH_BOX, 200);  // the list drops below
            x += WIDTH_BOX + GAP * 3;
        }
        if (BUTTONS[i].id == IDC_EDITOR_SEND) {
            // Send and Close at the right-hand end when there is room.
            const int atRight = width - SEND_AND_CLOSE_WIDTH - GAP;
            x = atRight > x + GAP * 3 ? atRight : x + GAP * 3;
        }
        Place(frame, BUTTONS[i].id, x, BUTTONS[i].width, BUTTON_HEIGHT);
        x += BUTTONS[i].width + (BUTTONS[i].id == IDC_EDITOR_CHOOSE_COLOUR ? GAP : 0);
    }
}

void ShowEditorTool()
{
    for (int i = 0; i < TOOL_COUNT; ++i)
        CheckDlgButton(g_edit.frame, IDC_EDITOR_TOOL_FIRST + i, i == g_edit.tool ? BST_CHECKED : BST_UNCHECKED);
}

void DrawColourButton(const DRAWITEMSTRUCT *item)
{
    const int index = (int)item->CtlID - IDC_EDITOR_PRESET_FIRST;
    if (index < 0 || index >= PRESET_COUNT)
        return;
    RECT r = item->rcItem;
    const COLORREF colour = PRESETS[index];
    const COLORREF current = RGB(g_edit.colour.red, g_edit.colour.green, g_edit.colour.blue);
    // The colour in hand has a sunken, thick frame.
    DrawEdge(item->hDC, &r, colour == current ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
    if (colour == current)
        InflateRect(&r, -1, -1);
    HBRUSH brush = CreateSolidBrush(colour);
    if (brush) {
        FillRect(item->hDC, &r, brush);
        DeleteObject(brush);
    }
}

static void SetColour(COLORREF colour)
{
    g_edit.colour.red = GetRValue(colour);
    g_edit.colour.green = GetGValue(colour);
    g_edit.colour.blue = GetBValue(colour);
    for (int i = 0; i < PRESET_COUNT; ++i)
        InvalidateRect(GetDlgItem(g_edit.frame, IDC_EDITOR_PRESET_FIRST + i), NULL, FALSE);
}

static void ChooseOwnColour(HWND frame)
{
    CHOOSECOLORA choice;
    ZeroMemory(&choice, sizeof choice);
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = frame;
    choice.rgbResult = RGB(g_edit.colour.red, g_edit.colour.green, g_edit.colour.blue);
    choice.lpCustColors = g_customColours;
    choice.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (ChooseColorA(&choice))
        SetColour(choice.rgbResult);
}

bool OnToolbarCommand(HWND frame, int id, int notification)
{
    if (id >= IDC_EDITOR_TOOL_FIRST && id < IDC_EDITOR_TOOL_FIRST + TOOL_COUNT) {
        EndText();
        g_edit.tool = id - IDC_EDITOR_TOOL_FIRST;
        ShowEditorTool();
    } else if (id >= IDC_EDITOR_PRESET_FIRST && id < IDC_EDITOR_PRESET_FIRST + PRESET_COUNT) {
        SetColour(PRESETS[id - IDC_EDITOR_PRESET_FIRST]);
    } else if (id == IDC_EDITOR_CHOOSE_COLOUR) {
        ChooseOwnColour(frame);
    } else if (id == IDC_EDITOR_WIDTH) {
        if (notification != CBN_SELCHANGE && notification != CBN_CLOSEUP)
            return true;
        const LRESULT chosen = SendMessageA(g_edit.widthBox, CB_GETCURSEL, 0, 0);
        if (chosen >= 0 && chosen < WIDTH_COUNT)
            g_edit.width = WIDTHS[chosen];
        if (notification == CBN_SELCHANGE)
            return true;  // the list may still be open
    } else {
        return false;
    }
    // Keys go to the picture again, not to the button just pressed.
    SetFocus(g_edit.canvas);
    return true;
}
