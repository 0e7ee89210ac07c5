// The tile reorder dialog. Typed counts and the method reach the job only
// when a job is started; a confirmed popup changes the job at once. The job
// itself runs through the engine, which writes the map file in one step and
// leaves an existing one alone on failure, so the dialog never writes a
// file itself.
#include "tool/tooldlg.h"
#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <cstring>
#include "dialogs/dlgutil.h"
#include "dialogs/editor.h"
#include "dialogs/filesel.h"
#include "engine/tilemap.h"
#include "resources/resource.h"
#include "shell/appstate.h"
#include "textlib/conv.h"
#include "tool/browseedit.h"
#include "tool/popups.h"
#include "tool/previewdlg.h"
#include "tool/reasons.h"

namespace {

constexpr int COUNT_TEXT_LIMIT = 9; // "2,073,600"
constexpr int OFFSET_TEXT_LIMIT = 10;
constexpr int32_t COUNT_DEFAULT = 256;
constexpr int UTF8_NAME_SIZE = 520;
constexpr PopupLimits GRID_LIMITS = {1, 1, 1920, 1080};
constexpr PopupLimits FORMAT_LIMITS = {1, 1, 64, 64};

struct MethodEntry {
    int textId;
    const char* iconKey;
    int32_t method;
};
const MethodEntry methods[] = {
    {IDS_METHOD_IMPORT, "EFFECT_MAP_IMPORT", EFFECT_MAP_IMPORT},
    {IDS_METHOD_UNDO, "EFFECT_MAP_UNDO", EFFECT_MAP_UNDO},
};
constexpr int METHOD_ROWS = sizeof(methods) / sizeof(methods[0]);

ToolSettings settings;
bool settingsLoaded = false;

void ShowFormat(HWND dialog) {
    const TileFormat& f = TileMap_Job()->format;
    Dlg_ShowText(dialog, IDC_TOOL_FORMAT, IDS_TOOL_FORMAT_TEXT, unsigned(f.width),
                 unsigned(f.height), unsigned(f.bitsPerPixel));
}

void SetUpCount(HWND dialog, int field, int spin, int32_t count) {
    SendDlgItemMessageA(dialog, field, EM_LIMITTEXT, COUNT_TEXT_LIMIT, 0);
    SetDlgItemTextA(dialog, field, Num_Format(count, 10));
    SendDlgItemMessageA(dialog, spin, UDM_SETRANGE32, 1, TILEMAP_MAX_COUNT);
}

int32_t ReadCount(HWND dialog, int field) {
    return Field_ReadNumber(dialog, field, 1, TILEMAP_MAX_COUNT, COUNT_DEFAULT, 10);
}

void SetUpName(HWND dialog, int field, const char* name, int command) {
    HWND edit = GetDlgItem(dialog, field);
    SendMessageA(edit, EM_LIMITTEXT, DLG_PATH_SIZE - 1, 0);
    SetWindowTextA(edit, name);
    BrowseEdit_Attach(edit, command, BROWSE_BUTTON_WIDTH);
}

void FillMethods(HWND dialog) {
    HWND box = GetDlgItem(dialog, IDC_TOOL_METHOD);
    for (int i = 0; i < METHOD_ROWS; ++i) {
        Combo_AddRow(box, methods[i].textId, methods[i].iconKey);
        if (methods[i].method == TileMap_Job()->method) settings.methodRow = i;
    }
    Combo_AttachIcons(box, 1);
    SendMessageA(box, CB_SETCURSEL, settings.methodRow, 0);
}

BOOL Tool_OnInit(HWND dialog) {
    TileMapJob* job = TileMap_Job();
    ToolSettings* s = Tool_Settings();
    ShowFormat(dialog);
    SetUpCount(dialog, IDC_TOOL_INPUT_COUNT, IDC_TOOL_INPUT_SPIN, job->inputCount);
    SetUpCount(dialog, IDC_TOOL_OUTPUT_COUNT, IDC_TOOL_OUTPUT_SPIN, job->outputCount);
    BrowseEdit_Attach(GetDlgItem(dialog, IDC_TOOL_INPUT_COUNT), IDM_TOOL_INPUT_GRID,
                      BROWSE_BUTTON_WIDTH);
    BrowseEdit_Attach(GetDlgItem(dialog, IDC_TOOL_OUTPUT_COUNT), IDM_TOOL_OUTPUT_GRID,
                      BROWSE_BUTTON_WIDTH);
    BrowseEdit_Attach(GetDlgItem(dialog, IDC_TOOL_FORMAT), IDM_TOOL_FORMAT, BROWSE_BUTTON_WIDTH);
    SetUpName(dialog, IDC_TOOL_OUTPUT, s->outputName, IDM_TOOL_BROWSE_OUTPUT);
    SetUpName(dialog, IDC_TOOL_PATTERN, s->patternName, IDM_TOOL_BROWSE_PATTERN);
    SetUpName(dialog, IDC_TOOL_INPUT, s->inputName, IDM_TOOL_BROWSE_INPUT);
    SendDlgItemMessageA(dialog, IDC_TOOL_OFFSET, EM_LIMITTEXT, OFFSET_TEXT_LIMIT, 0);
    SetDlgItemTextA(dialog, IDC_TOOL_OFFSET, Num_Format(s->offset, 10));
    FillMethods(dialog);
    DragAcceptFiles(dialog, TRUE);
    HANDLE legend = App_LegendBitmap();
    SendDlgItemMessageA(dialog, IDC_TOOL_LEGEND, STM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(legend));
    Wnd_CenterOverOwner(dialog);
    return TRUE;
}

// A confirmed grid becomes the field's count at once; the focus goes back
// to the field either way.
void Tool_OnGrid(HWND dialog, int field, int32_t* columns, int32_t* rows, int32_t* count) {
    if (GridPopup_Show(dialog, field, GRID_LIMITS, columns, rows)) {
        *count = *columns * *rows;
        SetDlgItemTextA(dialog, field, Num_Format(*count, 10));
    }
    SetFocus(GetDlgItem(dialog, field));
}

void Tool_OnFormat(HWND dialog) {
    if (FormatPopup_Show(dialog, IDC_TOOL_FORMAT, FORMAT_LIMITS, &TileMap_Job()->format))
        ShowFormat(dialog);
    SetFocus(GetDlgItem(dialog, IDC_TOOL_FORMAT));
}

// A name field's text without blanks around it.
void ReadName(HWND dialog, int field, char* name) {
    GetDlgItemTextA(dialog, field, name, DLG_PATH_SIZE);
    PathRemoveBlanksA(name);
}

// The chooser of a file name field. An open chooser first tells when the
// field names no file, and starts empty then; it clears the result line at
// the end. A save chooser starts from the field's name as it is.
void Tool_OnBrowse(HWND dialog, int field, FileChooser chooser, int labelId, const char* pattern,
                   const char* defaultExt) {
    const bool opening = chooser == GetOpenFileNameA;
    char name[DLG_PATH_SIZE];
    ReadName(dialog, field, name);
    if (opening && !PathFileExistsA(name)) {
        Dlg_ShowText(dialog, IDC_RESULT, IDS_TOOL_BAD_LOCATION);
        name[0] = '\0';
    }
    char filter[4 * LABEL_SIZE];
    Dlg_MakeFilter(filter, sizeof(filter), labelId, pattern, IDS_TOOL_ALL_FILES);
    if (FileDlg_Run(dialog, chooser, filter, defaultExt, name, sizeof(name))) {
        Path_MakeStartRelative(name, sizeof(name));
        SetDlgItemTextA(dialog, field, name);
        SetFocus(dialog);
    }
    if (opening) SetDlgItemTextA(dialog, IDC_RESULT, "");
}

// Copies the UTF-8 form of an ANSI name; false when it cannot be converted.
bool ToUtf8(const char* name, char* utf8) {
    const char* converted = Conv_AnsiToUtf8(name);
    lstrcpynA(utf8, converted ? converted : "", UTF8_NAME_SIZE);
    return converted != nullptr;
}

int32_t ReadOffset(HWND dialog) {
    return Field_ReadNumber(dialog, IDC_TOOL_OFFSET, 0, INT32_MAX, 0, 10);
}

// The row of the method box, or the one last chosen when none is.
int MethodRow(HWND dialog) {
    int row = static_cast<int>(SendDlgItemMessageA(dialog, IDC_TOOL_METHOD, CB_GETCURSEL, 0, 0));
    return row >= 0 && row < METHOD_ROWS ? row : Tool_Settings()->methodRow;
}

// The failure's second line: why, the name concerned shortened to fit, and
// whether an output that was there is left as it was.
void ShowFailure(HWND dialog, Reason reason, bool kept) {
    char why[DLG_PATH_SIZE];
    Reason_Format(reason, kept, GetDlgItem(dialog, IDC_RESULT), why, sizeof(why));
    Dlg_ShowText(dialog, IDC_RESULT, IDS_TOOL_NOT_PROCESSED, why);
}

// "Preview": the pattern run with the counts and method as the fields show
// them, the job itself unchanged.
void Tool_OnPreview(HWND dialog) {
    ToolSettings* s = Tool_Settings();
    PreviewRequest request = {};
    SetDlgItemTextA(dialog, IDC_RESULT, "");
    ReadName(dialog, IDC_TOOL_PATTERN, request.patternName);
    ReadName(dialog, IDC_TOOL_INPUT, request.graphicName);
    if (!PathFileExistsA(request.patternName)) {
        Dlg_ShowText(dialog, IDC_RESULT, IDS_TOOL_BAD_PATTERN, request.patternName, "");
        return;
    }
    request.paletteName = s->paletteName;
    request.offset = static_cast<uint32_t>(ReadOffset(dialog));
    request.job = *TileMap_Job();
    request.job.inputCount = ReadCount(dialog, IDC_TOOL_INPUT_COUNT);
    request.job.outputCount = ReadCount(dialog, IDC_TOOL_OUTPUT_COUNT);
    request.job.method = methods[MethodRow(dialog)].method;
    PreviewDlg_Show(dialog, &request);
}

// "Make": reads the names, checks the pattern before the output name, asks,
// moves the counts and the method into the job and runs it.
void Tool_OnMake(HWND dialog) {
    const char detail[DLG_PATH_SIZE] = ""; // the checks' second line stays empty
    ToolSettings* s = Tool_Settings();
    SetDlgItemTextA(dialog, IDC_RESULT, "");
    ReadName(dialog, IDC_TOOL_OUTPUT, s->outputName);
    ReadName(dialog, IDC_TOOL_PATTERN, s->patternName);
    ReadName(dialog, IDC_TOOL_INPUT, s->inputName);
    s->offset = ReadOffset(dialog);
    if (!PathFileExistsA(s->patternName)) {
        Dlg_ShowText(dialog, IDC_RESULT, IDS_TOOL_BAD_PATTERN, s->patternName, detail);
        return;
    }
    if (s->outputName[0] == '\0') {
        Dlg_ShowText(dialog, IDC_RESULT, IDS_TOOL_BAD_OUTPUT, s->outputName, detail);
        return;
    }
    if (Dlg_Ask(dialog, IDS_TOOL_PROCESS_ASK, IDS_TOOL_PROCESS_TITLE) != IDYES) return;
    s->methodRow = MethodRow(dialog);
    TileMapJob* job = TileMap_Job();
    job->firstSetting = 0;
    job->secondSetting = 1;
    job->inputCount = ReadCount(dialog, IDC_TOOL_INPUT_COUNT);
    job->outputCount = ReadCount(dialog, IDC_TOOL_OUTPUT_COUNT);
    job->method = methods[s->methodRow].method;
    char input[UTF8_NAME_SIZE], pattern[UTF8_NAME_SIZE], output[UTF8_NAME_SIZE];
    ToUtf8(s->inputName, input); // handed along, not read
    const char* unconverted = !ToUtf8(s->patternName, pattern) ? s->patternName
                              : !ToUtf8(s->outputName, output) ? s->outputName
                                                               : nullptr;
    if (unconverted) return ShowFailure(dialog, Reason{IDS_REASON_NAME, unconverted, 0, 0}, false);
    // A failed job leaves an existing output file as it was.
    const bool existed = PathFileExistsA(s->outputName) && !PathIsDirectoryA(s->outputName);
    TileMapReport report;
    int32_t taken = TileMap_RunEx(input, output, pattern, job, &report);
    if (taken)
        Dlg_ShowText(dialog, IDC_RESULT, IDS_TOOL_PROCESSED, Num_Format(taken, 10), detail);
    else
        ShowFailure(dialog, Reason_OfJob(&report, s->patternName, s->outputName), existed);
}

BOOL Tool_OnCommand(HWND dialog, int id, int code) {
    TileMapJob* job = TileMap_Job();
    switch (id) {
    case IDOK: Tool_OnMake(dialog); return TRUE;
    case IDCANCEL: EndDialog(dialog, 0); return TRUE;
    case IDC_TOOL_INPUT_COUNT:
    case IDC_TOOL_OUTPUT_COUNT:
        Field_NormalizeNumber(dialog, id, 1, TILEMAP_MAX_COUNT, COUNT_DEFAULT, 10, code);
        return TRUE;
    case IDC_TOOL_OFFSET: Field_NormalizeNumber(dialog, id, 0, INT32_MAX, 0, 10, code); return TRUE;
    case IDC_TOOL_PREVIEW: Tool_OnPreview(dialog); return TRUE;
    case IDM_TOOL_INPUT_GRID:
        Tool_OnGrid(dialog, IDC_TOOL_INPUT_COUNT, &job->inputColumns, &job->inputRows,
                    &job->inputCount);
        return TRUE;
    case IDM_TOOL_OUTPUT_GRID:
        Tool_OnGrid(dialog, IDC_TOOL_OUTPUT_COUNT, &job->outputColumns, &job->outputRows,
                    &job->outputCount);
        return TRUE;
    case IDM_TOOL_FORMAT: Tool_OnFormat(dialog); return TRUE;
    case IDM_TOOL_BROWSE_PATTERN:
        Tool_OnBrowse(dialog, IDC_TOOL_PATTERN, GetOpenFileNameA, IDS_TOOL_PATTERN_FILTER,
                      "*.map;*.txt", "map");
        return TRUE;
    case IDM_TOOL_BROWSE_OUTPUT:
        Tool_OnBrowse(dialog, IDC_TOOL_OUTPUT, GetSaveFileNameA, IDS_TOOL_MAP_FILTER, "*.bbl;*.txt",
                      "bbl");
        return TRUE;
    case IDM_TOOL_BROWSE_INPUT:
        Tool_OnBrowse(dialog, IDC_TOOL_INPUT, GetOpenFileNameA, IDS_TOOL_GRAPHIC_FILTER,
                      "*.bin;*.dat", "bin");
        return TRUE;
    case IDM_TOOL_OPEN_OUTPUT: Editor_OpenFile(dialog, IDC_TOOL_OUTPUT, IDC_RESULT); return TRUE;
    default: return FALSE;
    }
}

// The input file field (when there is one) is checked before the pattern
// field; a drop anywhere else is let go.
BOOL Tool_OnDropFiles(HWND dialog, HDROP drop) {
    int field = Ctl_UnderCursor(dialog, 2, IDC_TOOL_INPUT, IDC_TOOL_PATTERN);
    if (field)
        FileSel_Show(dialog, field, drop);
    else
        DragFinish(drop);
    return TRUE;
}

} // namespace

ToolSettings* Tool_Settings() {
    if (!settingsLoaded) Tool_ResetSettings();
    return &settings;
}

void Tool_ResetSettings() {
    Dlg_LoadText(IDS_TOOL_START_PATTERN, settings.patternName, sizeof(settings.patternName));
    Dlg_LoadText(IDS_TOOL_START_OUTPUT, settings.outputName, sizeof(settings.outputName));
    Dlg_LoadText(IDS_TOOL_START_INPUT, settings.inputName, sizeof(settings.inputName));
    settings.methodRow = 0;
    settings.offset = 0;
    settings.paletteName[0] = '\0';
    settingsLoaded = true;
    *TileMap_Job() = TileMap_StartValues();
    FormatPopup_SetRememberedRow(0);
}

INT_PTR CALLBACK ToolDlg_Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: return Tool_OnInit(dialog);
    case WM_COMMAND: return Tool_OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_DROPFILES: return Tool_OnDropFiles(dialog, reinterpret_cast<HDROP>(wParam));
    case WM_DESTROY: DragAcceptFiles(dialog, FALSE); return FALSE;
    default: return FALSE;
    }
}
