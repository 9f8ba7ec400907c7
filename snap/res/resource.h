// Control ids of the snapshot program's dialog templates. Ids repeat between
// templates (1009 is Exit in the sign-on box and "Active Window" in Setup), so
// each name carries its dialog.
#pragma once

#define IDC_STATIC_ANON          65535

// SIGNONMESSAGE
#define IDC_SIGNON_DESTINATION   1000
#define IDC_SIGNON_SETUP         1007
#define IDC_SIGNON_EXIT          1009
#define IDC_SIGNON_HELP          1010
#define IDC_SIGNON_PRESS_LABEL   1017
#define IDC_SIGNON_HOTKEY        1018
#define IDC_SIGNON_KIND_KEYS     1107

// SETUP
#define IDC_SETUP_DIRECTORY      1001
#define IDC_SETUP_24BIT          1002
#define IDC_SETUP_8BIT           1003
#define IDC_SETUP_SAVE           1004
#define IDC_SETUP_FULLSCREEN     1008
#define IDC_SETUP_ACTIVEWINDOW   1009
#define IDC_SETUP_SELECTABLE     1010
#define IDC_SETUP_TOFILE         1011
#define IDC_SETUP_TOPRINTER      1012
#define IDC_SETUP_SOUND          1013
#define IDC_SETUP_PAGESETUP      1014
#define IDC_SETUP_TOCLIPBOARD    1015
#define IDC_SETUP_HOTKEY         1016
#define IDC_SETUP_KEYS           1100

// KEYS (the hot key controls in the order of the kinds they take)
#define IDC_KEYS_FULLSCREEN      1101
#define IDC_KEYS_ACTIVEWINDOW    1102
#define IDC_KEYS_AREA            1103
#define IDC_KEYS_LASTAREA        1104
#define IDC_KEYS_DELAY           1105
#define IDC_KEYS_POINTER         1106
#define IDC_SETUP_PICKSCREEN     1200
#define IDC_SETUP_EDIT           1300

// MARGINS (the edits stand in rows Left, Top, Right, Bottom)
#define IDC_MARGIN_LEFT          1015
#define IDC_MARGIN_TOP           1016
#define IDC_MARGIN_RIGHT         1018
#define IDC_MARGIN_BOTTOM        1017

// PRINTING
#define IDC_PRINTING_ABORT       1

// The "Edit Snapshot" window's controls (not a template: made in code)
#define IDC_EDITOR_TOOL_FIRST    1310  // one a tool, in EditTool order
#define IDC_EDITOR_PRESET_FIRST  1320  // one a preset colour
#define IDC_EDITOR_CHOOSE_COLOUR 1328
#define IDC_EDITOR_WIDTH         1329
#define IDC_EDITOR_FIT           1330
#define IDC_EDITOR_UNDO          1331
#define IDC_EDITOR_REDO          1332
#define IDC_EDITOR_SEND          1333
#define IDC_EDITOR_CLOSE         1334
#define IDC_EDITOR_CANVAS        1335
