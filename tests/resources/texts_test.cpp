// The Korean texts as the program loads them from its resources, checked
// once here in code page 949 (string table, menus, dialog templates); the
// behaviour tests compare what windows show with what the program loads.
#include <gtest/gtest.h>
#include <windows.h>
#include "resources/resource.h"
#include "tests/support/uitest.h"

namespace {

// clang-format off
const std::pair<int, const char16_t*> strings[] = {
    {IDS_HELP_FILE, u"\uD30C\uC77C\uC744 \uC870\uC791\uD558\uB294 \uBA85\uB839\uC774 \uC788\uC2B5\uB2C8\uB2E4"},
    {IDS_HELP_RUN, u"\uC120\uD0DD\uB41C \uD56D\uBAA9\uC5D0 \uC758\uD574 \uC2E4\uD589\uB418\uB294 \uBA85\uB839\uC774 \uC788\uC2B5\uB2C8\uB2E4"},
    {IDS_HELP_VIEW, u"\uD45C\uC2DC\uBC29\uBC95\uC744 \uC870\uC791\uD558\uB294 \uBA85\uB839\uC774 \uC788\uC2B5\uB2C8\uB2E4"},
    {IDS_HELP_OPTIONS, u"\uC720\uC800 \uC778\uD130\uD398\uC774\uC2A4 \uC635\uC158\uC744 \uC2E4\uD589\uD558\uB294 \uBA85\uB839\uC774 \uC788\uC2B5\uB2C8\uB2E4"},
    {IDS_HELP_HELP, u"\uB3C4\uC6C0\uB9D0\uC744 \uD45C\uC2DC\uD558\uB294 \uBA85\uB839\uC774 \uC788\uC2B5\uB2C8\uB2E4"},
    {IDM_RUN_BUTTON, u"\uC120\uD0DD\uB41C \uD56D\uBAA9\uC5D0 \uC758\uD574 \uC2E4\uD589\uB418\uB294 \uBA85\uB839\uC774 \uC788\uC2B5\uB2C8\uB2E4"},
    {IDM_EXIT, u"\uD504\uB85C\uADF8\uB7A8\uC744 \uC885\uB8CC\uD569\uB2C8\uB2E4"},
    {IDM_ABOUT, u"\uD504\uB85C\uADF8\uB7A8 \uC800\uC791\uAD8C \uC815\uBCF4\uB97C \uD45C\uC2DC\uD569\uB2C8\uB2E4"},
    {IDM_TOOLBAR, u"\uB3C4\uAD6C\uBAA8\uC74C\uC744 \uD45C\uC2DC\uD558\uAC70\uB098 \uC228\uAE41\uB2C8\uB2E4"},
    {IDM_STATUSBAR, u"\uC0C1\uD0DC \uD45C\uC2DC\uC904\uC744 \uD45C\uC2DC\uD558\uAC70\uB098 \uC228\uAE41\uB2C8\uB2E4"},
    {IDM_FONT, u"\uD14D\uC2A4\uD2B8 \uCC3D\uC5D0\uC11C \uC0AC\uC6A9\uD558\uB294 \uAE00\uAF34\uC744 \uC124\uC815\uD569\uB2C8\uB2E4"},
    {IDM_EDITOR, u""},
    {IDM_TILEORDER, u"\uADF8\uB798\uD53D \uD0C0\uC77C\uC758 \uC21C\uC11C\uB97C \uBC14\uAFC9\uB2C8\uB2E4"},
    {IDS_READY, u"\uC900\uBE44"},
    {IDS_RUN_LABEL, u"\uC2E4\uD589"},
    {IDS_AUTHOR_LABEL, u"\uB9CC\uB4E0\uC774 \uC815\uBCF4"},
    {IDS_OTHER_COLOUR, u"\uAE30\uD0C0"},
    {IDS_TEXT_FONT_FACE, u"\uAD74\uB9BC\uCCB4"},
    {IDS_COMCTL_TITLE, u"comctl32.dll \uD638\uD658\uC131 \uACBD\uACE0"},
    {IDS_COMCTL_TEXT, u"\uD504\uB85C\uADF8\uB7A8 \uC2E4\uD589\uC5D0\uB294,Microsoft Windows 9x/Me/2000/XP\uC758 OS \uD655\uC7A5\uC14B\uC778\r\n"
                      u"DirectX 3.0 \uC774\uC0C1\uC758 \uBC84\uC804\uC774 \uD544\uC694\uD569\uB2C8\uB2E4.\r\n\r\n"
                      u"Microsoft\uC758 DirectX \uD648\uD398\uC774\uC9C0 https://www.microsoft.com/download/details.aspx?id=35\r\n"
                      u"\uC5D0\uC11C DirectX \uB4DC\uB77C\uC774\uBC84\uB97C \uB2E4\uC6B4\uB85C\uB4DC\uD574\uC11C,\uC124\uCE58\uD55C \uD6C4 \uD504\uB85C\uADF8\uB7A8\uC744 \uC2E4\uD589\uD558\uC5EC \uC8FC\uC138\uC694.\r\n"},
    {IDS_WARNING_TITLE, u"\uD504\uB85C\uADF8\uB7A8 \uACBD\uACE0"},
    {IDS_CREATE_FAILED, u"\uD504\uB85C\uADF8\uB7A8 \uCC3D\uC744 \uB9CC\uB4DC\uB294 \uB370 \uC2E4\uD328\uD588\uC2B5\uB2C8\uB2E4.\r\n"},
    {IDS_OPENING_TEXT, u"\uC774 \uD504\uB85C\uADF8\uB7A8\uC740 API \uAC15\uC88C\uC758 \uC608\uC81C\uC785\uB2C8\uB2E4.\r\n\r\n"},
    {IDS_OPENING_MORE, u"\uD558\uB098\uC758 \uAE30\uB2A5\uC774 \uAD6C\uD604\uB418\uC5B4 \uC788\uC2B5\uB2C8\uB2E4.\r\n"},
    {IDS_ABOUT_TEXT, u"\uC774 \uD504\uB85C\uADF8\uB7A8\uC740 Win32 API\uC758 \uC608\uC81C\uC785\uB2C8\uB2E4.\r\n\r\n"
                     u"Microsoft Windows XP\uC758 \uD55C\uAD6D\uC5B4 \uBC84\uC804\uC5D0\uC11C \uAC1C\uBC1C\uB418\uC5C8\uC2B5\uB2C8\uB2E4.\r\n\r\n"
                     u"Pelar\uC5D0\uC11C \uD504\uB85C\uADF8\uB7A8 \uC9C0\uC6D0\uC744 \uD558\uACE0 \uC788\uC2B5\uB2C8\uB2E4.\r\n"},
    {IDS_FILESEL_NAME, u"\uC774\uB984"},
    {IDS_FILESEL_PATH, u"\uC804\uCCB4 \uACBD\uB85C"},
    {IDS_FILESEL_SIZE, u"\uD06C\uAE30"},
    {IDS_FILESEL_TOTAL, u"\uC804\uCCB4 \uD30C\uC77C: %d"},
    {IDS_FILESEL_CHOSEN, u"\uC120\uD0DD\uD55C \uD30C\uC77C: (%d / %d)"},
    {IDS_FILESEL_NONE, u"\uC120\uD0DD\uD55C \uD56D\uBAA9\uC774 \uC5C6\uC2B5\uB2C8\uB2E4."},
    {IDS_FILESEL_RANGE, u"\uBC94\uC704\uB97C \uBC97\uC5B4\uB0AC\uC2B5\uB2C8\uB2E4.: %d"},
    {IDS_CONFIRM_TITLE, u"\uD655\uC778"},
    {IDS_PRESET_CUSTOM, u"\uC0AC\uC6A9\uC790 \uC9C0\uC815"},
    {IDS_PRESET_NOTEPAD, u"\uBA54\uBAA8\uC7A5"},
    {IDS_PRESET_EMEDITOR, u"\uC5E0\uC5D0\uB514\uD130"},
    {IDS_EDITOR_OPEN_ASK, u"\uBA54\uBAA8\uC7A5 \uD504\uB85C\uADF8\uB7A8\uC73C\uB85C \uC5F0\uACB0\uD558\uACA0\uC2B5\uB2C8\uAE4C?\r\n\r\n"},
    {IDS_EDITOR_OPEN_TITLE, u"\uC5F4\uAE30 \uD655\uC778"},
    {IDS_EDITOR_MISSING_ASK, u"\uD504\uB85C\uADF8\uB7A8 \uC9C0\uC815\uC774 \uC798\uBABB\uB418\uC5B4 \uC788\uC2B5\uB2C8\uB2E4.\r\n\r\n\uD504\uB85C\uADF8\uB7A8\uC758 \uACBD\uB85C\uB97C \uC9C0\uC815\uD558\uACA0\uC2B5\uB2C8\uAE4C?\r\n\r\n"},
    {IDS_EDITOR_MISSING_TITLE, u"\uD504\uB85C\uADF8\uB7A8 \uD655\uC778"},
    {IDS_EDITOR_NO_FILE, u"\uC5F4\uAE30 \uC624\uB958 (\uD30C\uC77C\uC774 \uC5C6\uC2B5\uB2C8\uB2E4): %s"},
    {IDS_EDITOR_FILTER, u"\uC2E4\uD589 \uD30C\uC77C (*.exe)"},
    {IDS_EDITOR_CHANGE_ASK, u"\uD504\uB85C\uADF8\uB7A8 \uAE30\uBCF8\uAC12\uC744 \uBC14\uAFB8\uACA0\uC2B5\uB2C8\uAE4C?\u3000\r\n\r\n"},
    {IDS_EDITOR_BAD_FILE, u"\uD30C\uC77C \uC9C0\uC815\uC774 \uC798\uBABB\uB418\uC5B4 \uC788\uC2B5\uB2C8\uB2E4."},
    {IDS_EDITOR_BAD_EXT, u"\uC9C0\uC6D0\uD558\uB294 \uC2E4\uD589 \uD30C\uC77C\uC758 \uD655\uC7A5\uC790\uAC00 \uC544\uB2D9\uB2C8\uB2E4. (*.exe)"},
    {IDS_EDITOR_APPLY_ASK, u"\uC774 \uC124\uC815\uC744 \uBC18\uC601\uD558\uACA0\uC2B5\uB2C8\uAE4C?\u3000\r\n\r\n"},
    {IDS_EDITOR_DONE, u"\uD504\uB85C\uADF8\uB7A8 \uC9C0\uC815\uC744 \uC644\uB8CC\uD588\uC2B5\uB2C8\uB2E4."},
    {IDS_TOOL_FORMAT_TEXT, u"\uB108\uBE44=%u, \uB192\uC774=%u, %ubpp"},
    {IDS_TOOL_START_PATTERN, u"\uD328\uD134 \uD30C\uC77C.map"},
    {IDS_TOOL_START_OUTPUT, u"\uCD9C\uB825 \uD30C\uC77C.bbl"},
    {IDS_TOOL_START_INPUT, u"\uC785\uB825 \uD30C\uC77C.bin"},
    {IDS_TOOL_BAD_LOCATION, u"\uD30C\uC77C \uC704\uCE58\uAC00 \uC798\uBABB\uB418\uC5B4 \uC788\uC2B5\uB2C8\uB2E4."},
    {IDS_TOOL_PATTERN_FILTER, u"\uD328\uD134 \uD30C\uC77C (*.map;*.txt)"},
    {IDS_TOOL_MAP_FILTER, u"\uD0C0\uC77C\uB9F5 \uD30C\uC77C (*.bbl;*.txt)"},
    {IDS_TOOL_GRAPHIC_FILTER, u"\uADF8\uB798\uD53D \uD30C\uC77C (*.bin;*.dat)"},
    {IDS_TOOL_ALL_FILES, u"\uBAA8\uB4E0 \uD30C\uC77C (*.*)"},
    {IDS_TOOL_BAD_PATTERN, u"\uD328\uD134 \uD30C\uC77C\uC758 \uC9C0\uC815\uC774 \uC798\uBABB\uB418\uC5B4 \uC788\uC2B5\uB2C8\uB2E4.: %s\r\n%s"},
    {IDS_TOOL_BAD_OUTPUT, u"\uCD9C\uB825 \uD30C\uC77C\uC758 \uC9C0\uC815\uC774 \uC798\uBABB\uB418\uC5B4 \uC788\uC2B5\uB2C8\uB2E4.: %s\r\n%s"},
    {IDS_TOOL_PROCESS_ASK, u"\uC774 \uC124\uC815\uC73C\uB85C \uCC98\uB9AC\uD558\uACA0\uC2B5\uB2C8\uAE4C?\u3000\r\n\r\n"},
    {IDS_TOOL_PROCESS_TITLE, u"\uCC98\uB9AC \uD655\uC778"},
    {IDS_TOOL_PROCESSED, u"%s\uBC14\uC774\uD2B8\uB97C \uCC98\uB9AC\uD588\uC2B5\uB2C8\uB2E4.\r\n%s"},
    {IDS_TOOL_NOT_PROCESSED, u"\uCC98\uB9AC\uD558\uC9C0 \uBABB\uD588\uC2B5\uB2C8\uB2E4.\r\n%s"},
    {IDS_METHOD_IMPORT, u"\uD328\uD134 (\uAC00\uC838\uC624\uAE30)"},
    {IDS_METHOD_UNDO, u"\uD328\uD134 (\uB418\uB3CC\uB9AC\uAE30)"},
    {IDS_FORMAT_ROW0 + 0, u"1bpp (\uB2E8\uC0C9)"},
    {IDS_FORMAT_ROW0 + 1, u"2bpp (4\uC0C9)"},
    {IDS_FORMAT_ROW0 + 2, u"3bpp (8\uC0C9)"},
    {IDS_FORMAT_ROW0 + 3, u"4bpp (16\uC0C9)"},
    {IDS_FORMAT_ROW0 + 4, u"8bpp (256\uC0C9)"},
    {IDS_FORMAT_ROW0 + 5, u"1bpp (\uB2E8\uC0C9, \uBC18\uC804)"},
    {IDS_FORMAT_ROW0 + 6, u"2bpp (4\uC0C9, \uBC18\uC804)"},
    {IDS_FORMAT_ROW0 + 7, u"4bpp (16\uC0C9, \uBC18\uC804)"},
};

// Menus item by item in order, each as "id text" (popups with id 0,
// separators as "-"), and dialog templates as the caption and then each
// control's text, one a line.
const std::pair<int, const char16_t*> menus[] = {
    {IDR_MAINMENU, u"0 \uD30C\uC77C(&F)\n40001 \uD504\uB85C\uADF8\uB7A8 \uC885\uB8CC(&X)\n"
                    u"0 \uC2E4\uD589(&C)\n40200 \uD0C0\uC77C \uC21C\uC11C \uBC14\uAFB8\uAE30(&H)...\n"
                    u"0 \uBCF4\uAE30(&V)\n40003 \uB3C4\uAD6C \uBAA8\uC74C(&T)\tAlt+T\n"
                    u"40004 \uC0C1\uD0DC \uD45C\uC2DC\uC904(&S)\tAlt+S\n"
                    u"0 \uC635\uC158(&O)\n40100 \uD14D\uC2A4\uD2B8 \uAE00\uAF34 \uC124\uC815(&F)...\n-\n"
                    u"40101 \uBA54\uBAA8\uC7A5 \uD504\uB85C\uADF8\uB7A8 \uC9C0\uC815(&E)...\n"
                    u"0 \uB3C4\uC6C0\uB9D0(&H)\n40002 \uD504\uB85C\uADF8\uB7A8 \uC815\uBCF4(&A)...\n"},
    {IDR_TOOLMENU, u"0 POPUP\n40200 \uD0C0\uC77C \uC21C\uC11C \uBC14\uAFB8\uAE30(&H)...\n"}};

const std::pair<int, const char16_t*> dialogs[] = {
    {IDD_ABOUT, u"\uD504\uB85C\uADF8\uB7A8 \uC815\uBCF4\n\n\nORV System Utiliy with GUI\n"
                 u"Version 0\nCopyright (C) 2026 the tile order utility authors\n\n\n"
                 u"\uD655\uC778(&O)\n"},
    {IDD_FILESEL, u"\uD30C\uC77C \uC120\uD0DD\n\uC120\uD0DD(&S)\n\uB2EB\uAE30(&C)\nList1\n\n"},
    {IDD_EDITOR, u"\uBA54\uBAA8\uC7A5 \uD504\uB85C\uADF8\uB7A8 \uC9C0\uC815\n\uC801\uC6A9(&A)\n\uB2EB\uAE30(&C)\n\uD504\uB85C\uADF8\uB7A8 \uC704\uCE58 (\uB04C\uC5B4\uB193\uAE30 \uC9C0\uC6D0):\n\n\uD504\uB85C\uADF8\uB7A8 \uAE30\uBCF8\uAC12\n\n\uACB0\uACFC\n\n"},
    {IDD_FORMAT, u"\n\uC785\uB825(&I)\n\uCDE8\uC18C(&C)\n\uBE44\uD2B8\uB9F5 \uC815\uBCF4:\n\uB108\uBE44:\n\nSpin1\n\uB192\uC774:\n\nSpin1\n\uC0C9\uC0C1:\n\n"},
    {IDD_GRID, u"\n\uC785\uB825(&I)\n\uCDE8\uC18C(&C)\n\uBE44\uD2B8\uB9F5 \uC88C\uD45C:\n\uAC00\uB85C:\n\nSpin1\n\uC138\uB85C:\n\nSpin1\n"},
    {IDD_TILEORDER, u"\uD0C0\uC77C \uC21C\uC11C \uBC14\uAFB8\uAE30\n\uB9CC\uB4E4\uAE30(&M)\n\uB2EB\uAE30(&C)\n\uC785\uB825 \uD30C\uC77C (\uB04C\uC5B4\uB193\uAE30 \uC9C0\uC6D0):\n\uD0C0\uC77C \uBC88\uD638:\n\n\uBE44\uD2B8\uB9F5 \uC124\uC815:\n\uD328\uD134 \uD30C\uC77C:\n\n\uC785\uB825 \uD06C\uAE30:\n\nSpin1\n\uCD9C\uB825 \uD06C\uAE30:\n\nSpin1\n\uD0C0\uC77C \uD06C\uAE30:\n\n\uCC98\uB9AC \uBC29\uBC95:\n\n\uCD9C\uB825 \uD30C\uC77C:\n\uD30C\uC77C \uC774\uB984:\n\n\uC5F4\uAE30(&O)\n\uACB0\uACFC\n\n\uADF8\uB798\uD53D \uD30C\uC77C(&G):\n\n\uC624\uD504\uC14B(&F):\n\n\uBBF8\uB9AC\uBCF4\uAE30(&P)\n"}};
// clang-format on

void ReadMenu(HMENU menu, std::string* items) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[256] = "";
        GetMenuStringA(menu, i, text, sizeof(text), MF_BYPOSITION);
        HMENU popup = GetSubMenu(menu, i);
        const std::string id = std::to_string(popup ? 0 : GetMenuItemID(menu, i));
        *items +=
            GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR ? "-\n" : id + " " + text + "\n";
        if (popup) ReadMenu(popup, items);
    }
}

INT_PTR CALLBACK Quiet(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

TEST(Resources, TextsLoadInCodePage949) {
    ASSERT_EQ(GetACP(), 949u);
    for (const auto& [id, text] : strings)
        EXPECT_EQ(Ui_String(id), Ansi(text)) << "string " << id;
    HINSTANCE self = GetModuleHandleA(nullptr);
    for (const auto& [id, texts] : menus) {
        HMENU menu = LoadMenuA(self, MAKEINTRESOURCEA(id));
        std::string items;
        ReadMenu(menu, &items);
        DestroyMenu(menu);
        EXPECT_EQ(items, Ansi(texts)) << "menu " << id;
    }
    for (const auto& [id, texts] : dialogs) {
        HWND dialog = CreateDialogParamA(self, MAKEINTRESOURCEA(id), nullptr, Quiet, 0);
        std::string shown = Ui_Text(dialog) + "\n";
        for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            shown += Ui_Text(c) + "\n";
        DestroyWindow(dialog);
        EXPECT_EQ(shown, Ansi(texts)) << "dialog " << id;
    }
}

} // namespace
