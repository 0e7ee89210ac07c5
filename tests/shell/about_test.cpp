// The about box. Covers: its texts, picture and controls as the user sees
// them, the read-only but selectable about text, the four ways to close it
// (OK, Enter, Escape, the close box) each ending the dialog with 0, and the
// three ways to open it (menu command, toolbar button, Shift+F1) after each
// of which the main window has the keyboard focus again.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>
#include "resources/resource.h"
#include "shell/about.h"
#include "shell/appstate.h"
#include "tests/shell/texts.h"
#include "tests/shell/uitest.h"

namespace {

struct ControlSeen {
    std::string className;
    int id;
    std::string text;
    LONG style;
};

std::vector<ControlSeen> Controls(HWND dialog) {
    std::vector<ControlSeen> out;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        out.push_back({Ui_ClassName(c), GetDlgCtrlID(c), Ui_Text(c), GetWindowLongA(c, GWL_STYLE)});
    }
    return out;
}

INT_PTR RunAbout(HWND owner) {
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), owner,
                           AboutDlgProc, 0);
}

TEST(AboutBox, ShowsItsTextsAndPicture) {
    AppSession app;
    std::string caption;
    std::vector<ControlSeen> controls;
    SIZE picture = {0, 0};
    RECT pictureWindow = {};
    HWND focus = nullptr, okButton = nullptr, owner = nullptr;
    DWORD selection = 0;
    IdleScript script([&](HWND dialog, WPARAM kind, int visit) {
        if (kind != MSGF_DIALOGBOX || visit != 0) return;
        caption = Ui_Text(dialog);
        controls = Controls(dialog);
        owner = GetWindow(dialog, GW_OWNER);
        HBITMAP bitmap = reinterpret_cast<HBITMAP>(
            SendDlgItemMessageA(dialog, IDC_ABOUT_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0));
        BITMAP info = {};
        if (bitmap && GetObjectA(bitmap, sizeof(info), &info)) {
            picture = {info.bmWidth, info.bmHeight};
        }
        GetWindowRect(GetDlgItem(dialog, IDC_ABOUT_PICTURE), &pictureWindow);
        focus = GetFocus();
        okButton = GetDlgItem(dialog, IDOK);
        SendDlgItemMessageA(dialog, IDC_ABOUT_TEXT, EM_SETSEL, 3, 9);
        selection =
            static_cast<DWORD>(SendDlgItemMessageA(dialog, IDC_ABOUT_TEXT, EM_GETSEL, 0, 0));
        Ui_PressButton(dialog, IDOK);
    });
    EXPECT_EQ(RunAbout(app.main()), 0);
    EXPECT_EQ(caption, Ansi(texts::ABOUT_TITLE));
    EXPECT_EQ(owner, app.main());
    ASSERT_EQ(controls.size(), 8u);
    const int ids[] = {IDC_ABOUT_PICTURE, -1, -1, IDC_ABOUT_VERSION, -1, -1, IDC_ABOUT_TEXT, IDOK};
    for (size_t i = 0; i < controls.size(); ++i)
        EXPECT_EQ(controls[i].id, ids[i]) << i;
    EXPECT_EQ(controls[1].style & SS_TYPEMASK, SS_ETCHEDHORZ);
    EXPECT_EQ(controls[5].style & SS_TYPEMASK, SS_ETCHEDHORZ);
    EXPECT_EQ(controls[2].text, "ORV System Utiliy with GUI");
    EXPECT_EQ(controls[3].text, "1.0.0"); // never the template's "Version 0"
    EXPECT_EQ(controls[4].text.rfind("Copyright (C) ", 0), 0u) << controls[4].text;
    for (int i : {2, 3, 4})
        EXPECT_EQ(controls[i].style & SS_TYPEMASK, SS_CENTER) << i;
    EXPECT_EQ(controls[6].text, Ansi(texts::ABOUT_TEXT));
    EXPECT_EQ(controls[7].text, Ansi(texts::ABOUT_OK));
    // The picture is bitmap 120 at its own size.
    EXPECT_EQ(picture.cx, 250);
    EXPECT_EQ(picture.cy, 36);
    EXPECT_EQ(pictureWindow.right - pictureWindow.left, 250);
    EXPECT_EQ(pictureWindow.bottom - pictureWindow.top, 36);
    // The about text is read-only, scrolls, and can be selected.
    LONG textStyle = controls[6].style;
    EXPECT_TRUE(textStyle & ES_READONLY);
    EXPECT_TRUE(textStyle & ES_MULTILINE);
    EXPECT_TRUE(textStyle & WS_VSCROLL);
    EXPECT_TRUE(textStyle & WS_HSCROLL);
    EXPECT_EQ(LOWORD(selection), 3);
    EXPECT_EQ(HIWORD(selection), 9);
    // The default focus is the OK button.
    EXPECT_EQ(focus, okButton);
}

enum CloseBy { BY_OK, BY_ENTER, BY_ESCAPE, BY_CLOSE_BOX };

void Close(HWND dialog, CloseBy how) {
    switch (how) {
    case BY_OK: Ui_PressButton(dialog, IDOK); break;
    case BY_ENTER: Ui_PressKey(VK_RETURN); break;
    case BY_ESCAPE: Ui_PressKey(VK_ESCAPE); break;
    case BY_CLOSE_BOX: PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); break;
    }
}

class AboutClose : public ::testing::TestWithParam<CloseBy> {};

TEST_P(AboutClose, EndsTheDialogWithZero) {
    AppSession app;
    int idles = 0;
    IdleScript script([&](HWND dialog, WPARAM kind, int visit) {
        if (kind != MSGF_DIALOGBOX) return;
        ++idles;
        if (visit == 0) Close(dialog, GetParam());
        // A way that did not close it: give up with a failure, not a hang.
        if (visit == 50) EndDialog(dialog, 99);
    });
    EXPECT_EQ(RunAbout(app.main()), 0);
    EXPECT_GE(idles, 1);
}

INSTANTIATE_TEST_SUITE_P(Ways, AboutClose,
                         ::testing::Values(BY_OK, BY_ENTER, BY_ESCAPE, BY_CLOSE_BOX));

enum OpenBy { FROM_MENU, FROM_TOOLBAR, FROM_SHIFT_F1 };

class AboutOpen : public ::testing::TestWithParam<OpenBy> {};

TEST_P(AboutOpen, OpensOverTheMainWindowAndGivesTheFocusBack) {
    AppSession app;
    HWND owner = nullptr;
    int shown = 0;
    IdleScript script([&](HWND dialog, WPARAM kind, int visit) {
        if (kind != MSGF_DIALOGBOX || visit != 0) return;
        ++shown;
        owner = GetWindow(dialog, GW_OWNER);
        EXPECT_EQ(Ui_Text(dialog), Ansi(texts::ABOUT_TITLE));
        Ui_PressButton(dialog, IDOK);
    });
    switch (GetParam()) {
    case FROM_MENU: SendMessageA(app.main(), WM_COMMAND, IDM_ABOUT, 0); break;
    case FROM_TOOLBAR: {
        RECT r;
        SendMessageA(appState.toolBar, TB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&r));
        LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        SendMessageA(appState.toolBar, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(appState.toolBar, WM_LBUTTONUP, 0, at);
        break;
    }
    case FROM_SHIFT_F1:
        Ui_PressKey(VK_F1, false, true);
        Ui_PumpUntil([&] { return shown > 0; });
        break;
    }
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(owner, app.main());
    EXPECT_EQ(GetFocus(), app.main());
}

INSTANTIATE_TEST_SUITE_P(Sources, AboutOpen,
                         ::testing::Values(FROM_MENU, FROM_TOOLBAR, FROM_SHIFT_F1));

} // namespace
