// What the pieces of the "Edit Snapshot" window share: the picture being
// marked, its history, the view of it and the tool in hand. One editor is
// open at a time, so this is one global record.
#pragma once
#include <windows.h>

#include "snap/engine/edit_history.h"
#include "snap/engine/edit_pixels.h"
#include "snap/engine/snapshot_dib_win.h"
#include "snap/engine/snapshot_edit_win.h"
#include "snap/shell/editor_view.h"

enum EditTool { TOOL_RECTANGLE, TOOL_ARROW, TOOL_TEXT, TOOL_HIGHLIGHT, TOOL_PIXELATE, TOOL_CROP, TOOL_COUNT };

enum {
    EDITOR_TEXT_LIMIT = 256,       // characters of one text mark, terminator included
    EDITOR_DEFAULT_WIDTH = 3,      // pixels
    EDITOR_TOOLBAR_HEIGHT = 30,    // pixels above the canvas
    WM_EDITOR_ADD_TIPS = WM_USER + 230,
    EDITOR_PREPARE_TIMER = 30,     // at the main window: the next editor built ahead
    EDITOR_PREPARE_DELAY = 500     // ms after one closes, once its snapshot is on its way
};

struct EditorState {
    HWND frame;
    HWND canvas;
    HWND tooltip;
    HWND widthBox;
    SnapshotDib *dib;
    EditPicture picture;  // the picture as captured in size; marks go straight into it
    EditRect crop;        // the part of it that is the picture now
    EditHistory history;
    EditView view;
    bool fit;             // zoomed to fit the canvas, else 1:1
    int tool;
    EditColour colour;
    int width;
    HPALETTE palette;     // an 8-bit picture's colours, on a palette display

    bool dragging;
    bool markShown;       // the last step is the mark being dragged
    int32_t pressX, pressY, lastX, lastY;  // picture pixels
    EditRect band;        // the crop being dragged, in picture pixels

    bool typing;
    int32_t textX, textY;
    char text[EDITOR_TEXT_LIMIT];
    EditRect textRect;    // where the text mark lies, also while empty

    bool shown;           // created, shown and painted
    bool done;
    EditOutcome outcome;
};

extern EditorState g_edit;

// editor_toolbar_win.cpp
bool CreateEditorToolbar(HWND frame);
void AddEditorTooltips(HWND frame);          // a window of its own: made once the picture shows
void LayoutEditorToolbar(HWND frame, int width);
void ShowEditorTool();                       // the pressed tool button follows g_edit.tool
void DrawColourButton(const DRAWITEMSTRUCT *item);
bool OnToolbarCommand(HWND frame, int id, int notification);  // true when it was the toolbar's

// editor_canvas_win.cpp
HWND CreateEditorCanvas(HWND frame, HINSTANCE instance);
void ResetEditorView();                      // after the picture's size or the zoom changed
void InvalidatePictureRect(const EditRect &r);  // picture pixels of the full picture
// Only r's frame, edge picture pixels wide and at least one canvas pixel:
// the inside of a large outline or crop band does not change.
void InvalidatePictureFrame(const EditRect &r, int32_t edge);

// editor_marks_win.cpp
void BeginDrag(int32_t x, int32_t y);
void MoveDrag(int32_t x, int32_t y);
void EndDrag(int32_t x, int32_t y, bool keep);
void StartText(int32_t x, int32_t y);
void TypeChar(char c);
void EndText();
void CancelTextFont();

// editor_win.cpp
void EditorCommand(int id);                  // undo, redo, fit, send, close
