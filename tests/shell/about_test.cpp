// The about box: the program's version and about text and its picture,
// opened in each of the three ways (menu, toolbar button, Shift+F1) and
// closed in one of the four (OK, Enter, Escape, the close box), after which
// the main window has the focus again.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include "resources/resource.h"
#include "shell/appstate.h"
#include "tests/shell/uitest.h"

namespace {

enum OpenBy { FROM_MENU, FROM_TOOLBAR, FROM_SHIFT_F1 };
enum CloseBy { BY_OK, BY_ENTER, BY_ESCAPE, BY_CLOSE_BOX };

class AboutBox : public ::testing::TestWithParam<std::pair<OpenBy, CloseBy>> {};

TEST_P(AboutBox, ShowsTheVersionTextAndPictureClosesAndGivesTheFocusBack) {
    AppSession app;
    HWND box = nullptr, owner = nullptr;
    std::string version, text;
    BITMAP picture = {};
    DialogScript script([&](HWND dialog, int) {
        box = dialog;
        owner = GetWindow(dialog, GW_OWNER);
        version = Ui_Text(GetDlgItem(dialog, IDC_ABOUT_VERSION));
        text = Ui_Text(GetDlgItem(dialog, IDC_ABOUT_TEXT));
        GetObjectA(reinterpret_cast<HGDIOBJ>(SendDlgItemMessageA(dialog, IDC_ABOUT_PICTURE,
                                                                 STM_GETIMAGE, IMAGE_BITMAP, 0)),
                   sizeof(picture), &picture);
        switch (GetParam().second) {
        case BY_OK: Ui_PressButton(dialog, IDOK); break;
        case BY_ENTER: Ui_PressKey(VK_RETURN); break;
        case BY_ESCAPE: Ui_PressKey(VK_ESCAPE); break;
        case BY_CLOSE_BOX: PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); break;
        }
    });
    switch (GetParam().first) {
    case FROM_MENU: SendMessageA(app.main(), WM_COMMAND, IDM_ABOUT, 0); break;
    case FROM_TOOLBAR: Ui_ClickToolbar(2); break;
    case FROM_SHIFT_F1: Ui_PressKey(VK_F1, false, true); break;
    }
    // The dialog runs inside the pump when a key opened it.
    ASSERT_TRUE(Ui_PumpUntil([&] { return box && !IsWindow(box); }));
    EXPECT_FALSE(script.gaveUp);
    EXPECT_EQ(owner, app.main());
    EXPECT_EQ(GetFocus(), app.main());
    EXPECT_EQ(version, "1.0.0"); // the program's, never the template's "Version 0"
    EXPECT_EQ(text, Ui_String(IDS_ABOUT_TEXT));
    EXPECT_EQ(std::make_pair(picture.bmWidth, picture.bmHeight), std::make_pair(250L, 36L));
}

INSTANTIATE_TEST_SUITE_P(Ways, AboutBox,
                         ::testing::Values(std::make_pair(FROM_MENU, BY_OK),
                                           std::make_pair(FROM_TOOLBAR, BY_ENTER),
                                           std::make_pair(FROM_SHIFT_F1, BY_ESCAPE),
                                           std::make_pair(FROM_MENU, BY_CLOSE_BOX)));

} // namespace
