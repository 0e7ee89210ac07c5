// The file selection dialog, opened by real drops on the editor dialog's
// path field: rows in drop order without folders, icons (the default one
// for an unknown extension), sizes (a sparse file above 4 GiB, none for a
// file that cannot be opened), the status texts, the first row taken by
// Enter, a chosen row put into the field relative to the start folder,
// closing leaving the field alone, and a drop beside the field ignored.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>
#include "resources/resource.h"
#include "tests/dialogs/dlgtest.h"
#include "tests/textlib/testdir.h"

namespace {

void PointAt(HWND d, int id) {
    RECT r;
    GetWindowRect(GetDlgItem(d, id), &r);
    SetCursorPos(r.left + 3, r.top + 3);
}

TEST(FileSelection, ListsTheDropAndPutsTheChosenFileIntoTheField) {
    TestDir dir;
    InFolder in(dir.path);
    std::filesystem::create_directories("ini");
    std::filesystem::create_directories("sub");
    WriteFile("ini/extension.ini", ".map\n");
    WriteFile("a.map", "hello");
    HANDLE big = CreateFileA("big.zzz", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    LARGE_INTEGER end = {{0x40000000, 1}}; // 5 GiB, sparse
    EXPECT_TRUE(SetFilePointerEx(big, end, nullptr, FILE_BEGIN) && SetEndOfFile(big));
    CloseHandle(big);
    AppSession app;
    std::vector<std::string> rows, status, fields;
    auto look = [&](HWND d) { status.push_back(Ui_Text(GetDlgItem(d, IDC_FILESEL_STATUS))); };
    Script s;
    s.flows = {
        [&](HWND d) {
            const std::vector<std::string> names = {"a.map", "sub", "big.zzz", "gone.txt"};
            for (int id : {IDC_EDITOR_PRESET, IDC_EDITOR_PATH, IDC_EDITOR_PATH, IDC_EDITOR_PATH}) {
                PointAt(d, id); // beside the field first: nothing opens
                SendMessageA(d, WM_DROPFILES, Test_Drop(names), 0);
                fields.push_back(Ui_Text(GetDlgItem(d, IDC_EDITOR_PATH)));
            }
            Ui_PressButton(d, IDCANCEL);
        },
        [&](HWND d) { // look, click the third row, then none, then take the second
            HWND list = GetDlgItem(d, IDC_FILESEL_LIST);
            for (int r = 0; r < ListView_GetItemCount(list); ++r) {
                char name[MAX_PATH], size[32];
                LVITEMA item = {};
                item.mask = LVIF_IMAGE;
                item.iItem = r;
                ListView_GetItemText(list, r, 0, name, sizeof(name));
                ListView_GetItem(list, &item);
                ListView_GetItemText(list, r, 2, size, sizeof(size));
                rows.push_back(name + ("|" + std::to_string(item.iImage)) + "|" + size);
            }
            look(d);
            ListView_SetItemState(list, 2, LVIS_SELECTED | LVIS_FOCUSED, 0xF);
            look(d);
            ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
            NMHDR doubleClick = {list, IDC_FILESEL_LIST, UINT(NM_DBLCLK)};
            SendMessageA(d, WM_NOTIFY, IDC_FILESEL_LIST, LPARAM(&doubleClick));
            look(d);
            ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
            Ui_PressButton(d, IDOK);
        },
        [&](HWND d) { // Enter takes the first row, which has the focus
            SetForegroundWindow(d); // a program another test started may hold the front
            EXPECT_EQ(GetFocus(), GetDlgItem(d, IDC_FILESEL_LIST));
            Ui_PressKey(VK_RETURN);
        },
        [&](HWND d) { Ui_PressButton(d, IDCANCEL); }};
    SendMessageA(app.main(), WM_COMMAND, IDM_EDITOR, 0);
    EXPECT_FALSE(s.hook.gaveUp);
    EXPECT_EQ(s.met, 4u);
    char five[32];
    StrFormatByteSizeA(5, five, sizeof(five));
    EXPECT_EQ(rows, (std::vector<std::string>{"a.map|2|" + std::string(five), "big.zzz|1|5.00 GB",
                                              "gone.txt|1|"}));
    EXPECT_EQ(status, (std::vector<std::string>{Test_Format(IDS_FILESEL_TOTAL, 3),
                                                Test_Format(IDS_FILESEL_CHOSEN, 3, 3),
                                                Ui_String(IDS_FILESEL_NONE)}));
    EXPECT_EQ(fields,
              (std::vector<std::string>{"C:\\WINDOWS\\NOTEPAD.EXE", "big.zzz", "a.map", "a.map"}));
}

} // namespace
