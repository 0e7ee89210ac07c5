// The main window: the menus' help in the status bar; the toolbar and its
// drop-down menu; showing and hiding the bars (check marks, the text
// window's 8-pixel margins); Escape dropped while the text window has the
// focus; resizing.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <tuple>
#include "resources/resource.h"
#include "shell/appstate.h"
#include "tests/shell/uitest.h"

namespace {

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

// The help each item of the menu bar shows while it is highlighted: its
// command's string; for a popup of the menu bar the string 60 + its
// position, which Wine's MenuHelp gives every popup as the first one's.
TEST(MainMenu, ItemsShowTheirHelpInTheStatusBar) {
    AppSession app;
    HMENU bar = GetMenu(app.main());
    SendMessageA(app.main(), WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP | MF_HILITE),
                 reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(StatusText(), "(simple)" + Ui_String(IDS_HELP_FILE));
    int items = 0;
    for (int p = 0; p < GetMenuItemCount(bar); ++p) {
        HMENU popup = GetSubMenu(bar, p);
        for (int i = 0; i < GetMenuItemCount(popup); ++i) {
            UINT id = GetMenuItemID(popup, i);
            if (id == 0) continue; // a separator
            ++items;
            // WM_MENUSELECT as the menu loop sends it while an item is highlighted.
            SendMessageA(app.main(), WM_MENUSELECT, MAKEWPARAM(id, MF_HILITE),
                         reinterpret_cast<LPARAM>(popup));
            EXPECT_EQ(StatusText(), "(simple)" + Ui_String(static_cast<int>(id))) << id;
        }
    }
    EXPECT_EQ(items, 7);
    // The menu closing brings the status bar's own text back.
    SendMessageA(app.main(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(StatusText(), Ui_String(IDS_READY));
}

// The buttons' labels and tooltips; the arrow of the run button drops the
// tool menu centred under the button's left edge, where Enter on its one
// item opens the tool and Escape runs nothing; the button itself opens it too.
TEST(Toolbar, ButtonsAndTheRunArrowsMenu) {
    AppSession app;
    HWND tb = appState.toolBar;
    EXPECT_EQ(RectIn(tb, app.main()).top, 0); // at the top of the client area
    ASSERT_EQ(SendMessageA(tb, TB_BUTTONCOUNT, 0, 0), 3);
    const int buttons[][3] = {{0, IDM_RUN_BUTTON, IDS_RUN_LABEL}, {2, IDM_ABOUT, IDS_AUTHOR_LABEL}};
    for (auto& [index, command, label] : buttons) {
        TBBUTTON button = {};
        SendMessageA(tb, TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&button));
        char text[64] = "";
        SendMessageA(tb, TB_GETBUTTONTEXTA, command, reinterpret_cast<LPARAM>(text));
        NMTTDISPINFOA info = {};
        info.hdr.code = TTN_GETDISPINFOA;
        SendMessageA(app.main(), WM_NOTIFY, command, reinterpret_cast<LPARAM>(&info));
        EXPECT_EQ(std::make_tuple(button.idCommand, std::string(text), std::string(info.lpszText)),
                  std::make_tuple(command, Ui_String(label), Ui_String(command)));
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
        std::vector<UINT> items;
        MenuScript script([&](HWND, int visit) {
            if (visit != 0) return;
            HWND popup = FindWindowA("#32768", nullptr);
            GetWindowRect(popup, &menuRect);
            HMENU menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
            for (int i = 0; i < GetMenuItemCount(menu); ++i)
                items.push_back(GetMenuItemID(menu, i));
            PostMessageA(app.main(), WM_KEYDOWN, VK_DOWN, 0);
            PostMessageA(app.main(), WM_KEYDOWN, key, 0);
        });
        Ui_ClickToolbar(0, true);
        EXPECT_EQ(items, std::vector<UINT>{IDM_TILEORDER});
        SendMessageA(appState.toolBar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button));
        POINT corner = {button.left, button.bottom};
        ClientToScreen(appState.toolBar, &corner);
        EXPECT_LE(abs((menuRect.left + menuRect.right) / 2 - corner.x), 1);
        EXPECT_EQ(menuRect.top, corner.y);
    }
    Ui_ClickToolbar(0);
    EXPECT_EQ(commands, (std::vector<UINT>{IDM_TILEORDER, IDM_RUN_BUTTON}));
    EXPECT_EQ(tools, 2);
}

// The text window keeps 8 pixels to the client edges and the visible bars.
void ExpectTextMargins(HWND main) {
    RECT client, text = RectIn(GetDlgItem(main, IDC_TEXT), main);
    GetClientRect(main, &client);
    LONG top = IsWindowVisible(appState.toolBar) ? RectIn(appState.toolBar, main).bottom : 0;
    RECT status = RectIn(appState.statusBar, main);
    LONG bottom = IsWindowVisible(appState.statusBar) ? status.top : client.bottom;
    if (IsWindowVisible(appState.statusBar)) {
        EXPECT_EQ(std::make_pair(status.bottom, status.right - status.left),
                  std::make_pair(client.bottom, client.right));
    }
    EXPECT_EQ(std::make_tuple(text.left, text.top, text.right, text.bottom),
              std::make_tuple(8L, top + 8, client.right - 8, bottom - 8));
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
// Alt+T and Alt+S; each shows or hides its bar, after minimising, restoring
// and resizing the window. A settings change puts the window back at its
// start-up place, centred.
TEST(Bars, CommandsAndAcceleratorsShowAndHideThemAndTheTextWindowFollows) {
    AppSession app;
    bool toolBar = true, statusBar = true;
    ExpectBars(app.main(), toolBar, statusBar);
    RECT w;
    for (char step : std::string("tstsTSTS")) {
        SCOPED_TRACE(step);
        ShowWindow(app.main(), step == 's' ? SW_MINIMIZE : SW_SHOWNORMAL);
        ShowWindow(app.main(), SW_RESTORE);
        GetWindowRect(app.main(), &w);
        SetWindowPos(app.main(), nullptr, 0, 0, w.right - w.left + (step % 7) * 9 - 27,
                     w.bottom - w.top + step % 5 * 4, SWP_NOMOVE | SWP_NOZORDER);
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
    SendMessageA(app.main(), WM_SETTINGCHANGE, 0, 0);
    GetWindowRect(app.main(), &w);
    EXPECT_LE(abs(w.left + w.right - GetSystemMetrics(SM_CXSCREEN)), 1);
    EXPECT_LE(abs(w.top + w.bottom - GetSystemMetrics(SM_CYSCREEN)), 1);
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

} // namespace
