// The file selection dialog. Each opening's request (target field, drop
// handle, row count) lives on FileSel_Show's stack, travels in the
// DialogBoxParam parameter and hangs off the dialog, so no two selections
// share one. The first row starts out selected and focused, so that Enter
// takes it at once.
#include "dialogs/filesel.h"
#include <commctrl.h>
#include <shlwapi.h>
#include <cstdint>
#include "dialogs/dlgutil.h"
#include "resources/resource.h"
#include "shell/icons.h"

namespace {

constexpr COLORREF EVEN_ROW = 0x00FFFFFF; // white
constexpr COLORREF ODD_ROW = 0x00FFF1E2;  // pale blue
constexpr int SIZE_COLUMN_WIDTH = 80;
constexpr int SIZE_TEXT_SIZE = 32;
constexpr int HEADER_SIZE = 64;

struct SelRequest {
    HWND target;
    HDROP drop; // null once the dialog has taken it over
    int32_t rowCount;
};

SelRequest* Request(HWND dialog) {
    return reinterpret_cast<SelRequest*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void AddColumn(HWND list, int index, int headerId, int format, int width) {
    char header[HEADER_SIZE] = "";
    Dlg_LoadText(headerId, header, sizeof(header));
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = format;
    column.cx = width;
    column.pszText = header;
    column.iSubItem = index;
    SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
}

void SetCell(HWND list, int row, int column, const char* text) {
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text);
    SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

// The size text of a file, empty when it cannot be opened for reading. The
// whole 64-bit size: a file of 4 GiB or more shows what it holds.
void SizeText(const char* path, char* text) {
    text[0] = '\0';
    HANDLE file =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    LARGE_INTEGER size;
    if (GetFileSizeEx(file, &size)) StrFormatByteSize64A(size.QuadPart, text, SIZE_TEXT_SIZE);
    CloseHandle(file);
}

// Appends one row for a dropped file; folders get none. Returns the rows now.
int AddFileRow(HWND list, int rows, const char* path) {
    if (PathIsDirectoryA(path)) return rows;
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = rows;
    item.pszText = PathFindFileNameA(path);
    item.iImage = ExtIcons_Find(PathFindExtensionA(path));
    item.lParam = 0;
    int row =
        static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) return rows;
    SetCell(list, row, 1, path);
    char size[SIZE_TEXT_SIZE];
    SizeText(path, size);
    SetCell(list, row, 2, size);
    return rows + 1;
}

int FillRows(HWND list, HDROP drop) {
    int rows = 0;
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        char path[DLG_PATH_SIZE] = "";
        DragQueryFileA(drop, i, path, sizeof(path));
        rows = AddFileRow(list, rows, path);
    }
    DragFinish(drop);
    return rows;
}

BOOL FileSel_OnInit(HWND dialog, SelRequest* request) {
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(request));
    HWND list = GetDlgItem(dialog, IDC_FILESEL_LIST);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    AddColumn(list, 0, IDS_FILESEL_NAME, LVCFMT_LEFT, 200);
    AddColumn(list, 1, IDS_FILESEL_PATH, LVCFMT_LEFT, 0); // hidden: the name to hand out
    AddColumn(list, 2, IDS_FILESEL_SIZE, LVCFMT_RIGHT, SIZE_COLUMN_WIDTH);
    // Many files fill the list in one paint.
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    List_AttachExtIcons(list);
    request->rowCount = FillRows(list, request->drop);
    request->drop = nullptr;
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    RECT client = {};
    GetClientRect(list, &client);
    SendMessageA(list, LVM_SETCOLUMNWIDTH, 0,
                 MAKELPARAM(client.right - client.left - SIZE_COLUMN_WIDTH, 0));
    LVITEMA first = {};
    first.stateMask = first.state = LVIS_SELECTED | LVIS_FOCUSED;
    if (request->rowCount > 0)
        SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&first));
    // After the selection, whose notice would cover the count.
    Dlg_ShowText(dialog, IDC_FILESEL_STATUS, IDS_FILESEL_TOTAL, request->rowCount);
    Wnd_CenterOverOwner(dialog);
    SetFocus(list);
    return FALSE; // the focus is set
}

void FileSel_OnSelect(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_FILESEL_LIST);
    int row = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
    if (row < 0) {
        Dlg_ShowText(dialog, IDC_FILESEL_STATUS, IDS_FILESEL_NONE);
        return;
    }
    if (row >= Request(dialog)->rowCount) {
        Dlg_ShowText(dialog, IDC_FILESEL_STATUS, IDS_FILESEL_RANGE, row);
        return;
    }
    char path[DLG_PATH_SIZE] = "";
    LVITEMA item = {};
    item.iSubItem = 1;
    item.pszText = path;
    item.cchTextMax = sizeof(path);
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    Path_MakeStartRelative(path, sizeof(path));
    SetWindowTextA(Request(dialog)->target, path);
    EndDialog(dialog, 0);
}

BOOL FileSel_OnCommand(HWND dialog, int id) {
    switch (id) {
    case IDOK: FileSel_OnSelect(dialog); return TRUE;
    case IDCANCEL: EndDialog(dialog, 0); return TRUE;
    default: return FALSE;
    }
}

// Every notification is answered; the answer starts at 0, so that a custom
// draw answer left in the message result cannot veto a later change.
BOOL FileSel_OnNotify(HWND dialog, NMHDR* header) {
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
    if (header->idFrom != IDC_FILESEL_LIST) return TRUE;
    switch (header->code) {
    case NM_CUSTOMDRAW:
        List_DrawStripes(dialog, reinterpret_cast<NMLVCUSTOMDRAW*>(header), EVEN_ROW, ODD_ROW);
        break;
    case NM_DBLCLK: SendMessageA(dialog, WM_COMMAND, IDOK, 0); break;
    case LVN_ITEMCHANGED: {
        NMLISTVIEW* change = reinterpret_cast<NMLISTVIEW*>(header);
        SelRequest* request = Request(dialog); // none before WM_INITDIALOG
        if (request && (change->uChanged & LVIF_STATE) &&
            change->uNewState == (LVIS_SELECTED | LVIS_FOCUSED)) {
            Dlg_ShowText(dialog, IDC_FILESEL_STATUS, IDS_FILESEL_CHOSEN, change->iItem + 1,
                         request->rowCount);
        }
        break;
    }
    default: break;
    }
    return TRUE;
}

} // namespace

INT_PTR FileSel_Show(HWND owner, int fieldId, HDROP drop) {
    // A disabled owner waits for a window it owns, such as the selection of
    // an earlier drop, which the drop still reaches: it is let go rather than
    // stacking a second selection over the first.
    if (!IsWindowEnabled(owner)) {
        DragFinish(drop);
        return 0;
    }
    SelRequest request = {GetDlgItem(owner, fieldId), drop, 0};
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FILESEL),
                                     owner, FileSelDlg_Proc, reinterpret_cast<LPARAM>(&request));
    // A dialog that never opened has not released the drop.
    if (request.drop) DragFinish(request.drop);
    return result == -1 ? 0 : result;
}

INT_PTR CALLBACK FileSelDlg_Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return FileSel_OnInit(dialog, reinterpret_cast<SelRequest*>(lParam));
    case WM_COMMAND: return FileSel_OnCommand(dialog, LOWORD(wParam));
    case WM_NOTIFY: return FileSel_OnNotify(dialog, reinterpret_cast<NMHDR*>(lParam));
    default: return FALSE;
    }
}
