// The file selection dialog, opened by drops on the editor dialog's path field: rows without
// folders, icons, sizes (sparse above 4 GiB, none if unopenable), status texts, Enter taking the
// first row, the chosen row put in the field relative to the start folder; a drop beside it, a
// drop let go while a selection is open, and a selection over another keeping its own rows.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>
#include "dialogs/filesel.h"
#include "resources/resource.h"
#include "tests/support/uitest.h"
#include "tests/support/testdir.h"

namespace {

TEST(FileSelection, ListsTheDropAndPutsTheChosenFileIntoTheField) {
    InTestDir dir;
    std::filesystem::create_directories("ini");
    std::filesystem::create_directories("sub");
    WriteFile("ini/extension.ini", ".map\n");
    WriteFile("a.map", "hello");
    HANDLE big = CreateFileA("big.zzz", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    LARGE_INTEGER end = {{0x40000000, 1}}; // 5 GiB, sparse
    EXPECT_TRUE(SetFilePointerEx(big, end, nullptr, FILE_BEGIN) && SetEndOfFile(big));
    CloseHandle(big);
    AppSession app;
    std::vector<std::string> rows, fields;
    auto status = [](HWND d) { return Ui_Text(GetDlgItem(d, IDC_FILESEL_STATUS)); };
    Script s;
    s.flows = {
        [&](HWND d) {
            for (int id : {IDC_EDITOR_PRESET, IDC_EDITOR_PATH, IDC_EDITOR_PATH, IDC_EDITOR_PATH}) {
                RECT r =
                    Ui_RectIn(GetDlgItem(d, id), nullptr); // beside the field first: nothing opens
                SetCursorPos(r.left + 3, r.top + 3);
                SendMessageA(d, WM_DROPFILES, Test_Drop({"a.map", "sub", "big.zzz", "no.txt"}), 0);
                fields.push_back(Ui_Text(GetDlgItem(d, IDC_EDITOR_PATH)));
            }
            Ui_PressButton(d, IDCANCEL);
        },
        [&](HWND d) { // look, click the third row, then none, then take the second
            const int met = s.hook.met;
            WPARAM late = Test_Drop({"a.map"}); // on the editor dialog, this one's owner
            SendMessageA(GetWindow(d, GW_OWNER), WM_DROPFILES, late, 0);
            EXPECT_TRUE(s.hook.met == met && !GlobalSize(reinterpret_cast<HGLOBAL>(late)));
            FileSel_Show(d, 0, HDROP(Test_Drop({"a.map"}))); // one row; this one keeps its three
            HWND list = GetDlgItem(d, IDC_FILESEL_LIST);
            LVITEMA item = {};
            item.mask = LVIF_IMAGE;
            for (; item.iItem < ListView_GetItemCount(list); ++item.iItem) {
                char name[MAX_PATH], size[32];
                ListView_GetItem(list, &item);
                ListView_GetItemText(list, item.iItem, 0, name, sizeof(name));
                ListView_GetItemText(list, item.iItem, 2, size, sizeof(size));
                rows.push_back(name + ("|" + std::to_string(item.iImage)) + "|" + size);
            }
            EXPECT_EQ(status(d), Test_Format(IDS_FILESEL_TOTAL, 3));
            ListView_SetItemState(list, 2, LVIS_SELECTED | LVIS_FOCUSED, 0xF);
            EXPECT_EQ(status(d), Test_Format(IDS_FILESEL_CHOSEN, 3, 3));
            ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
            NMHDR doubleClick = {list, IDC_FILESEL_LIST, UINT(NM_DBLCLK)};
            SendMessageA(d, WM_NOTIFY, IDC_FILESEL_LIST, LPARAM(&doubleClick));
            EXPECT_EQ(status(d), Ui_String(IDS_FILESEL_NONE));
            ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
            Ui_PressButton(d, IDOK);
        },
        [&](HWND d) { // the one over it
            EXPECT_EQ(status(d), Test_Format(IDS_FILESEL_TOTAL, 1));
            Ui_PressButton(d, IDCANCEL);
        },
        [&](HWND d) {               // Enter takes the first row, which has the focus
            SetForegroundWindow(d); // a program another test started may hold the front
            EXPECT_EQ(GetFocus(), GetDlgItem(d, IDC_FILESEL_LIST));
            Ui_PressKey(VK_RETURN);
        },
        [&](HWND d) { Ui_PressButton(d, IDCANCEL); }};
    SendMessageA(app.main(), WM_COMMAND, IDM_EDITOR, 0);
    EXPECT_FALSE(s.hook.gaveUp);
    char five[32];
    StrFormatByteSizeA(5, five, sizeof(five));
    EXPECT_EQ(rows, (std::vector<std::string>{"a.map|2|" + std::string(five), "big.zzz|1|5.00 GB",
                                              "no.txt|1|"}));
    EXPECT_EQ(fields,
              (std::vector<std::string>{"C:\\WINDOWS\\NOTEPAD.EXE", "big.zzz", "a.map", "a.map"}));
}

} // namespace
