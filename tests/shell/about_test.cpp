// The about box: its texts and picture, opened in each of the three ways
// (menu, toolbar button, Shift+F1) and closed in one of the four (OK, Enter,
// Escape, the close box), after which the main window has the focus again.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include "resources/resource.h"
#include "shell/appstate.h"
#include "tests/shell/uitest.h"

namespace {

enum OpenBy { FROM_MENU, FROM_TOOLBAR, FROM_SHIFT_F1 };
enum CloseBy { BY_OK, BY_ENTER, BY_ESCAPE, BY_CLOSE_BOX };

// Ends a dialog that the way under test did not close: a failure, not a hang.
bool gaveUp = false;
void CALLBACK GiveUp(HWND dialog, UINT, UINT_PTR, DWORD) {
    gaveUp = true;
    EndDialog(dialog, 99);
}

class AboutBox : public ::testing::TestWithParam<std::pair<OpenBy, CloseBy>> {};

TEST_P(AboutBox, ShowsItsTextsAndPictureClosesAndGivesTheFocusBack) {
    AppSession app;
    HWND owner = nullptr;
    std::vector<std::string> texts; // the caption, then the controls' texts
    BITMAP picture = {};
    bool okHasFocus = false;
    gaveUp = false;
    IdleScript script([&](HWND dialog, WPARAM kind, int visit) {
        if (kind != MSGF_DIALOGBOX || visit != 0) return;
        owner = GetWindow(dialog, GW_OWNER);
        texts.push_back(Ui_Text(dialog));
        for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            texts.push_back(Ui_Text(c));
        GetObjectA(reinterpret_cast<HGDIOBJ>(SendDlgItemMessageA(dialog, IDC_ABOUT_PICTURE,
                                                                 STM_GETIMAGE, IMAGE_BITMAP, 0)),
                   sizeof(picture), &picture);
        okHasFocus = GetFocus() == GetDlgItem(dialog, IDOK);
        SetTimer(dialog, 1, UI_DEADLINE_MS, GiveUp);
        switch (GetParam().second) {
        case BY_OK: Ui_PressButton(dialog, IDOK); break;
        case BY_ENTER: Ui_PressKey(VK_RETURN); break;
        case BY_ESCAPE: Ui_PressKey(VK_ESCAPE); break;
        case BY_CLOSE_BOX: PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); break;
        }
    });
    RECT r;
    SendMessageA(appState.toolBar, TB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&r));
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    switch (GetParam().first) {
    case FROM_MENU: SendMessageA(app.main(), WM_COMMAND, IDM_ABOUT, 0); break;
    case FROM_TOOLBAR:
        SendMessageA(appState.toolBar, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(appState.toolBar, WM_LBUTTONUP, 0, at);
        break;
    case FROM_SHIFT_F1: Ui_PressKey(VK_F1, false, true); break;
    }
    // The dialog runs inside the pump when a key opened it.
    Ui_PumpUntil([&] { return !texts.empty(); });
    EXPECT_FALSE(gaveUp);
    EXPECT_EQ(owner, app.main());
    EXPECT_EQ(GetFocus(), app.main());
    // The version is the program's, never the template's "Version 0".
    const std::vector<std::string> expected = {
        Ansi(u"\uD504\uB85C\uADF8\uB7A8 \uC815\uBCF4"),
        "",
        "",
        "ORV System Utiliy with GUI",
        "1.0.0",
        "Copyright (C) 2026 the tile order utility authors",
        "",
        Ansi(u"\uC774 \uD504\uB85C\uADF8\uB7A8\uC740 Win32 API\uC758 \uC608\uC81C\uC785\uB2C8"
             u"\uB2E4.\r\n\r\nMicrosoft Windows XP\uC758 \uD55C\uAD6D\uC5B4 \uBC84\uC804\uC5D0"
             u"\uC11C \uAC1C\uBC1C\uB418\uC5C8\uC2B5\uB2C8\uB2E4.\r\n\r\nPelar\uC5D0\uC11C "
             u"\uD504\uB85C\uADF8\uB7A8 \uC9C0\uC6D0\uC744 \uD558\uACE0 \uC788\uC2B5\uB2C8\uB2E4."
             u"\r\n"),
        Ansi(u"\uD655\uC778(&O)")};
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(std::make_pair(picture.bmWidth, picture.bmHeight), std::make_pair(250L, 36L));
    EXPECT_TRUE(okHasFocus);
}

INSTANTIATE_TEST_SUITE_P(Ways, AboutBox,
                         ::testing::Values(std::make_pair(FROM_MENU, BY_OK),
                                           std::make_pair(FROM_TOOLBAR, BY_ENTER),
                                           std::make_pair(FROM_SHIFT_F1, BY_ESCAPE),
                                           std::make_pair(FROM_MENU, BY_CLOSE_BOX)));

} // namespace
