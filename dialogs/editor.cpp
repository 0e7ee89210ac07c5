// The outside editor. The preset box remembers the row it showed last (the
// preset index) from one opening of the dialog to the next, so that a path
// matching no preset shows the preset the user last had. The editor path
// changes only on a confirmed Apply.
#include "dialogs/editor.h"
#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <cstdio>
#include <cstring>
#include "dialogs/dlgutil.h"
#include "dialogs/filesel.h"
#include "resources/resource.h"
#include "shell/appstate.h"
#include "tool/browseedit.h"

namespace {

constexpr int PARAMETER_SIZE = 2 * DLG_PATH_SIZE;

struct EditorPreset {
    int labelId;
    const char* iconKey;
    const char* path; // null: the user names the program
};

constexpr int PRESET_CUSTOM = 0;
const EditorPreset presets[] = {
    {IDS_PRESET_CUSTOM, "explorer.exe", nullptr},
    {IDS_PRESET_NOTEPAD, "NOTEPAD.EXE", "C:\\WINDOWS\\NOTEPAD.EXE"},
    {IDS_PRESET_EMEDITOR, "EmEditor.exe", "C:\\Program Files\\EmEditor\\EmEditor.exe"},
};
constexpr int PRESET_COUNT = sizeof(presets) / sizeof(presets[0]);

int presetIndex = PRESET_CUSTOM;

// The first preset whose program path is path, ignoring case, becomes the
// preset index; with none it keeps its value.
void MatchPreset(const char* path) {
    for (int i = 0; i < PRESET_COUNT; ++i) {
        if (presets[i].path && _stricmp(path, presets[i].path) == 0) {
            presetIndex = i;
            return;
        }
    }
}

void ShowPresetIndex(HWND dialog) {
    SendDlgItemMessageA(dialog, IDC_EDITOR_PRESET, CB_SETCURSEL, presetIndex, 0);
}

// The path field's text without blanks around it.
void ReadPathField(HWND dialog, char* path) {
    GetDlgItemTextA(dialog, IDC_EDITOR_PATH, path, DLG_PATH_SIZE);
    PathRemoveBlanksA(path);
}

void FillPresets(HWND dialog) {
    HWND box = GetDlgItem(dialog, IDC_EDITOR_PRESET);
    for (const EditorPreset& preset : presets)
        Combo_AddRow(box, preset.labelId, preset.iconKey);
    Combo_AttachIcons(box, 1);
}

BOOL Editor_OnInit(HWND dialog) {
    HWND field = GetDlgItem(dialog, IDC_EDITOR_PATH);
    SendMessageA(field, EM_LIMITTEXT, DLG_PATH_SIZE - 1, 0);
    SetWindowTextA(field, Editor_GetPath());
    BrowseEdit_Attach(field, IDM_EDITOR_BROWSE, BROWSE_BUTTON_WIDTH);
    FillPresets(dialog);
    char path[DLG_PATH_SIZE] = "";
    GetWindowTextA(field, path, sizeof(path)); // untrimmed
    MatchPreset(path);
    ShowPresetIndex(dialog);
    DragAcceptFiles(dialog, TRUE);
    Wnd_CenterOverOwner(dialog);
    return TRUE;
}

void Editor_OnBrowse(HWND dialog) {
    char path[DLG_PATH_SIZE] = "";
    ReadPathField(dialog, path);
    char filter[2 * LABEL_SIZE];
    Dlg_MakeFilter(filter, sizeof(filter), IDS_EDITOR_FILTER, "*.exe", 0);
    if (!FileDlg_Run(dialog, GetOpenFileNameA, filter, "exe", path, sizeof(path))) return;
    SetDlgItemTextA(dialog, IDC_EDITOR_PATH, path);
    presetIndex = PRESET_CUSTOM;
    MatchPreset(path);
    ShowPresetIndex(dialog);
    SetFocus(dialog);
}

void Editor_OnPresetChosen(HWND dialog) {
    int row = static_cast<int>(SendDlgItemMessageA(dialog, IDC_EDITOR_PRESET, CB_GETCURSEL, 0, 0));
    if (row == PRESET_CUSTOM) {
        ShowPresetIndex(dialog);
        Editor_OnBrowse(dialog);
        return;
    }
    if (row < 0 || row >= PRESET_COUNT) return;
    if (Dlg_Ask(dialog, IDS_EDITOR_CHANGE_ASK, IDS_CONFIRM_TITLE) != IDYES) {
        ShowPresetIndex(dialog);
        return;
    }
    presetIndex = row;
    SetDlgItemTextA(dialog, IDC_EDITOR_PATH, presets[row].path);
}

void Editor_OnApply(HWND dialog) {
    char path[DLG_PATH_SIZE] = "";
    ReadPathField(dialog, path);
    SetDlgItemTextA(dialog, IDC_RESULT, "");
    if (!PathFileExistsA(path)) {
        Dlg_ShowText(dialog, IDC_RESULT, IDS_EDITOR_BAD_FILE);
        return;
    }
    if (_stricmp(PathFindExtensionA(path), ".exe") != 0) {
        Dlg_ShowText(dialog, IDC_RESULT, IDS_EDITOR_BAD_EXT);
        return;
    }
    if (Dlg_Ask(dialog, IDS_EDITOR_APPLY_ASK, IDS_CONFIRM_TITLE) != IDYES) return;
    Editor_SetPath(path);
    Dlg_ShowText(dialog, IDC_RESULT, IDS_EDITOR_DONE);
}

BOOL Editor_OnCommand(HWND dialog, int id, int code) {
    switch (id) {
    case IDOK: Editor_OnApply(dialog); return TRUE;
    case IDCANCEL: EndDialog(dialog, 0); return TRUE;
    case IDM_EDITOR_BROWSE: Editor_OnBrowse(dialog); return TRUE;
    case IDC_EDITOR_PRESET:
        if (code != CBN_SELCHANGE) return FALSE;
        Editor_OnPresetChosen(dialog);
        return TRUE;
    default: return FALSE;
    }
}

// Only a drop on the path field counts; the file chosen from it lands there.
BOOL Editor_OnDropFiles(HWND dialog, HDROP drop) {
    if (Ctl_UnderCursor(dialog, 1, IDC_EDITOR_PATH) == 0)
        DragFinish(drop);
    else
        FileSel_Show(dialog, IDC_EDITOR_PATH, drop);
    return TRUE;
}

} // namespace

const char* Editor_GetPath() {
    return appState.editorPath;
}

void Editor_SetPath(const char* text) {
    lstrcpynA(appState.editorPath, text, APP_PATH_SIZE);
}

int Editor_OpenFile(HWND dialog, int fileFieldId, int resultId) {
    // A name that names nothing is told at once: there is nothing to ask about.
    char name[DLG_PATH_SIZE] = "";
    GetDlgItemTextA(dialog, fileFieldId, name, sizeof(name));
    PathRemoveBlanksA(name);
    if (!PathFileExistsA(name)) {
        if (resultId) Dlg_ShowText(dialog, resultId, IDS_EDITOR_NO_FILE, name);
        return 1;
    }
    if (Dlg_Ask(dialog, IDS_EDITOR_OPEN_ASK, IDS_EDITOR_OPEN_TITLE) != IDYES) return 1;
    if (!PathFileExistsA(Editor_GetPath())) {
        // The file is not opened afterwards, even when a program was applied.
        if (Dlg_Ask(dialog, IDS_EDITOR_MISSING_ASK, IDS_EDITOR_MISSING_TITLE) == IDYES) {
            DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_EDITOR), dialog,
                            EditorDlg_Proc, 0);
        }
        return 1;
    }
    // One parameter, whatever blanks the name holds.
    char parameter[PARAMETER_SIZE] = "";
    snprintf(parameter, sizeof(parameter), "\"%s\"", name);
    Shell_Launch(Editor_GetPath(), parameter, nullptr);
    return 1;
}

INT_PTR CALLBACK EditorDlg_Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: return Editor_OnInit(dialog);
    case WM_COMMAND: return Editor_OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_DROPFILES: return Editor_OnDropFiles(dialog, reinterpret_cast<HDROP>(wParam));
    case WM_DESTROY: DragAcceptFiles(dialog, FALSE); return FALSE;
    default: return FALSE;
    }
}
