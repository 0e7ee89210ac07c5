// The text window's font and colour. A font is never deleted while a window
// still draws with it: the new font is created and handed out first, and
// only then is the old one deleted. When the new font cannot be made, the
// windows keep the old one.
#include "shell/textfont.h"
#include <commctrl.h>
#include <commdlg.h>
#include <cstring>
#include "resources/resource.h"
#include "shell/appstate.h"

namespace {

constexpr COLORREF WHITE = 0xFFFFFF;
constexpr COLORREF LIST_WHITE = 0xF0F0F0; // white list text would vanish on white
constexpr int CLASS_NAME_SIZE = 128;
constexpr int ITEM_TEXT_SIZE = 64;

// Sends the font to every layout row that takes it, then to the text window.
void HandOut(HFONT font, BOOL redrawRows) {
    for (LayoutRow* row = appState.controlTable; row->kind != LAYOUT_END; ++row) {
        if (!row->fontFlag) continue;
        HWND target = row->kind == LAYOUT_CONTROL_ID
                          ? GetDlgItem(appState.mainWindow, static_cast<int>(row->target))
                          : reinterpret_cast<HWND>(row->target);
        if (target) SendMessageA(target, WM_SETFONT, reinterpret_cast<WPARAM>(font), redrawRows);
    }
    SendDlgItemMessageA(appState.mainWindow, IDC_TEXT, WM_SETFONT, reinterpret_cast<WPARAM>(font),
                        TRUE);
}

// Makes font the text font; the previous one is deleted after the switch.
void Switch(HFONT font, BOOL redrawRows) {
    HFONT old = appState.textFont;
    appState.textFont = font;
    HandOut(font, redrawRows);
    if (old) DeleteObject(old);
}

void SetListColours(COLORREF colour) {
    for (HWND child = GetWindow(appState.mainWindow, GW_CHILD); child;
         child = GetWindow(child, GW_HWNDNEXT)) {
        char name[CLASS_NAME_SIZE] = "";
        GetClassNameA(child, name, sizeof(name));
        if (strcmp(name, "SysListView32") == 0) {
            SendMessageA(child, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(colour));
        }
    }
}

void AppendOtherColour(HWND combo, COLORREF colour) {
    char text[ITEM_TEXT_SIZE] = "";
    LoadStringA(appState.instance, IDS_OTHER_COLOUR, text, sizeof(text));
    LRESULT item = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (item >= 0) SendMessageA(combo, CB_SETITEMDATA, item, static_cast<LPARAM>(colour));
}

void Hook_OnInit(HWND dialog) {
    HWND combo = GetDlgItem(dialog, IDC_FONT_COLOURS);
    AppendOtherColour(combo, appState.textColour);
    // A standard colour of the same value comes first and so wins.
    LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        if (static_cast<COLORREF>(SendMessageA(combo, CB_GETITEMDATA, i, 0)) ==
            appState.textColour) {
            SendMessageA(combo, CB_SETCURSEL, i, 0);
            break;
        }
    }
}

BOOL Hook_OnColourChange(HWND dialog) {
    HWND combo = GetDlgItem(dialog, IDC_FONT_COLOURS);
    LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    LRESULT selection = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (count <= 0 || selection != count - 1) return FALSE;
    COLORREF custom[16] = {}; // not remembered between dialogs
    CHOOSECOLORA cc = {};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = appState.mainWindow;
    cc.rgbResult = appState.textColour;
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT | CC_SOLIDCOLOR | CC_ANYCOLOR;
    COLORREF colour = ChooseColorA(&cc) ? cc.rgbResult : appState.textColour;
    SendMessageA(combo, CB_DELETESTRING, count - 1, 0);
    AppendOtherColour(combo, colour);
    SendMessageA(combo, CB_SETCURSEL, count - 1, 0);
    return TRUE;
}

} // namespace

void TextFont_Default(LOGFONTA* font) {
    *font = LOGFONTA{};
    font->lfHeight = -12;
    font->lfCharSet = HANGEUL_CHARSET;
    font->lfPitchAndFamily = FIXED_PITCH;
    LoadStringA(appState.instance, IDS_TEXT_FONT_FACE, font->lfFaceName, sizeof(font->lfFaceName));
}

void TextFont_Create() {
    LOGFONTA logical;
    TextFont_Default(&logical);
    HFONT font = CreateFontIndirectA(&logical);
    if (font) Switch(font, FALSE);
}

void TextFont_Choose(HWND owner) {
    LOGFONTA logical;
    TextFont_Default(&logical); // always the default, not the current font
    CHOOSEFONTA cf = {};
    cf.lStructSize = sizeof(cf);
    cf.hwndOwner = owner;
    cf.lpLogFont = &logical;
    cf.Flags = CF_SCREENFONTS | CF_ENABLEHOOK | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS;
    cf.rgbColors = appState.textColour;
    cf.lpfnHook = FontHookProc;
    if (!ChooseFontA(&cf)) return;
    HFONT font = CreateFontIndirectA(&logical);
    if (!font) return;
    appState.textColour = cf.rgbColors;
    Switch(font, TRUE);
    SetListColours(cf.rgbColors == WHITE ? LIST_WHITE : cf.rgbColors);
}

UINT_PTR CALLBACK FontHookProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: Hook_OnInit(dialog); return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_FONT_COLOURS && HIWORD(wParam) == CBN_SELCHANGE) {
            return Hook_OnColourChange(dialog);
        }
        return FALSE;
    default: return FALSE;
    }
}

int TextFont_ItemHeight() {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = appState.textFont ? SelectObject(dc, appState.textFont) : nullptr;
    TEXTMETRICA tm = {};
    GetTextMetricsA(dc, &tm);
    if (old) SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    int height = tm.tmHeight + tm.tmExternalLeading + 1;
    return height <= 16 ? 17 : height;
}
