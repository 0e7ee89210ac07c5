// The main window: menu help in the status bar, the toolbar and its menu,
// showing and hiding the bars, Escape at the text window, resizing.
#include <gtest/gtest.h>
#include "resources/resource.h"
#include "shell/appstate.h"
#include "tests/support/uitest.h"
#include <commctrl.h>
#include <algorithm>

namespace {

// The status bar's text; "(simple)" in front while it shows menu help.
std::string StatusText() {
    char text[512] = "";
    SendMessageA(appState.statusBar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    return (SendMessageA(appState.statusBar, SB_ISSIMPLE, 0, 0) ? "(simple)" : "") +
           std::string(text);
}

// Each item of the menu bar shows its command's string while highlighted, a
// popup of the menu bar the string 60 + its position (Wine's MenuHelp gives
// every popup the first one's); the menu closing brings the own text back.
// The toolbar's labels and tooltips; the run button's arrow drops the tool
// menu centred under its left edge, where Enter on the one item opens the
// tool and Escape runs nothing; the button opens it too. Escape is dropped
// while the text window has the focus, else reaches the dialog manager.
TEST(MainWindow, MenuHelpToolbarAndEscape) {
    AppSession app;
    HMENU bar = GetMenu(app.main());
    SendMessageA(app.main(), WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP | MF_HILITE), LPARAM(bar));
    EXPECT_EQ(StatusText(), "(simple)" + Ui_String(IDS_HELP_FILE));
    for (int p = 0; p < GetMenuItemCount(bar); ++p) {
        HMENU popup = GetSubMenu(bar, p);
        for (int i = 0; i < GetMenuItemCount(popup); ++i) {
            UINT id = GetMenuItemID(popup, i);
            if (id == 0) continue; // a separator (the items: the resource test)
            SendMessageA(app.main(), WM_MENUSELECT, MAKEWPARAM(id, MF_HILITE), LPARAM(popup));
            EXPECT_EQ(StatusText(), "(simple)" + Ui_String(static_cast<int>(id))) << id;
        }
    }
    SendMessageA(app.main(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(StatusText(), Ui_String(IDS_READY));
    HWND tb = appState.toolBar;
    EXPECT_EQ(Ui_RectIn(tb, app.main()).top, 0); // at the top of the client area
    ASSERT_EQ(SendMessageA(tb, TB_BUTTONCOUNT, 0, 0), 3);
    const int buttons[][3] = {{0, IDM_RUN_BUTTON, IDS_RUN_LABEL}, {2, IDM_ABOUT, IDS_AUTHOR_LABEL}};
    for (auto& [index, command, label] : buttons) {
        char text[64] = "";
        SendMessageA(tb, TB_GETBUTTONTEXTA, command, reinterpret_cast<LPARAM>(text));
        NMTTDISPINFOA info = {};
        info.hdr.code = TTN_GETDISPINFOA;
        SendMessageA(app.main(), WM_NOTIFY, command, reinterpret_cast<LPARAM>(&info));
        EXPECT_EQ(std::make_tuple(SendMessageA(tb, TB_COMMANDTOINDEX, command, 0),
                                  std::string(text), std::string(info.lpszText)),
                  std::make_tuple(LRESULT(index), Ui_String(label), Ui_String(command)));
    }
    int tools = 0; // tool dialogs opened, each closed at once
    DialogScript closer([&](HWND d, int) {
        tools += GetDlgItem(d, IDC_TOOL_METHOD) != nullptr;
        Ui_PressButton(d, IDCANCEL);
    });
    std::vector<UINT> commands;
    SentWatcher commandWatcher([&](const CWPSTRUCT& m) {
        if (m.hwnd == app.main() && m.message == WM_COMMAND) commands.push_back(LOWORD(m.wParam));
    });
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        RECT menuRect = {}, button = {};
        UINT item = 0;  // the one item
        int visits = 0; // when the menu loop first waits for input
        SentWatcher script([&](const CWPSTRUCT& m) {
            if (m.message != WM_ENTERIDLE || m.wParam != MSGF_MENU || visits++ > 0) return;
            HWND popup = FindWindowA("#32768", nullptr);
            GetWindowRect(popup, &menuRect);
            HMENU menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
            item = GetMenuItemCount(menu) == 1 ? GetMenuItemID(menu, 0) : 0;
            PostMessageA(app.main(), WM_KEYDOWN, VK_DOWN, 0);
            PostMessageA(app.main(), WM_KEYDOWN, key, 0);
        });
        Ui_ClickToolbar(0, true);
        SendMessageA(tb, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button));
        MapWindowPoints(tb, nullptr, reinterpret_cast<POINT*>(&button), 2);
        EXPECT_TRUE(item == IDM_TILEORDER && menuRect.top == button.bottom &&
                    abs(menuRect.left + menuRect.right - 2 * button.left) <= 2);
    }
    Ui_ClickToolbar(0);
    EXPECT_EQ(commands, (std::vector<UINT>{IDM_TILEORDER, IDM_RUN_BUTTON}));
    EXPECT_EQ(tools, 2);
    // Escape at the window with the focus: the route, and a cancel only from the dialog manager.
    const std::tuple<HWND, UINT, int> escapes[] = {{app.text(), WM_KEYDOWN, APP_ROUTE_DROPPED},
                                                   {app.text(), WM_CHAR, APP_ROUTE_DROPPED},
                                                   {app.main(), WM_KEYDOWN, APP_ROUTE_DIALOG}};
    for (auto [window, message, route] : escapes) {
        SetFocus(window);
        MSG msg = {window, message, VK_ESCAPE, 0x00010001, 0, {0, 0}};
        EXPECT_EQ(App_RouteMessage(&msg), route) << message;
    }
    EXPECT_EQ(std::count(commands.begin(), commands.end(), UINT(IDCANCEL)), 1);
}

// The bars' check marks and visibility; the text window keeps 8 pixels to
// the client edges and the visible bars; the status bar spans the bottom.
void ExpectBars(HWND main, bool toolBar, bool statusBar) {
    HMENU menu = GetMenu(main);
    EXPECT_EQ((GetMenuState(menu, IDM_TOOLBAR, MF_BYCOMMAND) & MF_CHECKED) != 0, toolBar);
    EXPECT_EQ((GetMenuState(menu, IDM_STATUSBAR, MF_BYCOMMAND) & MF_CHECKED) != 0, statusBar);
    EXPECT_EQ(IsWindowVisible(appState.toolBar) != 0, toolBar);
    EXPECT_EQ(IsWindowVisible(appState.statusBar) != 0, statusBar);
    RECT client, text = Ui_RectIn(GetDlgItem(main, IDC_TEXT), main);
    RECT status = Ui_RectIn(appState.statusBar, main);
    GetClientRect(main, &client);
    LONG top = toolBar ? Ui_RectIn(appState.toolBar, main).bottom : 0;
    LONG bottom = statusBar ? status.top : client.bottom;
    EXPECT_TRUE(!statusBar ||
                (status.bottom == client.bottom && status.right - status.left == client.right));
    EXPECT_EQ(std::make_tuple(text.left, text.top, text.right, text.bottom),
              std::make_tuple(8L, top + 8, client.right - 8, bottom - 8));
}

// Steps t and s send the bars' commands, T and S press Alt+T and Alt+S,
// each after minimising, restoring and resizing the window. A settings
// change puts the window back at its start-up place, centred.
TEST(Bars, CommandsAndAcceleratorsShowAndHideThemAndTheTextWindowFollows) {
    AppSession app;
    bool toolBar = true, statusBar = true;
    ExpectBars(app.main(), toolBar, statusBar);
    for (char step : std::string("tstsTSTS")) {
        SCOPED_TRACE(step);
        ShowWindow(app.main(), step == 's' ? SW_MINIMIZE : SW_SHOWNORMAL);
        ShowWindow(app.main(), SW_RESTORE);
        RECT w = Ui_RectIn(app.main(), nullptr);
        SetWindowPos(app.main(), nullptr, 0, 0, w.right - w.left + (step % 7) * 9 - 27,
                     w.bottom - w.top + step % 5 * 4, SWP_NOMOVE | SWP_NOZORDER);
        bool tool = step == 't' || step == 'T';
        (tool ? toolBar : statusBar) ^= true;
        if (isupper(step))
            Ui_PressKey(step, true);
        else
            SendMessageA(app.main(), WM_COMMAND, tool ? IDM_TOOLBAR : IDM_STATUSBAR, 0);
        Ui_PumpUntil([&] {
            return appState.toolBarVisible == toolBar && appState.statusBarVisible == statusBar;
        });
        ExpectBars(app.main(), toolBar, statusBar);
    }
    SendMessageA(app.main(), WM_SETTINGCHANGE, 0, 0);
    RECT w = Ui_RectIn(app.main(), nullptr);
    EXPECT_LE(abs(w.left + w.right - GetSystemMetrics(SM_CXSCREEN)), 1);
    EXPECT_LE(abs(w.top + w.bottom - GetSystemMetrics(SM_CYSCREEN)), 1);
}

} // namespace
