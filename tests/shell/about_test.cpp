// The about box: version, about text and picture (the program's one legend
// bitmap), opened each of three ways and closed one of four, after which the
// main window has the focus again.
#include <gtest/gtest.h>
#include "resources/resource.h"
#include "shell/appstate.h"
#include "tests/support/uitest.h"

namespace {

enum OpenBy { FROM_MENU, FROM_TOOLBAR, FROM_SHIFT_F1 };
enum CloseBy { BY_OK, BY_ENTER, BY_ESCAPE, BY_CLOSE_BOX };

class AboutBox : public ::testing::TestWithParam<std::pair<OpenBy, CloseBy>> {};

TEST_P(AboutBox, ShowsTheVersionTextAndPictureClosesAndGivesTheFocusBack) {
    AppSession app;
    HWND box = nullptr, owner = nullptr;
    HGDIOBJ shown = nullptr;
    std::string version, text;
    BITMAP picture = {};
    DialogScript script([&](HWND dialog, int) {
        box = dialog;
        owner = GetWindow(dialog, GW_OWNER);
        version = Ui_Text(GetDlgItem(dialog, IDC_ABOUT_VERSION));
        text = Ui_Text(GetDlgItem(dialog, IDC_ABOUT_TEXT));
        shown = reinterpret_cast<HGDIOBJ>(
            SendDlgItemMessageA(dialog, IDC_ABOUT_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0));
        GetObjectA(shown, sizeof(picture), &picture);
        switch (GetParam().second) {
        case BY_OK: Ui_PressButton(dialog, IDOK); break;
        case BY_CLOSE_BOX: PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); break;
        default: Ui_PressKey(GetParam().second == BY_ENTER ? VK_RETURN : VK_ESCAPE);
        }
    });
    switch (GetParam().first) {
    case FROM_MENU: SendMessageA(app.main(), WM_COMMAND, IDM_ABOUT, 0); break;
    case FROM_TOOLBAR: Ui_ClickToolbar(2); break;
    case FROM_SHIFT_F1: Ui_PressKey(VK_F1, false, true); break;
    }
    ASSERT_TRUE(Ui_PumpUntil([&] { return box && !IsWindow(box); }));
    EXPECT_EQ(std::make_tuple(script.gaveUp, owner, GetFocus()),
              std::make_tuple(false, app.main(), app.main()));
    EXPECT_EQ(std::make_tuple(version, text, picture.bmWidth, picture.bmHeight, shown),
              std::make_tuple("1.0.0", Ui_String(IDS_ABOUT_TEXT), 250L, 36L,
                              HGDIOBJ(App_LegendBitmap())));
}

INSTANTIATE_TEST_SUITE_P(Ways, AboutBox,
                         ::testing::Values(std::make_pair(FROM_MENU, BY_OK),
                                           std::make_pair(FROM_TOOLBAR, BY_ENTER),
                                           std::make_pair(FROM_SHIFT_F1, BY_ESCAPE),
                                           std::make_pair(FROM_MENU, BY_CLOSE_BOX)));

} // namespace
