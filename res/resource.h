// Resource ids of ORBEN.EXE: menu commands, toolbar bitmaps, dialogs. Each id keeps its fixed number, because the
// toolbar, the add-ins and stored habits refer to them.
#pragma once

// Menu "ﾌｧｲﾙ(&F)"
#define IDM_FILE_OPEN               4000
#define IDM_FILE_SAVE               4001
#define IDM_FILE_SAVE_COMPRESSED    4005
#define IDM_FILE_SAVE_DISPLAY       4012
#define IDM_FILE_SAVE_INTERNAL      4011
#define IDM_FILE_PRINT              4022

// Menu "編集(&E)"
#define IDM_EDIT_UNDO               40010
#define IDM_EDIT_COPY               4007
#define IDM_EDIT_PASTE              4008
#define IDM_EDIT_ERASE              4010
#define IDM_EDIT_SELECT_ALL         4018
#define IDM_EDIT_SELECT_NONE        4019
#define IDM_EDIT_PASTE_DISPLAY      4021
#define IDM_EDIT_COPY_DISPLAY       4026
#define IDM_EDIT_COPY_INTERNAL      4025

// Menu "表示(&V)"
#define IDM_VIEW_FULL_SIZE          4015
#define IDM_VIEW_AUTO_REDUCE        4009
#define IDM_VIEW_STIPPLE            4020
#define IDM_VIEW_HIDE_STATUS        3999
#define IDM_VIEW_HIDE_FLOAT_INFO    40009

// Menu "加工(&D)"
#define IDM_EDIT_RESIZE             4002
#define IDM_LEVEL_AUTO_HIGHLIGHT    40004
#define IDM_LEVEL_AUTO_SHADOW       40005
#define IDM_LEVEL_HIGHLIGHT         40006
#define IDM_LEVEL_SHADOW            40007
#define IDM_ROTATE_RIGHT            4013
#define IDM_ROTATE_LEFT             4014
#define IDM_ROTATE_FAST             4027
#define IDM_ADJUST_SHEET            40011

// Menu "ﾂｰﾙ(&T)" and the toolbar's tool group
#define IDM_TOOL_RECTANGLE          4030
#define IDM_TOOL_AXIS               4031
#define IDM_TOOL_FREEHAND           4032
#define IDM_TOOL_POLYGON            4033
#define IDM_TOOL_MAGIC_ROD          4034
#define IDM_TOOL_COLOUR_PICK        4035

// Commands without a menu item: the view's caret
#define IDM_CARET_SHOW              4028
#define IDM_CARET_HIDE              4029

// The level popups of the adjustment pages, and what they post to the page
#define IDM_POPUP_HIGHLIGHT         1114
#define IDM_POPUP_SHADOW            1115
#define IDM_POPUP_AVERAGE           1116
#define IDM_PAGE_HIGHLIGHT          1014
#define IDM_PAGE_SHADOW             1015
#define IDM_PAGE_AVERAGE            1016

// Toolbar bitmaps: normal, checked and grayed faces, 24 x 22 at 4 bits
#define IDB_RECTANGLE               300
#define IDB_RECTANGLE_CHECKED       301
#define IDB_RECTANGLE_GRAYED        302
#define IDB_AXIS                    303
#define IDB_AXIS_CHECKED            304
#define IDB_AXIS_GRAYED             305
#define IDB_COLOUR_PICK             306
#define IDB_COLOUR_PICK_CHECKED     307
#define IDB_COLOUR_PICK_GRAYED      308
#define IDB_POLYGON                 309
#define IDB_POLYGON_CHECKED         310
#define IDB_POLYGON_GRAYED          311
#define IDB_MAGIC_ROD               312
#define IDB_MAGIC_ROD_CHECKED       313
#define IDB_MAGIC_ROD_GRAYED        314
#define IDB_OPEN                    315
#define IDB_OPEN_CHECKED            316
#define IDB_OPEN_GRAYED             317
#define IDB_SAVE                    318
#define IDB_SAVE_CHECKED            319
#define IDB_SAVE_GRAYED             320
#define IDB_COPY                    321
#define IDB_COPY_CHECKED            322
#define IDB_COPY_GRAYED             323
#define IDB_PASTE                   324
#define IDB_PASTE_CHECKED           325
#define IDB_PASTE_GRAYED            326
#define IDB_PRINT                   327
#define IDB_PRINT_CHECKED           328
#define IDB_PRINT_GRAYED            329

// Dialog templates referred to by number
#define IDD_RESIZE                  100
#define IDD_PRINT                   500
#define IDD_STIPPLE                 700
#define IDD_CONFIRM_EACH            108

// Dialog 500 "印刷": the millimetre values of the print rectangle
#define IDC_PRINT_WIDTH             501
#define IDC_PRINT_HEIGHT            502
#define IDC_PRINT_LEFT              504
#define IDC_PRINT_TOP               505

// LETTRA.DLL, the text add-in: its menu "IDR_MENU" and dialog "テキスト貼付け"
#define IDM_TEXT_FONT               5021
#define IDM_TEXT_PASTE              5022
#define IDD_TEXT_PASTE              105
#define IDC_TEXT_EDIT               1002
