// The grid and bitmap format popups. Each works on a copy of the exchange
// record taken when it opens and hands the copy back only on Enter, so
// every other way out (Cancel, Escape, a lost activation) leaves the
// launcher's values as they were.
//
// A grid text that does not read as a number counts as the lowest value,
// never as 0, so a confirmed grid always holds at least one column and row
// and the tool never shows a count of 0.
#include "tool/popups.h"
#include <commctrl.h>
#include <cstring>
#include "dialogs/dlgutil.h"
#include "resources/resource.h"

namespace {

PopupExchange exchange;    // between a launcher and its popup
PopupExchange working;     // the open popup's own copy
int32_t rememberedRow = 0; // the format row last confirmed
// Set once the open popup has been ended: ending hides it and gives the
// activation away, and that loss must not turn an Enter into a cancel.
bool ending = false;

void Popup_End(HWND popup, int result) {
    ending = true;
    EndDialog(popup, result);
}

// A numeric field and its up-down for [minimum, maximum], showing value;
// the field takes no more characters than the largest value needs.
void SetUpNumber(HWND popup, int field, int spin, int32_t minimum, int32_t maximum, int32_t value) {
    SendDlgItemMessageA(popup, field, EM_LIMITTEXT, strlen(Num_Format(maximum, 10)), 0);
    SetDlgItemTextA(popup, field, Num_Format(value, 10));
    SendDlgItemMessageA(popup, spin, UDM_SETRANGE32, minimum, maximum);
}

void SetUpBothNumbers(HWND popup, int32_t across, int32_t down) {
    const PopupLimits& l = working.limits;
    SetUpNumber(popup, IDC_POPUP_ACROSS, IDC_POPUP_ACROSS_SPIN, l.minimumAcross, l.maximumAcross,
                across);
    SetUpNumber(popup, IDC_POPUP_DOWN, IDC_POPUP_DOWN_SPIN, l.minimumDown, l.maximumDown, down);
}

int32_t ReadAcross(HWND popup) {
    const PopupLimits& l = working.limits;
    return Field_ReadNumber(popup, IDC_POPUP_ACROSS, l.minimumAcross, l.maximumAcross,
                            l.minimumAcross, 10);
}

int32_t ReadDown(HWND popup) {
    const PopupLimits& l = working.limits;
    return Field_ReadNumber(popup, IDC_POPUP_DOWN, l.minimumDown, l.maximumDown, l.minimumDown, 10);
}

// Both fields show their clamped value when they lose the focus; bad text
// shows the lowest value.
BOOL Popup_OnNumberCommand(HWND popup, int id, int code) {
    const PopupLimits& l = working.limits;
    if (id == IDC_POPUP_ACROSS)
        Field_NormalizeNumber(popup, id, l.minimumAcross, l.maximumAcross, l.minimumAcross, 10,
                              code);
    else
        Field_NormalizeNumber(popup, id, l.minimumDown, l.maximumDown, l.minimumDown, 10, code);
    return TRUE;
}

// Losing activation (to the tool dialog, another program, the taskbar)
// counts as cancel.
BOOL Popup_OnActivate(HWND popup, WPARAM wParam) {
    if (LOWORD(wParam) == 0 && !ending) Popup_End(popup, IDCANCEL);
    return TRUE;
}

BOOL Grid_OnInit(HWND popup) {
    ending = false;
    working = exchange;
    SetUpBothNumbers(popup, working.columns, working.rows);
    Wnd_PlaceBelow(popup, working.anchor);
    return TRUE;
}

void Grid_OnEnter(HWND popup) {
    working.columns = ReadAcross(popup);
    working.rows = ReadDown(popup);
    exchange = working;
    Popup_End(popup, IDOK);
}

void FillColourBox(HWND box) {
    // The string table holds the rows' texts in the table's order.
    for (int i = 0; i < TILE_FORMAT_ROWS; ++i)
        Combo_AddRow(box, IDS_FORMAT_ROW0 + i, TILE_FORMAT_TABLE[i].iconKey);
    Combo_AttachIcons(box, 1);
}

BOOL Format_OnInit(HWND popup) {
    ending = false;
    working = exchange;
    SetUpBothNumbers(popup, working.format.width, working.format.height);
    HWND box = GetDlgItem(popup, IDC_POPUP_COLOURS);
    FillColourBox(box);
    for (int i = 0; i < TILE_FORMAT_ROWS; ++i) {
        if (TILE_FORMAT_TABLE[i].formatId == working.format.formatId) {
            rememberedRow = i;
            break;
        }
    }
    SendMessageA(box, CB_SETCURSEL, rememberedRow, 0);
    Wnd_PlaceBelow(popup, working.anchor);
    return TRUE;
}

void Format_OnEnter(HWND popup) {
    int row = static_cast<int>(SendDlgItemMessageA(popup, IDC_POPUP_COLOURS, CB_GETCURSEL, 0, 0));
    if (row >= 0 && row < TILE_FORMAT_ROWS) rememberedRow = row;
    const TileFormatRow& chosen = TILE_FORMAT_TABLE[rememberedRow];
    working.format = Tile_MakeFormat(static_cast<uint16_t>(ReadAcross(popup)),
                                     static_cast<uint16_t>(ReadDown(popup)), chosen.bitsPerPixel,
                                     chosen.inverted);
    exchange = working;
    Popup_End(popup, IDOK);
}

BOOL Popup_OnCommand(HWND popup, int id, int code, void (*enter)(HWND)) {
    switch (id) {
    case IDOK: enter(popup); return TRUE;
    case IDCANCEL: Popup_End(popup, IDCANCEL); return TRUE;
    case IDC_POPUP_ACROSS:
    case IDC_POPUP_DOWN: return Popup_OnNumberCommand(popup, id, code);
    default: return FALSE;
    }
}

// Runs a popup without an owner, so the tool dialog stays enabled and a
// click on it deactivates the popup.
int RunPopup(HWND dialog, int fieldId, const PopupLimits& limits, int templateId, DLGPROC proc) {
    exchange.anchor = GetDlgItem(dialog, fieldId);
    exchange.limits = limits;
    INT_PTR result =
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), nullptr, proc, 0);
    return result == IDOK;
}

} // namespace

int GridPopup_Show(HWND dialog, int fieldId, const PopupLimits& limits, int32_t* columns,
                   int32_t* rows) {
    exchange.columns = *columns;
    exchange.rows = *rows;
    if (!RunPopup(dialog, fieldId, limits, IDD_GRID, GridPopupProc)) return 0;
    *columns = exchange.columns;
    *rows = exchange.rows;
    return 1;
}

int FormatPopup_Show(HWND dialog, int fieldId, const PopupLimits& limits, TileFormat* format) {
    exchange.format = *format;
    if (!RunPopup(dialog, fieldId, limits, IDD_FORMAT, FormatPopupProc)) return 0;
    *format = exchange.format;
    return 1;
}

int32_t FormatPopup_RememberedRow() {
    return rememberedRow;
}

void FormatPopup_SetRememberedRow(int32_t row) {
    rememberedRow = row;
}

INT_PTR CALLBACK GridPopupProc(HWND popup, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: return Grid_OnInit(popup);
    case WM_COMMAND: return Popup_OnCommand(popup, LOWORD(wParam), HIWORD(wParam), Grid_OnEnter);
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP: return Popup_OnActivate(popup, wParam);
    default: return FALSE;
    }
}

INT_PTR CALLBACK FormatPopupProc(HWND popup, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: return Format_OnInit(popup);
    case WM_COMMAND: return Popup_OnCommand(popup, LOWORD(wParam), HIWORD(wParam), Format_OnEnter);
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP: return Popup_OnActivate(popup, wParam);
    default: return FALSE;
    }
}
