// Resource ids of the program, grouped by kind. The numbers are fixed: the
// resource script, the window procedures and the tests share them.
#pragma once

// Dialog templates
#define IDD_MAIN 200
#define IDD_ABOUT 201
#define IDD_FILESEL 202
#define IDD_EDITOR 203
#define IDD_FORMAT 204
#define IDD_GRID 205
#define IDD_TILEORDER 300
#define IDD_PREVIEW 301

// Controls
#define IDC_TOOLBAR 1
#define IDC_STATUSBAR 2
#define IDC_ABOUT_VERSION 1200
#define IDC_TEXT 1201
#define IDC_ABOUT_PICTURE 1202
#define IDC_ABOUT_TEXT 1203
#define IDC_FONT_COLOURS 1139
#define IDC_FILESEL_LIST 1000
#define IDC_RESULT 1002
#define IDC_FILESEL_STATUS 1003
#define IDC_EDITOR_PATH 1121
#define IDC_EDITOR_PRESET 1400
// The tile reorder dialog
#define IDC_TOOL_LEGEND 1202
#define IDC_TOOL_METHOD 1205
#define IDC_TOOL_INPUT 1122 // the input graphic file
#define IDC_TOOL_OUTPUT 1123
#define IDC_TOOL_PATTERN 1125
#define IDC_TOOL_INPUT_SPIN 1600
#define IDC_TOOL_OUTPUT_SPIN 1601
#define IDC_TOOL_INPUT_COUNT 1700
#define IDC_TOOL_OUTPUT_COUNT 1701
#define IDC_TOOL_FORMAT 1705
#define IDC_TOOL_OFFSET 1706 // where the graphic's tiles start, in bytes
#define IDC_TOOL_PREVIEW 1004
// The tile preview
#define IDC_PREVIEW_OUTPUT 1310 // the map's cells
#define IDC_PREVIEW_INPUT 1311  // the graphic's tiles
#define IDC_PREVIEW_ZOOM 1312
#define IDC_PREVIEW_PALETTE 1313
#define IDC_PREVIEW_STATUS 1315
#define IDC_PREVIEW_WARNINGS 1316
#define IDC_PREVIEW_PATTERN 1317 // the pattern's name, for the outside editor (hidden)
#define IDC_PREVIEW_APPLY 1318
// The two popups: columns or width, rows or height, the colour format
#define IDC_POPUP_ACROSS_SPIN 1602
#define IDC_POPUP_DOWN_SPIN 1603
#define IDC_POPUP_ACROSS 1702
#define IDC_POPUP_DOWN 1703
#define IDC_POPUP_COLOURS 1704

// Commands
#define IDM_RUN_BUTTON 38002
#define IDM_EXIT 40001
#define IDM_ABOUT 40002
#define IDM_TOOLBAR 40003
#define IDM_STATUSBAR 40004
#define IDM_FONT 40100
#define IDM_EDITOR 40101
#define IDM_TILEORDER 40200
#define IDM_EDITOR_BROWSE 1101 // sent by the browse button of the editor path field
// Sent by the tile reorder dialog's browse buttons, and its editor button
#define IDM_TOOL_OPEN_OUTPUT 1001
#define IDM_TOOL_BROWSE_INPUT 1102
#define IDM_TOOL_BROWSE_OUTPUT 1103
#define IDM_TOOL_BROWSE_PATTERN 1105
#define IDM_TOOL_INPUT_GRID 1800
#define IDM_TOOL_OUTPUT_GRID 1801
#define IDM_TOOL_FORMAT 1803
#define IDM_PREVIEW_BROWSE_PALETTE 1314

// Menus, accelerators, icon
#define IDR_ACCEL 100
#define IDR_MAINMENU 111
#define IDR_TOOLMENU 112
#define IDI_APP 20

// Bitmaps
#define IDB_TILES 120
#define IDB_TOOLBAR 122
#define IDB_COMBOBOX 124
#define IDB_EXTENSION 125

// Strings: menu help and tooltips carry the id of the command or popup they
// describe (60 + popup position for the popups of the menu bar).
#define IDS_HELP_FILE 60
#define IDS_HELP_RUN 61
#define IDS_HELP_VIEW 62
#define IDS_HELP_OPTIONS 63
#define IDS_HELP_HELP 64
// The "run" popup's own popups: 65 + their position in it.
#define IDS_HELP_RUN_ITEMS 65
// Strings the program shows elsewhere.
#define IDS_READY 1000
#define IDS_RUN_LABEL 1001
#define IDS_AUTHOR_LABEL 1002
#define IDS_OTHER_COLOUR 1003
#define IDS_TEXT_FONT_FACE 1004
#define IDS_COMCTL_TITLE 1010
#define IDS_COMCTL_TEXT 1011
#define IDS_WARNING_TITLE 1012
#define IDS_CREATE_FAILED 1013
#define IDS_OPENING_TEXT 1020
#define IDS_OPENING_MORE 1021
#define IDS_ABOUT_TEXT 1030
#define IDS_FILESEL_NAME 1040
#define IDS_FILESEL_PATH 1041
#define IDS_FILESEL_SIZE 1042
#define IDS_FILESEL_TOTAL 1043
#define IDS_FILESEL_CHOSEN 1044
#define IDS_FILESEL_NONE 1045
#define IDS_FILESEL_RANGE 1046
#define IDS_CONFIRM_TITLE 1050
#define IDS_PRESET_CUSTOM 1051
#define IDS_PRESET_NOTEPAD 1052
#define IDS_PRESET_EMEDITOR 1053
#define IDS_EDITOR_OPEN_ASK 1054
#define IDS_EDITOR_OPEN_TITLE 1055
#define IDS_EDITOR_MISSING_ASK 1056
#define IDS_EDITOR_MISSING_TITLE 1057
#define IDS_EDITOR_NO_FILE 1058
#define IDS_EDITOR_FILTER 1059
#define IDS_EDITOR_CHANGE_ASK 1060
#define IDS_EDITOR_BAD_FILE 1061
#define IDS_EDITOR_BAD_EXT 1062
#define IDS_EDITOR_APPLY_ASK 1063
#define IDS_EDITOR_DONE 1064
#define IDS_TOOL_FORMAT_TEXT 1070
#define IDS_TOOL_START_PATTERN 1071
#define IDS_TOOL_START_OUTPUT 1072
#define IDS_TOOL_START_INPUT 1073
#define IDS_TOOL_BAD_LOCATION 1074
#define IDS_TOOL_PATTERN_FILTER 1075
#define IDS_TOOL_MAP_FILTER 1076
#define IDS_TOOL_GRAPHIC_FILTER 1077
#define IDS_TOOL_ALL_FILES 1078
#define IDS_TOOL_BAD_PATTERN 1079
#define IDS_TOOL_BAD_OUTPUT 1080
#define IDS_TOOL_PROCESS_ASK 1081
#define IDS_TOOL_PROCESS_TITLE 1082
#define IDS_TOOL_PROCESSED 1083
#define IDS_TOOL_NOT_PROCESSED 1084
#define IDS_METHOD_IMPORT 1085 // the method rows, in box order
#define IDS_METHOD_UNDO 1086
#define IDS_FORMAT_ROW0 1088 // the eight tile format rows, in box order
// Why a job or an application failed: the second line of the result.
#define IDS_REASON_PATTERN 1100
#define IDS_REASON_EMPTY 1101
#define IDS_REASON_FOLDER 1102
#define IDS_REASON_READONLY 1103
#define IDS_REASON_BUSY 1104
#define IDS_REASON_OUTPUT 1105
#define IDS_REASON_SAME 1106
#define IDS_REASON_FULL 1107
#define IDS_REASON_WRITE 1108
#define IDS_REASON_NOMEM 1109
#define IDS_REASON_COUNTS 1110
#define IDS_REASON_NAME 1111
#define IDS_REASON_KEPT 1112
#define IDS_REASON_GRAPHIC 1113
#define IDS_REASON_OFFSET 1114
#define IDS_REASON_TILE 1115
#define IDS_REASON_INTOSHORT 1116
// The tile preview
#define IDS_PREVIEW_ZOOM_ROW 1120
#define IDS_PREVIEW_PALETTE_FILTER 1121
#define IDS_PREVIEW_PALETTE_BAD 1122
#define IDS_PREVIEW_SUMMARY 1123
#define IDS_PREVIEW_SLOT 1124
#define IDS_PREVIEW_SLOT_LOOP 1125
#define IDS_PREVIEW_SLOT_NONE 1126
#define IDS_PREVIEW_TILE 1127
#define IDS_PREVIEW_WORDS 1128
#define IDS_PREVIEW_NO_WARNINGS 1129
#define IDS_PREVIEW_MORE 1130
#define IDS_PREVIEW_SAVE_TITLE 1131
#define IDS_PREVIEW_INTO_ASK 1132
#define IDS_PREVIEW_INTO_TITLE 1133
#define IDS_PREVIEW_APPLIED 1134
#define IDS_PREVIEW_NOT_APPLIED 1135
// The pattern's warnings, one per kind of the check, in kind order
#define IDS_CHECK_RANGE 1140
#define IDS_CHECK_RANGE_SKIP 1141
#define IDS_CHECK_RANGES 1142
#define IDS_CHECK_RANGES_SKIP 1143
#define IDS_CHECK_BYTE 1144
#define IDS_CHECK_BYTES 1145
#define IDS_CHECK_ITEM 1146
#define IDS_CHECK_NOPAREN 1147
#define IDS_CHECK_WORD 1148
#define IDS_CHECK_ARGS 1149
#define IDS_CHECK_SETTING 1150
#define IDS_CHECK_OPENBRACE 1151
#define IDS_CHECK_CLOSEBRACE 1152
#define IDS_CHECK_OPENLOOP 1153
#define IDS_CHECK_UNREACHED 1154
