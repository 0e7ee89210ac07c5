// The main window: the menus' Korean texts (as CP949 bytes), commands and
// help in the status bar; the toolbar and its drop-down menu; showing and
// hiding the bars (check marks, the text window's 8-pixel margins); Escape
// dropped while the text window has the focus; resizing.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include "resources/resource.h"
#include "shell/appstate.h"
#include "tests/shell/uitest.h"

namespace {

std::string MenuText(HMENU menu, UINT position) {
    char text[256] = "";
    GetMenuStringA(menu, position, text, sizeof(text), MF_BYPOSITION);
    return text;
}

RECT RectIn(HWND window, HWND parent) {
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The status bar's text; "(simple)" in front while it shows menu help.
std::string StatusText() {
    char text[512] = "";
    SendMessageA(appState.statusBar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    return (SendMessageA(appState.statusBar, SB_ISSIMPLE, 0, 0) ? "(simple)" : "") +
           std::string(text);
}

constexpr const char16_t* TILE_ORDER = u"\uD0C0\uC77C \uC21C\uC11C \uBC14\uAFB8\uAE30(&H)...";
constexpr const char16_t* ABOUT_HELP = u"\uD504\uB85C\uADF8\uB7A8 \uC800\uC791\uAD8C "
                                       u"\uC815\uBCF4\uB97C \uD45C\uC2DC\uD569\uB2C8\uB2E4";

struct MenuRow {
    UINT command; // 0: a popup of the menu bar; -1: a separator
    const char16_t *text, *help;
};

// The menu bar in order: each popup, then its items, with the help shown
// while they are highlighted. Wine's MenuHelp gives every popup of the
// menu bar the first one's help, so only that one is checked.
const MenuRow menuRows[] = {
    {0, u"\uD30C\uC77C(&F)",
     u"\uD30C\uC77C\uC744 \uC870\uC791\uD558\uB294 \uBA85\uB839\uC774 \uC788\uC2B5\uB2C8\uB2E4"},
    {IDM_EXIT, u"\uD504\uB85C\uADF8\uB7A8 \uC885\uB8CC(&X)",
     u"\uD504\uB85C\uADF8\uB7A8\uC744 \uC885\uB8CC\uD569\uB2C8\uB2E4"},
    {0, u"\uC2E4\uD589(&C)", nullptr},
    {IDM_TILEORDER, TILE_ORDER,
     u"\uADF8\uB798\uD53D \uD0C0\uC77C\uC758 \uC21C\uC11C\uB97C \uBC14\uAFC9\uB2C8\uB2E4"},
    {0, u"\uBCF4\uAE30(&V)", nullptr},
    {IDM_TOOLBAR, u"\uB3C4\uAD6C \uBAA8\uC74C(&T)\tAlt+T",
     u"\uB3C4\uAD6C\uBAA8\uC74C\uC744 \uD45C\uC2DC\uD558\uAC70\uB098 \uC228\uAE41\uB2C8\uB2E4"},
    {IDM_STATUSBAR, u"\uC0C1\uD0DC \uD45C\uC2DC\uC904(&S)\tAlt+S",
     u"\uC0C1\uD0DC \uD45C\uC2DC\uC904\uC744 \uD45C\uC2DC\uD558\uAC70\uB098 "
     u"\uC228\uAE41\uB2C8\uB2E4"},
    {0, u"\uC635\uC158(&O)", nullptr},
    {IDM_FONT, u"\uD14D\uC2A4\uD2B8 \uAE00\uAF34 \uC124\uC815(&F)...",
     u"\uD14D\uC2A4\uD2B8 \uCC3D\uC5D0\uC11C \uC0AC\uC6A9\uD558\uB294 \uAE00\uAF34\uC744 "
     u"\uC124\uC815\uD569\uB2C8\uB2E4"},
    {UINT(-1), u"", nullptr},
    {IDM_EDITOR, u"\uBA54\uBAA8\uC7A5 \uD504\uB85C\uADF8\uB7A8 \uC9C0\uC815(&E)...", u""},
    {0, u"\uB3C4\uC6C0\uB9D0(&H)", nullptr},
    {IDM_ABOUT, u"\uD504\uB85C\uADF8\uB7A8 \uC815\uBCF4(&A)...", ABOUT_HELP}};

TEST(MainMenu, ItemsCarryTheirTextsCommandsAndStatusBarHelp) {
    AppSession app;
    // The ANSI code page is 949 and the texts reach the program as its bytes.
    ASSERT_EQ(GetACP(), 949u);
    HMENU bar = GetMenu(app.main()), popup = nullptr;
    EXPECT_EQ(MenuText(bar, 0), "\xC6\xC4\xC0\xCF(&F)");
    int popups = 0, item = 0, items = 0;
    for (const MenuRow& row : menuRows) {
        SCOPED_TRACE(Ansi(row.text));
        // WM_MENUSELECT as the menu loop sends it while an item is highlighted.
        if (row.command == 0) {
            popup = GetSubMenu(bar, popups);
            items += GetMenuItemCount(popup);
            EXPECT_EQ(MenuText(bar, popups), Ansi(row.text));
            SendMessageA(app.main(), WM_MENUSELECT, MAKEWPARAM(popups++, MF_POPUP | MF_HILITE),
                         reinterpret_cast<LPARAM>(bar));
            item = 0;
        } else if (row.command == UINT(-1)) {
            EXPECT_TRUE(GetMenuState(popup, item++, MF_BYPOSITION) & MF_SEPARATOR);
        } else {
            EXPECT_EQ(GetMenuItemID(popup, item), row.command);
            EXPECT_EQ(MenuText(popup, item++), Ansi(row.text));
            SendMessageA(app.main(), WM_MENUSELECT, MAKEWPARAM(row.command, MF_HILITE),
                         reinterpret_cast<LPARAM>(popup));
        }
        if (!row.help) continue;
        EXPECT_EQ(StatusText(), "(simple)" + Ansi(row.help));
    }
    // No item beyond those listed.
    EXPECT_EQ(GetMenuItemCount(bar), popups);
    EXPECT_EQ(items, static_cast<int>(std::size(menuRows)) - popups);
    // The menu closing brings the status bar's own text back.
    SendMessageA(app.main(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(StatusText(), Ansi(u"\uC900\uBE44"));
    // A real menu loop: Alt+V opens "view" with the toolbar item highlighted.
    std::string shown;
    IdleScript script([&](HWND, WPARAM kind, int visit) {
        if (kind != MSGF_MENU || visit != 0) return;
        shown = StatusText();
        EndMenu();
    });
    SendMessageA(app.main(), WM_SYSCOMMAND, SC_KEYMENU, 'v');
    EXPECT_EQ(shown, "(simple)" + Ansi(menuRows[5].help));
    EXPECT_EQ(StatusText(), Ansi(u"\uC900\uBE44"));
}

TEST(Toolbar, ButtonsHaveTheirLabelsAndTooltipsAndSitBelowTheMenu) {
    AppSession app;
    HWND tb = appState.toolBar;
    ASSERT_EQ(SendMessageA(tb, TB_BUTTONCOUNT, 0, 0), 3);
    const struct {
        int index, command;
        const char16_t *label, *tip;
    } buttons[] = {{0, IDM_RUN_BUTTON, u"\uC2E4\uD589",
                    u"\uC120\uD0DD\uB41C \uD56D\uBAA9\uC5D0 \uC758\uD574 \uC2E4\uD589\uB418\uB294 "
                    u"\uBA85\uB839\uC774 \uC788\uC2B5\uB2C8\uB2E4"},
                   {2, IDM_ABOUT, u"\uB9CC\uB4E0\uC774 \uC815\uBCF4", ABOUT_HELP}};
    for (auto& b : buttons) {
        SCOPED_TRACE(b.command);
        TBBUTTON button = {};
        SendMessageA(tb, TB_GETBUTTON, b.index, reinterpret_cast<LPARAM>(&button));
        EXPECT_EQ(button.idCommand, b.command);
        char label[64] = "";
        SendMessageA(tb, TB_GETBUTTONTEXTA, b.command, reinterpret_cast<LPARAM>(label));
        EXPECT_EQ(std::string(label), Ansi(b.label));
        NMTTDISPINFOA info = {};
        info.hdr.code = TTN_GETDISPINFOA;
        SendMessageA(app.main(), WM_NOTIFY, b.command, reinterpret_cast<LPARAM>(&info));
        EXPECT_EQ(std::string(info.lpszText ? info.lpszText : "(null)"), Ansi(b.tip));
    }
    // The toolbar sits at the top of the client area, below the menu bar.
    EXPECT_EQ(RectIn(tb, app.main()).top, 0);
}

// The arrow of the run button drops the tool menu centred under the
// button's left edge; Enter on its one item runs it, Escape runs nothing.
TEST(Toolbar, TheRunArrowDropsTheToolMenuUnderTheButton) {
    AppSession app;
    std::vector<UINT> commands;
    SentWatcher commandWatcher([&](const CWPSTRUCT& m) {
        if (m.hwnd == app.main() && m.message == WM_COMMAND) commands.push_back(LOWORD(m.wParam));
    });
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        RECT menuRect = {}, button = {};
        std::vector<std::string> items;
        IdleScript script([&](HWND, WPARAM kind, int visit) {
            if (kind != MSGF_MENU || visit != 0) return;
            HWND popup = FindWindowA("#32768", nullptr);
            GetWindowRect(popup, &menuRect);
            HMENU menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
            for (int i = 0; i < GetMenuItemCount(menu); ++i)
                items.push_back(MenuText(menu, i));
            PostMessageA(app.main(), WM_KEYDOWN, VK_DOWN, 0);
            PostMessageA(app.main(), WM_KEYDOWN, key, 0);
        });
        SendMessageA(appState.toolBar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button));
        LPARAM at = MAKELPARAM(button.right - 4, (button.top + button.bottom) / 2);
        SendMessageA(appState.toolBar, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(appState.toolBar, WM_LBUTTONUP, 0, at);
        EXPECT_EQ(items, std::vector<std::string>{Ansi(TILE_ORDER)});
        POINT corner = {button.left, button.bottom};
        ClientToScreen(appState.toolBar, &corner);
        EXPECT_LE(abs((menuRect.left + menuRect.right) / 2 - corner.x), 1);
        EXPECT_EQ(menuRect.top, corner.y);
    }
    EXPECT_EQ(commands, std::vector<UINT>{IDM_TILEORDER});
}

// The text window keeps 8 pixels to the client edges and the visible bars.
void ExpectTextMargins(HWND main) {
    RECT client, text = RectIn(GetDlgItem(main, IDC_TEXT), main);
    GetClientRect(main, &client);
    LONG top = IsWindowVisible(appState.toolBar) ? RectIn(appState.toolBar, main).bottom : 0;
    LONG bottom =
        IsWindowVisible(appState.statusBar) ? RectIn(appState.statusBar, main).top : client.bottom;
    EXPECT_EQ(text.left, 8);
    EXPECT_EQ(text.right, client.right - 8);
    EXPECT_EQ(text.top, top + 8);
    EXPECT_EQ(text.bottom, bottom - 8);
}

void ExpectBars(HWND main, bool toolBar, bool statusBar) {
    HMENU menu = GetMenu(main);
    EXPECT_EQ((GetMenuState(menu, IDM_TOOLBAR, MF_BYCOMMAND) & MF_CHECKED) != 0, toolBar);
    EXPECT_EQ((GetMenuState(menu, IDM_STATUSBAR, MF_BYCOMMAND) & MF_CHECKED) != 0, statusBar);
    EXPECT_EQ(IsWindowVisible(appState.toolBar) != 0, toolBar);
    EXPECT_EQ(IsWindowVisible(appState.statusBar) != 0, statusBar);
    ExpectTextMargins(main);
}

// Steps t and s send the toolbar and status bar commands, T and S press
// Alt+T and Alt+S; each shows or hides its bar.
TEST(Bars, CommandsAndAcceleratorsShowAndHideThemAndTheTextWindowFollows) {
    AppSession app;
    bool toolBar = true, statusBar = true;
    ExpectBars(app.main(), toolBar, statusBar);
    for (char step : std::string("tstsTSTS")) {
        SCOPED_TRACE(step);
        bool tool = step == 't' || step == 'T';
        bool& shown = tool ? toolBar : statusBar;
        shown = !shown;
        if (step == 'T' || step == 'S') {
            Ui_PressKey(step, true);
            Ui_PumpUntil([&] {
                return appState.toolBarVisible == toolBar && appState.statusBarVisible == statusBar;
            });
        } else {
            SendMessageA(app.main(), WM_COMMAND, tool ? IDM_TOOLBAR : IDM_STATUSBAR, 0);
        }
        ExpectBars(app.main(), toolBar, statusBar);
    }
}

TEST(Escape, IsDroppedWhileTheTextWindowHasTheFocus) {
    AppSession app;
    int cancels = 0;
    SentWatcher watcher([&](const CWPSTRUCT& m) {
        if (m.hwnd == app.main() && m.message == WM_COMMAND && LOWORD(m.wParam) == IDCANCEL)
            ++cancels;
    });
    SetFocus(app.text());
    for (UINT message : {WM_KEYDOWN, WM_CHAR}) {
        MSG msg = {app.text(), message, VK_ESCAPE, 0x00010001, 0, {0, 0}};
        EXPECT_EQ(App_RouteMessage(&msg), APP_ROUTE_DROPPED) << message;
    }
    Ui_PressKey(VK_ESCAPE); // from the keyboard too
    Ui_PumpUntil([] { return HIWORD(GetQueueStatus(QS_ALLINPUT)) == 0; });
    EXPECT_EQ(cancels, 0);
    EXPECT_EQ(GetFocus(), app.text());
    // With the focus elsewhere Escape reaches the dialog manager.
    SetFocus(app.main());
    MSG toMain = {app.main(), WM_KEYDOWN, VK_ESCAPE, 0x00010001, 0, {0, 0}};
    EXPECT_EQ(App_RouteMessage(&toMain), APP_ROUTE_DIALOG);
    EXPECT_EQ(cancels, 1);
}

TEST(Placement, MinimisingResizingAndSettingsChangesKeepTheLayout) {
    AppSession app;
    HWND main = app.main();
    RECT w, client;
    ShowWindow(main, SW_MINIMIZE);
    ShowWindow(main, SW_RESTORE);
    for (int d : {0, 60, -30, 31}) {
        SCOPED_TRACE(d);
        GetWindowRect(main, &w);
        SetWindowPos(main, nullptr, 0, 0, w.right - w.left + d, w.bottom - w.top + d / 2,
                     SWP_NOMOVE | SWP_NOZORDER);
        GetClientRect(main, &client);
        RECT status = RectIn(appState.statusBar, main);
        EXPECT_EQ(status.bottom, client.bottom);
        EXPECT_EQ(status.right - status.left, client.right);
        ExpectTextMargins(main);
    }
    // A settings change puts the window back at its start-up place, centred.
    SendMessageA(main, WM_SETTINGCHANGE, 0, 0);
    GetWindowRect(main, &w);
    EXPECT_LE(abs(w.left + w.right - GetSystemMetrics(SM_CXSCREEN)), 1);
    EXPECT_LE(abs(w.top + w.bottom - GetSystemMetrics(SM_CYSCREEN)), 1);
}

} // namespace
