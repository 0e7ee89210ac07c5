// The main window. Its procedure only unpacks messages and hands them to
// one small handler each. Modal dialogs opened from here are owned by the
// main window, which takes the keyboard focus back when they end.
#include "shell/mainwnd.h"
#include <commctrl.h>
#include <climits>
#include "dialogs/dlgutil.h"
#include "dialogs/editor.h"
#include "resources/resource.h"
#include "shell/about.h"
#include "shell/appstate.h"
#include "shell/icons.h"
#include "shell/layout.h"
#include "shell/textfont.h"
#include "tool/tooldlg.h"

namespace {

constexpr DWORD TOOLBAR_STYLE = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN |
                                WS_BORDER | TBSTYLE_TRANSPARENT | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS |
                                CCS_NODIVIDER | CCS_NOMOVEY;
constexpr DWORD STATUS_STYLE =
    WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBT_TOOLTIPS | SBARS_SIZEGRIP | CCS_BOTTOM;

// Opens the modal dialog of a command, owned by the main window, which
// takes the focus back afterwards. This is the one place where the dialogs
// of the other subsystems plug in.
void OpenDialog(HWND window, int command) {
    HINSTANCE self = GetModuleHandleA(nullptr);
    switch (command) {
    case IDM_ABOUT:
        DialogBoxParamA(self, MAKEINTRESOURCEA(IDD_ABOUT), window, AboutDlgProc, 0);
        break;
    case IDM_EDITOR:
        DialogBoxParamA(self, MAKEINTRESOURCEA(IDD_EDITOR), window, EditorDlg_Proc, 0);
        break;
    case IDM_TILEORDER:
        DialogBoxParamA(self, MAKEINTRESOURCEA(IDD_TILEORDER), window, ToolDlg_Proc, 0);
        break;
    default: return;
    }
    SetFocus(window);
}

// The toolbar's top belongs at the top of the client area (it moves only
// across). Some comctl32 builds move a bordered toolbar with CCS_NOMOVEY up
// by its border width each time it sizes itself, which would slide its
// buttons under the menu bar; this puts it back. Where the toolbar keeps its
// place, it changes nothing.
void PinToolbarTop(HWND window) {
    RECT r;
    if (!appState.toolBar || !GetWindowRect(appState.toolBar, &r)) return;
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    if (r.top != 0) {
        SetWindowPos(appState.toolBar, nullptr, r.left, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void ToggleBar(HWND window, bool* visible, HWND bar, int command) {
    *visible = !*visible;
    CheckMenuItem(GetMenu(window), command, MF_BYCOMMAND | (*visible ? MF_CHECKED : MF_UNCHECKED));
    ShowWindow(bar, *visible ? SW_SHOW : SW_HIDE);
    LayoutTextWindow(window);
}

void Main_OnCommand(HWND window, int id, int code) {
    switch (id) {
    case IDM_EXIT: PostMessageA(window, WM_CLOSE, 0, 0); break;
    case IDM_ABOUT:
    case IDM_EDITOR:
    case IDM_TILEORDER: OpenDialog(window, id); break;
    case IDM_RUN_BUTTON: OpenDialog(window, IDM_TILEORDER); break; // the button part of "run"
    case IDM_TOOLBAR:
        ToggleBar(window, &appState.toolBarVisible, appState.toolBar, IDM_TOOLBAR);
        break;
    case IDM_STATUSBAR:
        ToggleBar(window, &appState.statusBarVisible, appState.statusBar, IDM_STATUSBAR);
        break;
    case IDM_FONT: TextFont_Choose(window); break;
    case IDC_TEXT:
        if (code == EN_SETFOCUS) appState.escapeBlocked = true;
        if (code == EN_KILLFOCUS) appState.escapeBlocked = false;
        break;
    default: break;
    }
}

LRESULT Main_OnSize(HWND window, WPARAM kind) {
    if (kind != SIZE_RESTORED && kind != SIZE_MAXIMIZED) return 1;
    LayoutAnchored(window, &appState.mainLayout);
    PinToolbarTop(window);
    // The first size notification comes while the window is being made,
    // before the bars exist.
    if (appState.firstSizePending) {
        appState.firstSizePending = false;
        return 1;
    }
    LayoutTextWindow(window);
    return 1;
}

// Returns true when the notification is fully handled; tooltip texts are
// filled in and still go on to the default handling.
bool Main_OnNotify(HWND window, WPARAM wParam, LPARAM lParam) {
    NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
    if (header->code == TBN_DROPDOWN) {
        NMTOOLBARA* toolbar = reinterpret_cast<NMTOOLBARA*>(lParam);
        if (toolbar->iItem == IDM_RUN_BUTTON) {
            int command = ShowToolbarMenu(window, IDM_RUN_BUTTON, IDR_TOOLMENU);
            if (command) SendMessageA(window, WM_COMMAND, command, 0);
        }
        return true;
    }
    if (header->code == TTN_GETDISPINFOA) {
        NMTTDISPINFOA* info = reinterpret_cast<NMTTDISPINFOA*>(lParam);
        appState.tipText[0] = '\0';
        LoadStringA(appState.instance, LOWORD(wParam), appState.tipText, APP_TIP_SIZE);
        info->lpszText = appState.tipText;
    }
    return false;
}

// The main layout anchors its rows to the client area the template gave.
LRESULT Main_OnInitDialog(HWND window) {
    GetClientRect(window, &appState.mainLayout.rect);
    return TRUE;
}

void Main_OnGetMinMaxInfo(MINMAXINFO* info) {
    info->ptMinTrackSize = {appState.minTrackSize.cx, appState.minTrackSize.cy};
}

// Items of owner-drawn menus and lists are as high as the text font's lines.
void Main_OnMeasureItem(HWND window, WPARAM wParam, MEASUREITEMSTRUCT* item) {
    DefWindowProcA(window, WM_MEASUREITEM, wParam, reinterpret_cast<LPARAM>(item));
    item->itemHeight = TextFont_ItemHeight();
}

// MenuHelp reads its table as UINT words; menu handles fit in 32 bits.
void Main_MenuHelp(WPARAM wParam, LPARAM lParam, size_t first) {
    UINT words[8] = {};
    for (size_t i = first; i < 8; ++i) {
        words[i - first] = static_cast<UINT>(appState.menuHelpIds[i]);
    }
    MenuHelp(WM_MENUSELECT, wParam, lParam, reinterpret_cast<HMENU>(appState.menuHelpIds[first]),
             appState.instance, appState.statusBar, words);
}

void Main_OnMenuSelect(WPARAM wParam, LPARAM lParam) {
    HMENU menu = reinterpret_cast<HMENU>(lParam);
    HMENU menuBar = reinterpret_cast<HMENU>(appState.menuHelpIds[2]);
    HMENU runPopup = reinterpret_cast<HMENU>(appState.menuHelpIds[4]);
    UINT flags = HIWORD(wParam);
    if ((flags & MF_POPUP) && !(flags & MF_SYSMENU) && menu && menu == menuBar) {
        Main_MenuHelp(wParam, lParam, 2);
    } else if (menu && menu == runPopup) {
        Main_MenuHelp(wParam, lParam, 4);
    } else {
        // An empty table; its second word is what MenuHelp reads for a popup.
        UINT none[2] = {0, 0};
        MenuHelp(WM_MENUSELECT, wParam, lParam, nullptr, appState.instance, appState.statusBar,
                 none);
    }
}

} // namespace

void CreateBars() {
    HWND main = appState.mainWindow;
    TBBUTTON buttons[3] = {};
    buttons[0] = {0, IDM_RUN_BUTTON, TBSTATE_ENABLED, BTNS_DROPDOWN | BTNS_NOPREFIX, {}, 0, 0};
    buttons[1] = {0, 0, TBSTATE_ENABLED, BTNS_SEP, {}, 0, 0};
    buttons[2] = {1, IDM_ABOUT, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 1};
    HWND toolBar = CreateToolbarEx(main, TOOLBAR_STYLE, IDC_TOOLBAR, 3, appState.instance, 0,
                                   buttons, 3, 0, 0, 0, 0, sizeof(TBBUTTON));
    SendMessageA(toolBar, TB_SETEXTENDEDSTYLE, 0,
                 TBSTYLE_EX_DRAWDDARROWS | TBSTYLE_EX_HIDECLIPPEDBUTTONS);
    SendMessageA(toolBar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(toolImages.list));
    // The labels go in as one list of texts ended by an empty one.
    char labels[2 * LABEL_SIZE + 1] = {};
    int run = LoadStringA(appState.instance, IDS_RUN_LABEL, labels, LABEL_SIZE);
    LoadStringA(appState.instance, IDS_AUTHOR_LABEL, labels + run + 1, LABEL_SIZE);
    SendMessageA(toolBar, TB_ADDSTRINGA, 0, reinterpret_cast<LPARAM>(labels));
    SendMessageA(toolBar, TB_AUTOSIZE, 0, 0);
    InvalidateRect(toolBar, nullptr, TRUE);
    appState.toolBar = toolBar;
    PinToolbarTop(main);

    HMENU menuBar = GetMenu(main);
    // Pairs of (menu, first help string): the menu bar's popups from string
    // 60, the "run" popup from 65.
    UINT_PTR* help = appState.menuHelpIds;
    help[0] = help[1] = help[6] = help[7] = 0;
    help[2] = reinterpret_cast<UINT_PTR>(menuBar);
    help[3] = IDS_HELP_FILE;
    help[4] = reinterpret_cast<UINT_PTR>(GetSubMenu(menuBar, 1));
    help[5] = IDS_HELP_RUN_ITEMS;

    char ready[LABEL_SIZE] = "";
    LoadStringA(appState.instance, IDS_READY, ready, sizeof(ready));
    appState.statusBar = CreateStatusWindowA(STATUS_STYLE, ready, main, IDC_STATUSBAR);

    appState.controlTable[0].target = reinterpret_cast<uintptr_t>(appState.toolBar);
    appState.controlTable[1].target = reinterpret_cast<uintptr_t>(appState.statusBar);
}

int ShowToolbarMenu(HWND owner, int command, int menuId) {
    if (!appState.toolBar) return 0;
    POINT at = {0, 0};
    LRESULT index = SendMessageA(appState.toolBar, TB_COMMANDTOINDEX, command, 0);
    RECT button;
    if (index >= 0 &&
        SendMessageA(appState.toolBar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&button))) {
        at.x = button.left;
        at.y = button.bottom;
    }
    ClientToScreen(appState.toolBar, &at);
    HMENU menu = LoadMenuA(appState.instance, MAKEINTRESOURCEA(menuId));
    if (!menu) return 0;
    // The menu opens centred on the point; if it has to be moved to fit on
    // the screen, it keeps off everything left of the point.
    TPMPARAMS params = {sizeof(params), {INT_MIN, INT_MIN, at.x, INT_MAX}};
    int chosen =
        TrackPopupMenuEx(GetSubMenu(menu, 0), TPM_RETURNCMD | TPM_CENTERALIGN | TPM_RIGHTBUTTON,
                         at.x, at.y, owner, &params);
    DestroyMenu(menu);
    return chosen;
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return Main_OnInitDialog(window);
    case WM_SIZE: return Main_OnSize(window, wParam);
    case WM_GETMINMAXINFO: Main_OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam)); return 0;
    case WM_SETTINGCHANGE: ApplyPlacement(); return 0;
    case WM_MEASUREITEM:
        Main_OnMeasureItem(window, wParam, reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_NOTIFY:
        if (Main_OnNotify(window, wParam, lParam)) return 0;
        break;
    case WM_MENUSELECT: Main_OnMenuSelect(wParam, lParam); return 0;
    case WM_COMMAND: Main_OnCommand(window, LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    case WM_ACTIVATE: SetFocus(window); break; // and on to the default handling
    default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
