// The main window. Covers: the menu texts and commands, menu help in the
// status bar (sent notifications and a menu opened by its access key), the
// toolbar's buttons, labels and tooltips, the run button's drop-down menu
// (its place, choosing its item, dismissing it), showing and hiding the bars
// by command and by accelerator with the text window's margins, Escape
// dropped while the text window has the focus, minimising and restoring,
// resizing, the minimum track size and a settings change.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>
#include "resources/resource.h"
#include "shell/appstate.h"
#include "shell/icons.h"
#include "tests/shell/texts.h"
#include "tests/shell/uitest.h"

namespace {

RECT RectIn(HWND window, HWND parent) {
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string MenuText(HMENU menu, UINT position) {
    char text[256] = "";
    GetMenuStringA(menu, position, text, sizeof(text), MF_BYPOSITION);
    return text;
}

struct MenuItemCase {
    int popup;    // position in the menu bar
    int position; // position in the popup
    const char16_t* text;
    UINT command; // 0 for a separator
};

TEST(MainMenu, ItemsCarryTheirTextsAndCommands) {
    AppSession app;
    HMENU bar = GetMenu(app.main());
    ASSERT_EQ(GetMenuItemCount(bar), 5);
    const char16_t* popups[] = {texts::FILE_MENU, texts::RUN_MENU, texts::VIEW_MENU,
                                texts::OPTIONS_MENU, texts::HELP_MENU};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(MenuText(bar, i), Ansi(popups[i])) << i;
    const MenuItemCase items[] = {
        {0, 0, texts::QUIT, IDM_EXIT},       {1, 0, texts::TILE_ORDER, IDM_TILEORDER},
        {2, 0, texts::TOOLBAR, IDM_TOOLBAR}, {2, 1, texts::STATUSBAR, IDM_STATUSBAR},
        {3, 0, texts::FONT, IDM_FONT},       {3, 1, u"", 0},
        {3, 2, texts::EDITOR, IDM_EDITOR},   {4, 0, texts::ABOUT, IDM_ABOUT},
    };
    const int counts[] = {1, 1, 2, 3, 1};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(GetMenuItemCount(GetSubMenu(bar, i)), counts[i]);
    for (const MenuItemCase& c : items) {
        HMENU popup = GetSubMenu(bar, c.popup);
        SCOPED_TRACE(c.popup * 10 + c.position);
        if (c.command == 0) {
            EXPECT_TRUE(GetMenuState(popup, c.position, MF_BYPOSITION) & MF_SEPARATOR);
            continue;
        }
        EXPECT_EQ(MenuText(popup, c.position), Ansi(c.text));
        EXPECT_EQ(GetMenuItemID(popup, c.position), c.command);
    }
}

TEST(MainMenu, TheRunButtonsMenuHasTheToolItem) {
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TOOLMENU));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 1);
    EXPECT_EQ(MenuText(menu, 0), "POPUP");
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_EQ(GetMenuItemCount(popup), 1);
    EXPECT_EQ(MenuText(popup, 0), Ansi(texts::TILE_ORDER));
    EXPECT_EQ(GetMenuItemID(popup, 0), static_cast<UINT>(IDM_TILEORDER));
    DestroyMenu(menu);
}

std::string StatusText() {
    char text[512] = "";
    SendMessageA(appState.statusBar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    return text;
}

bool StatusSimple() {
    return SendMessageA(appState.statusBar, SB_ISSIMPLE, 0, 0) != 0;
}

struct HelpCase {
    int popup; // the popup holding the item, or -1 for a popup of the menu bar itself
    UINT item; // command, or the popup's position
    const char16_t* text;
};

// WM_MENUSELECT as the menu loop sends it while an item is highlighted.
TEST(MenuHelp, TheStatusBarShowsTheHighlightedItemsHelp) {
    AppSession app;
    HMENU bar = GetMenu(app.main());
    const HelpCase cases[] = {
        {0, IDM_EXIT, texts::HELP_40001},    {1, IDM_TILEORDER, texts::HELP_40200},
        {2, IDM_TOOLBAR, texts::HELP_40003}, {2, IDM_STATUSBAR, texts::HELP_40004},
        {3, IDM_FONT, texts::HELP_40100},    {3, IDM_EDITOR, u""},
        {4, IDM_ABOUT, texts::HELP_40002},   {-1, 0, texts::HELP_60},
    };
    for (const HelpCase& c : cases) {
        SCOPED_TRACE(c.item);
        if (c.popup < 0) {
            SendMessageA(app.main(), WM_MENUSELECT, MAKEWPARAM(c.item, MF_POPUP | MF_HILITE),
                         reinterpret_cast<LPARAM>(bar));
        } else {
            SendMessageA(app.main(), WM_MENUSELECT, MAKEWPARAM(c.item, MF_HILITE),
                         reinterpret_cast<LPARAM>(GetSubMenu(bar, c.popup)));
        }
        EXPECT_TRUE(StatusSimple());
        EXPECT_EQ(StatusText(), Ansi(c.text));
    }
    // The menu closing brings the status bar's own text back.
    SendMessageA(app.main(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_FALSE(StatusSimple());
    EXPECT_EQ(StatusText(), Ansi(texts::READY));
}

TEST(MenuHelp, AMenuOpenedByItsAccessKeyShowsHelpUntilItCloses) {
    AppSession app;
    std::string shown;
    bool simple = false;
    IdleScript script([&](HWND, WPARAM kind, int visit) {
        if (kind != MSGF_MENU || visit != 0) return;
        shown = StatusText();
        simple = StatusSimple();
        EndMenu();
    });
    // Alt+V opens "view"; its first item, the toolbar, is highlighted.
    SendMessageA(app.main(), WM_SYSCOMMAND, SC_KEYMENU, 'v');
    EXPECT_TRUE(simple);
    EXPECT_EQ(shown, Ansi(texts::HELP_40003));
    EXPECT_FALSE(StatusSimple());
    EXPECT_EQ(StatusText(), Ansi(texts::READY));
}

TEST(Toolbar, HasTheRunAndAuthorButtonsWithLabelsAndImages) {
    AppSession app;
    HWND tb = appState.toolBar;
    EXPECT_EQ(GetDlgCtrlID(tb), IDC_TOOLBAR);
    EXPECT_EQ(GetParent(tb), app.main());
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(tb, GWL_STYLE)), 0x56808942u);
    EXPECT_EQ(SendMessageA(tb, TB_GETEXTENDEDSTYLE, 0, 0) & 0x11, 0x11);
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageA(tb, TB_GETIMAGELIST, 0, 0)),
              toolImages.list);
    ASSERT_EQ(SendMessageA(tb, TB_BUTTONCOUNT, 0, 0), 3);
    struct {
        int image, command;
        BYTE style;
        const char16_t* label;
    } expected[] = {{0, IDM_RUN_BUTTON, BTNS_DROPDOWN | BTNS_NOPREFIX, texts::RUN_LABEL},
                    {0, 0, BTNS_SEP, nullptr},
                    {1, IDM_ABOUT, BTNS_BUTTON, texts::AUTHOR_LABEL}};
    RECT client;
    GetClientRect(tb, &client);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        TBBUTTON b = {};
        ASSERT_TRUE(SendMessageA(tb, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&b)));
        EXPECT_EQ(b.idCommand, expected[i].command);
        EXPECT_EQ(b.fsStyle, expected[i].style);
        EXPECT_EQ(b.fsState & TBSTATE_ENABLED, TBSTATE_ENABLED);
        if (!expected[i].label) continue;
        EXPECT_EQ(b.iBitmap, expected[i].image);
        char label[64] = "";
        SendMessageA(tb, TB_GETBUTTONTEXTA, b.idCommand, reinterpret_cast<LPARAM>(label));
        EXPECT_EQ(std::string(label), Ansi(expected[i].label));
        // The whole button, picture and label, lies inside the toolbar.
        RECT r;
        SendMessageA(tb, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
        EXPECT_GE(r.top, client.top);
        EXPECT_LE(r.bottom, client.bottom);
    }
    // The toolbar sits at the top of the client area, below the menu bar.
    EXPECT_EQ(RectIn(tb, app.main()).top, 0);
}

TEST(Toolbar, TooltipsComeFromTheStringTable) {
    AppSession app;
    struct {
        UINT command;
        const char16_t* text;
    } cases[] = {
        {IDM_RUN_BUTTON, texts::HELP_61}, {IDM_ABOUT, texts::HELP_40002}, {IDM_EDITOR, u""}};
    for (auto& c : cases) {
        NMTTDISPINFOA info = {};
        info.hdr.code = TTN_GETDISPINFOA;
        info.hdr.idFrom = c.command;
        SendMessageA(app.main(), WM_NOTIFY, c.command, reinterpret_cast<LPARAM>(&info));
        ASSERT_NE(info.lpszText, nullptr);
        EXPECT_EQ(std::string(info.lpszText), Ansi(c.text)) << c.command;
    }
}

// A click on the arrow of the run button, the way the mouse sends it.
void ClickRunArrow(RECT* button) {
    SendMessageA(appState.toolBar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(button));
    LPARAM at = MAKELPARAM(button->right - 4, (button->top + button->bottom) / 2);
    SendMessageA(appState.toolBar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(appState.toolBar, WM_LBUTTONUP, 0, at);
}

TEST(Toolbar, TheRunArrowDropsTheToolMenuUnderTheButton) {
    AppSession app;
    RECT menuRect = {}, button = {};
    int items = -1;
    std::vector<UINT> commands;
    SentWatcher commandWatcher([&](const CWPSTRUCT& m) {
        if (m.hwnd == app.main() && m.message == WM_COMMAND) commands.push_back(LOWORD(m.wParam));
    });
    IdleScript script([&](HWND, WPARAM kind, int visit) {
        if (kind != MSGF_MENU || visit != 0) return;
        HWND popup = FindWindowA("#32768", nullptr);
        GetWindowRect(popup, &menuRect);
        items = GetMenuItemCount(reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0)));
        // Down to the one item, then Enter, as on the keyboard.
        PostMessageA(app.main(), WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(app.main(), WM_KEYDOWN, VK_RETURN, 0);
    });
    ClickRunArrow(&button);
    EXPECT_EQ(items, 1);
    // Centred under the button's left edge, its top at the button's bottom.
    POINT corner = {button.left, button.bottom};
    ClientToScreen(appState.toolBar, &corner);
    EXPECT_LE(abs((menuRect.left + menuRect.right) / 2 - corner.x), 1);
    EXPECT_EQ(menuRect.top, corner.y);
    EXPECT_EQ(commands, std::vector<UINT>{IDM_TILEORDER});
}

TEST(Toolbar, DismissingTheDropDownMenuRunsNothing) {
    AppSession app;
    std::vector<UINT> commands;
    SentWatcher commandWatcher([&](const CWPSTRUCT& m) {
        if (m.hwnd == app.main() && m.message == WM_COMMAND) commands.push_back(LOWORD(m.wParam));
    });
    bool opened = false;
    IdleScript script([&](HWND, WPARAM kind, int visit) {
        if (kind != MSGF_MENU || visit != 0) return;
        opened = true;
        PostMessageA(app.main(), WM_KEYDOWN, VK_ESCAPE, 0);
    });
    RECT button;
    ClickRunArrow(&button);
    EXPECT_TRUE(opened);
    EXPECT_TRUE(commands.empty());
}

// The text window keeps 8 pixels to the client edges and the visible bars.
void ExpectTextMargins(HWND main) {
    RECT client, text = RectIn(GetDlgItem(main, IDC_TEXT), main);
    GetClientRect(main, &client);
    LONG top = appState.toolBarVisible ? appState.toolBarHeight : 0;
    LONG bottom = client.bottom - (appState.statusBarVisible ? appState.statusBarHeight : 0);
    EXPECT_EQ(text.left, 8);
    EXPECT_EQ(text.right, client.right - 8);
    EXPECT_EQ(text.top, top + 8);
    EXPECT_EQ(text.bottom, bottom - 8);
}

bool Checked(HWND main, UINT command) {
    return (GetMenuState(GetMenu(main), command, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

TEST(Bars, CommandsShowAndHideThemAndTheTextWindowFollows) {
    AppSession app;
    HWND main = app.main();
    // The heights are the bars' outer heights.
    EXPECT_EQ(appState.toolBarHeight,
              RectIn(appState.toolBar, main).bottom - RectIn(appState.toolBar, main).top);
    EXPECT_EQ(appState.statusBarHeight,
              RectIn(appState.statusBar, main).bottom - RectIn(appState.statusBar, main).top);
    EXPECT_GT(appState.toolBarHeight, 0);
    EXPECT_GT(appState.statusBarHeight, 0);
    ExpectTextMargins(main);
    RECT before = RectIn(app.text(), main);
    struct {
        UINT command;
        bool toolBar, statusBar;
    } steps[] = {{IDM_TOOLBAR, false, true},
                 {IDM_STATUSBAR, false, false},
                 {IDM_TOOLBAR, true, false},
                 {IDM_STATUSBAR, true, true}};
    for (auto& s : steps) {
        SendMessageA(main, WM_COMMAND, s.command, 0);
        SCOPED_TRACE(std::to_string(s.toolBar) + std::to_string(s.statusBar));
        EXPECT_EQ(appState.toolBarVisible, s.toolBar);
        EXPECT_EQ(appState.statusBarVisible, s.statusBar);
        EXPECT_EQ(Checked(main, IDM_TOOLBAR), s.toolBar);
        EXPECT_EQ(Checked(main, IDM_STATUSBAR), s.statusBar);
        EXPECT_EQ(IsWindowVisible(appState.toolBar) != 0, s.toolBar);
        EXPECT_EQ(IsWindowVisible(appState.statusBar) != 0, s.statusBar);
        ExpectTextMargins(main);
        if (!s.toolBar && s.statusBar) {
            // Hiding the toolbar moves the text window's top up by its height.
            EXPECT_EQ(RectIn(app.text(), main).top, before.top - appState.toolBarHeight);
        }
    }
    RECT after = RectIn(app.text(), main);
    EXPECT_TRUE(EqualRect(&before, &after));
}

TEST(Bars, AltTAndAltSToggleThemFromTheKeyboard) {
    AppSession app;
    Ui_PressKey('T', true);
    ASSERT_TRUE(Ui_PumpUntil([] { return !appState.toolBarVisible; }));
    EXPECT_FALSE(Checked(app.main(), IDM_TOOLBAR));
    Ui_PressKey('S', true);
    ASSERT_TRUE(Ui_PumpUntil([] { return !appState.statusBarVisible; }));
    Ui_PressKey('T', true);
    ASSERT_TRUE(Ui_PumpUntil([] { return appState.toolBarVisible; }));
    EXPECT_TRUE(Checked(app.main(), IDM_TOOLBAR));
    ExpectTextMargins(app.main());
}

TEST(Escape, IsDroppedWhileTheTextWindowHasTheFocus) {
    AppSession app;
    int cancels = 0;
    SentWatcher watcher([&](const CWPSTRUCT& m) {
        if (m.hwnd == app.main() && m.message == WM_COMMAND && LOWORD(m.wParam) == IDCANCEL) {
            ++cancels;
        }
    });
    SetFocus(app.text());
    EXPECT_TRUE(appState.escapeBlocked);
    MSG down = {app.text(), WM_KEYDOWN, VK_ESCAPE, 0x00010001, 0, {0, 0}};
    EXPECT_EQ(App_RouteMessage(&down), APP_ROUTE_DROPPED);
    MSG character = {app.text(), WM_CHAR, VK_ESCAPE, 0x00010001, 0, {0, 0}};
    EXPECT_EQ(App_RouteMessage(&character), APP_ROUTE_DROPPED);
    // From the keyboard too.
    Ui_PressKey(VK_ESCAPE);
    Ui_PumpUntil([] { return HIWORD(GetQueueStatus(QS_ALLINPUT)) == 0; });
    EXPECT_EQ(cancels, 0);
    EXPECT_EQ(GetFocus(), app.text());

    // With the focus elsewhere Escape reaches the dialog manager.
    SetFocus(app.main());
    EXPECT_FALSE(appState.escapeBlocked);
    MSG toMain = {app.main(), WM_KEYDOWN, VK_ESCAPE, 0x00010001, 0, {0, 0}};
    EXPECT_EQ(App_RouteMessage(&toMain), APP_ROUTE_DIALOG);
    EXPECT_EQ(cancels, 1);
}

TEST(Placement, MinimisingLeavesTheLayoutAndRestoringKeepsIt) {
    AppSession app;
    HWND main = app.main();
    RECT text = RectIn(app.text(), main);
    RECT layout = appState.mainLayout.rect;
    ShowWindow(main, SW_MINIMIZE);
    EXPECT_TRUE(IsIconic(main));
    EXPECT_TRUE(EqualRect(&layout, &appState.mainLayout.rect));
    ShowWindow(main, SW_RESTORE);
    EXPECT_FALSE(IsIconic(main));
    RECT after = RectIn(app.text(), main);
    EXPECT_TRUE(EqualRect(&text, &after));
    ExpectTextMargins(main);
}

TEST(Placement, ResizingKeepsTheBarsAtTheirEdges) {
    AppSession app;
    HWND main = app.main();
    RECT w;
    GetWindowRect(main, &w);
    const int deltas[][2] = {{60, 40}, {-30, -20}, {31, 7}};
    for (auto& d : deltas) {
        SCOPED_TRACE(d[0] * 1000 + d[1]);
        GetWindowRect(main, &w);
        SetWindowPos(main, nullptr, 0, 0, w.right - w.left + d[0], w.bottom - w.top + d[1],
                     SWP_NOMOVE | SWP_NOZORDER);
        RECT client;
        GetClientRect(main, &client);
        EXPECT_TRUE(EqualRect(&client, &appState.mainLayout.rect));
        RECT status = RectIn(appState.statusBar, main);
        EXPECT_EQ(status.bottom, client.bottom);
        EXPECT_EQ(status.right - status.left, client.right);
        RECT tool = RectIn(appState.toolBar, main);
        EXPECT_EQ(tool.top, 0);
        EXPECT_GE(tool.right, client.right);
        ExpectTextMargins(main);
    }
}

TEST(Placement, TheWindowHasAMinimumSizeAndNoMaximiseBox) {
    AppSession app;
    LONG style = GetWindowLongA(app.main(), GWL_STYLE);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_THICKFRAME);
    MINMAXINFO info = {};
    SendMessageA(app.main(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, appState.minTrackSize.cx);
    EXPECT_EQ(info.ptMinTrackSize.y, appState.minTrackSize.cy);
    // 232 x 60 dialog units plus frame, menu and caption: more than the
    // bare frame, less than the window's own 270 x 300 units.
    RECT w;
    GetWindowRect(app.main(), &w);
    EXPECT_GT(appState.minTrackSize.cx, 232 / 2);
    EXPECT_LT(appState.minTrackSize.cx, w.right - w.left);
    EXPECT_GT(appState.minTrackSize.cy, 60 / 2 + GetSystemMetrics(SM_CYCAPTION));
    EXPECT_LT(appState.minTrackSize.cy, w.bottom - w.top);
}

TEST(Placement, ASettingsChangePutsTheWindowBackInItsPlace) {
    AppSession app;
    HWND main = app.main();
    SetWindowPos(main, nullptr, 10, 20, 500, 520, SWP_NOZORDER);
    SendMessageA(main, WM_SETTINGCHANGE, 0, 0);
    RECT w;
    GetWindowRect(main, &w);
    EXPECT_EQ(w.left, appState.placement.x);
    EXPECT_EQ(w.top, appState.placement.y);
    EXPECT_EQ(w.right - w.left, appState.placement.width);
    EXPECT_EQ(w.bottom - w.top, appState.placement.height);
    // The start-up placement is centred on the screen.
    EXPECT_LE(
        abs(appState.placement.x * 2 + appState.placement.width - GetSystemMetrics(SM_CXSCREEN)),
        1);
    EXPECT_LE(
        abs(appState.placement.y * 2 + appState.placement.height - GetSystemMetrics(SM_CYSCREEN)),
        1);
}

TEST(Commands, ToolAndEditorCommandsDoNothingYet) {
    AppSession app;
    int dialogs = 0;
    DialogWatcher watcher([&](HWND) { ++dialogs; });
    for (UINT command : {IDM_TILEORDER, IDM_RUN_BUTTON, IDM_EDITOR}) {
        SendMessageA(app.main(), WM_COMMAND, command, 0);
    }
    Ui_PumpPending();
    EXPECT_EQ(dialogs, 0);
    EXPECT_TRUE(IsWindow(app.main()));
}

} // namespace
