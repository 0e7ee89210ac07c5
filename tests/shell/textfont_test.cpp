// The text font and the font dialog. Covers: the dialog opening on the
// default font with the last colour and the added colour item, OK and
// Cancel, the list-view colour (white shown as 0xF0F0F0), reopening on the
// default font, the colour item opening the colour dialog (Cancel keeps the
// last colour, also after another colour was picked for it), the item
// height, and that a font is never deleted while the text window uses it.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>
#include "resources/resource.h"
#include "shell/appstate.h"
#include "shell/textfont.h"
#include "tests/shell/texts.h"
#include "tests/shell/uitest.h"

namespace {

constexpr int FACE_BOX = 1136;
constexpr int SIZE_BOX = 1138;
constexpr int COLOUR_PALETTE = 720; // the colour dialog's basic colours

bool IsFontDialog(HWND dialog) {
    return GetDlgItem(dialog, IDC_FONT_COLOURS) != nullptr;
}

struct ColourBox {
    std::vector<COLORREF> data;
    std::vector<std::string> texts;
    int selection;
};

ColourBox ReadColours(HWND dialog) {
    HWND combo = GetDlgItem(dialog, IDC_FONT_COLOURS);
    ColourBox box;
    LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        box.data.push_back(static_cast<COLORREF>(SendMessageA(combo, CB_GETITEMDATA, i, 0)));
        char text[64] = "";
        SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        box.texts.push_back(text);
    }
    box.selection = static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0));
    return box;
}

int IndexOf(const ColourBox& box, COLORREF colour) {
    for (size_t i = 0; i < box.data.size(); ++i) {
        if (box.data[i] == colour) return static_cast<int>(i);
    }
    return -1;
}

// Selects an item of a combo box of the dialog as the user does: the
// selection, then the notification.
void Choose(HWND dialog, int id, int index) {
    HWND combo = GetDlgItem(dialog, id);
    SendMessageA(combo, CB_SETCURSEL, index, 0);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

std::string ComboText(HWND dialog, int id) {
    return Ui_ItemText(dialog, id);
}

void OpenFontDialog() {
    SendMessageA(appState.mainWindow, WM_COMMAND, IDM_FONT, 0);
}

TEST(FontDialog, OpensOnTheDefaultFontAndCancelChangesNothing) {
    AppSession app;
    HFONT before = appState.textFont;
    std::string face, size;
    ColourBox colours;
    IdleScript script([&](HWND dialog, WPARAM, int visit) {
        if (visit != 0 || !IsFontDialog(dialog)) return;
        face = ComboText(dialog, FACE_BOX);
        size = ComboText(dialog, SIZE_BOX);
        colours = ReadColours(dialog);
        Ui_PressButton(dialog, IDCANCEL);
    });
    OpenFontDialog();
    EXPECT_EQ(face, Ansi(texts::GULIMCHE));
    EXPECT_EQ(size, "9"); // height -12 at 96 dots per inch
    ASSERT_FALSE(colours.data.empty());
    EXPECT_EQ(colours.texts.back(), Ansi(texts::OTHER_COLOUR));
    EXPECT_EQ(colours.data.back(), 0u);
    // Black is a standard colour too; the standard item comes first and wins.
    EXPECT_EQ(colours.selection, IndexOf(colours, 0));
    EXPECT_LT(colours.selection, static_cast<int>(colours.data.size()) - 1);
    EXPECT_EQ(appState.textFont, before);
    EXPECT_EQ(GetObjectType(before), static_cast<DWORD>(OBJ_FONT));
    EXPECT_EQ(appState.textColour, 0u);
}

struct ColourCase {
    COLORREF chosen;
    COLORREF listColour;
};

class FontDialogOk : public ::testing::TestWithParam<ColourCase> {};

TEST_P(FontDialogOk, MakesANewFontAndGivesListsTheColour) {
    AppSession app;
    HWND list = CreateWindowA(WC_LISTVIEWA, "", WS_CHILD, 0, 0, 10, 10, app.main(), nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(list, nullptr);
    HFONT old = appState.textFont;
    // Every time the text window is handed a font, the font it had must
    // still exist: the old one is deleted only after the switch.
    int handOuts = 0, stale = 0;
    SentWatcher watcher([&](const CWPSTRUCT& m) {
        if (m.hwnd != app.text() || m.message != WM_SETFONT) return;
        ++handOuts;
        HGDIOBJ current = reinterpret_cast<HGDIOBJ>(SendMessageA(app.text(), WM_GETFONT, 0, 0));
        if (current && GetObjectType(current) != OBJ_FONT) ++stale;
    });
    bool chosen = false;
    IdleScript script([&](HWND dialog, WPARAM, int visit) {
        if (!IsFontDialog(dialog)) return;
        if (visit == 0) {
            int index = IndexOf(ReadColours(dialog), GetParam().chosen);
            ASSERT_GE(index, 0);
            Choose(dialog, IDC_FONT_COLOURS, index);
        } else if (!chosen) {
            chosen = true;
            Ui_PressButton(dialog, IDOK);
        }
    });
    OpenFontDialog();
    EXPECT_NE(appState.textFont, old);
    EXPECT_EQ(GetObjectType(old), 0u); // deleted
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(app.text(), WM_GETFONT, 0, 0)),
              appState.textFont);
    EXPECT_GE(handOuts, 1);
    EXPECT_EQ(stale, 0);
    LOGFONTA font = {};
    GetObjectA(appState.textFont, sizeof(font), &font);
    EXPECT_EQ(std::string(font.lfFaceName), Ansi(texts::GULIMCHE));
    EXPECT_EQ(appState.textColour, GetParam().chosen);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageA(list, LVM_GETTEXTCOLOR, 0, 0)),
              GetParam().listColour);
    DestroyWindow(list);
}

INSTANTIATE_TEST_SUITE_P(Colours, FontDialogOk,
                         ::testing::Values(ColourCase{0xFFFFFF, 0xF0F0F0},
                                           ColourCase{0x0000FF, 0x0000FF},
                                           ColourCase{0x000000, 0x000000}));

// Runs the font dialog once, choosing the colour and another face, and OK.
void ChooseRedAndAnotherFace() {
    int step = 0;
    IdleScript script([&](HWND dialog, WPARAM, int) {
        if (!IsFontDialog(dialog)) return;
        switch (step++) {
        case 0: Choose(dialog, IDC_FONT_COLOURS, IndexOf(ReadColours(dialog), 0x0000FF)); break;
        case 1: Choose(dialog, FACE_BOX, 1); break;
        case 2: Ui_PressButton(dialog, IDOK); break;
        default: break;
        }
    });
    OpenFontDialog();
}

TEST(FontDialog, ReopensOnTheDefaultFontWithTheLastColour) {
    AppSession app;
    ChooseRedAndAnotherFace();
    ASSERT_EQ(appState.textColour, 0x0000FFu);
    std::string face, size;
    ColourBox colours;
    IdleScript script([&](HWND dialog, WPARAM, int visit) {
        if (visit != 0 || !IsFontDialog(dialog)) return;
        face = ComboText(dialog, FACE_BOX);
        size = ComboText(dialog, SIZE_BOX);
        colours = ReadColours(dialog);
        Ui_PressButton(dialog, IDCANCEL);
    });
    OpenFontDialog();
    EXPECT_EQ(face, Ansi(texts::GULIMCHE));
    EXPECT_EQ(size, "9");
    EXPECT_EQ(colours.data.back(), 0x0000FFu);
    EXPECT_EQ(colours.selection, IndexOf(colours, 0x0000FF));
}

// A click on the first of the colour dialog's basic colours.
void ClickFirstBasicColour(HWND colourDialog) {
    RECT r;
    GetWindowRect(GetDlgItem(colourDialog, COLOUR_PALETTE), &r);
    MapWindowPoints(nullptr, colourDialog, reinterpret_cast<POINT*>(&r), 2);
    LPARAM at = MAKELPARAM(r.left + (r.right - r.left) / 16, r.top + (r.bottom - r.top) / 12);
    PostMessageA(colourDialog, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(colourDialog, WM_LBUTTONUP, 0, at);
}

TEST(FontDialog, TheOtherColourItemOpensTheColourDialog) {
    AppSession app;
    ChooseRedAndAnotherFace();
    // In one font dialog: "other" with a basic colour picked and OK, then
    // another item, then "other" again and Cancel.
    std::vector<COLORREF> otherData;
    std::vector<HWND> colourOwners;
    int fontStep = 0, colourDialogs = 0;
    IdleScript script([&](HWND dialog, WPARAM kind, int visit) {
        if (kind != MSGF_DIALOGBOX) return;
        if (!IsFontDialog(dialog)) {
            if (visit != 0) return;
            ++colourDialogs;
            colourOwners.push_back(GetWindow(dialog, GW_OWNER));
            if (colourDialogs == 1) {
                ClickFirstBasicColour(dialog);
                Ui_PressButton(dialog, IDOK);
            } else {
                Ui_PressButton(dialog, IDCANCEL);
            }
            return;
        }
        ColourBox box = ReadColours(dialog);
        int last = static_cast<int>(box.data.size()) - 1;
        switch (fontStep++) {
        case 0: Choose(dialog, IDC_FONT_COLOURS, last); break;
        case 1:
            otherData.push_back(box.data.back());
            EXPECT_EQ(box.selection, last);
            EXPECT_EQ(box.texts.back(), Ansi(texts::OTHER_COLOUR));
            Choose(dialog, IDC_FONT_COLOURS, 0);
            break;
        case 2: Choose(dialog, IDC_FONT_COLOURS, last); break;
        case 3:
            otherData.push_back(box.data.back());
            EXPECT_EQ(box.selection, last);
            Ui_PressButton(dialog, IDCANCEL);
            break;
        default: break;
        }
    });
    OpenFontDialog();
    EXPECT_EQ(colourDialogs, 2);
    for (HWND owner : colourOwners)
        EXPECT_EQ(owner, app.main());
    ASSERT_EQ(otherData.size(), 2u);
    EXPECT_NE(otherData[0], 0x0000FFu); // the picked basic colour
    EXPECT_EQ(otherData[1], 0x0000FFu); // Cancel: the last colour, not the pick
    EXPECT_EQ(appState.textColour, 0x0000FFu);
}

TEST(TextFont, ReplacingTheFontDeletesTheOldOneAfterTheSwitch) {
    AppSession app;
    HFONT old = appState.textFont;
    bool oldAliveAtSwitch = false;
    SentWatcher watcher([&](const CWPSTRUCT& m) {
        if (m.hwnd == app.text() && m.message == WM_SETFONT) {
            oldAliveAtSwitch = GetObjectType(old) == OBJ_FONT;
        }
    });
    TextFont_Create();
    EXPECT_TRUE(oldAliveAtSwitch);
    EXPECT_NE(appState.textFont, old);
    EXPECT_EQ(GetObjectType(old), 0u);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(app.text(), WM_GETFONT, 0, 0)),
              appState.textFont);
}

TEST(TextFont, OwnerDrawnItemsAreAtLeast17PixelsHigh) {
    AppSession app;
    MEASUREITEMSTRUCT item = {};
    item.CtlType = ODT_LISTBOX;
    SendMessageA(app.main(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(item.itemHeight, 17u); // the 12-pixel text font gives less
    // A large font gives its own height plus leading plus one.
    LOGFONTA large = {};
    large.lfHeight = -40;
    HFONT font = CreateFontIndirectA(&large);
    HFONT small = appState.textFont;
    appState.textFont = font;
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    SendMessageA(app.main(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(item.itemHeight, static_cast<UINT>(tm.tmHeight + tm.tmExternalLeading + 1));
    EXPECT_GT(item.itemHeight, 17u);
    appState.textFont = small;
    DeleteObject(font);
}

} // namespace
