// The text font and the font dialog: OK makes the chosen font and colour
// current (white list text shows as 0xF0F0F0) without the text window ever
// holding a deleted font; the dialog reopens on the default font with the
// last colour; Cancel changes nothing; the colour item "other" opens the
// colour dialog.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include "resources/resource.h"
#include "shell/appstate.h"
#include "shell/textfont.h"
#include "tests/shell/uitest.h"

namespace {

constexpr int FACE_BOX = 1136, SIZE_BOX = 1138, COLOUR_PALETTE = 720;

// The colour box of a font dialog: the colours of its items, the text of
// the last one ("other") and the selected item.
struct ColourBox {
    std::vector<COLORREF> data;
    std::string lastText;
    int selection;
    int IndexOf(COLORREF colour) const {
        return static_cast<int>(std::find(data.begin(), data.end(), colour) - data.begin());
    }
};

ColourBox ReadColours(HWND dialog) {
    HWND combo = GetDlgItem(dialog, IDC_FONT_COLOURS);
    ColourBox box = {{}, "", static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0))};
    char text[64] = "";
    LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i)
        box.data.push_back(static_cast<COLORREF>(SendMessageA(combo, CB_GETITEMDATA, i, 0)));
    SendMessageA(combo, CB_GETLBTEXT, count - 1, reinterpret_cast<LPARAM>(text));
    box.lastText = text;
    return box;
}

// Selects an item of a combo box as the user does: selection, then notification.
void Choose(HWND dialog, int id, int index) {
    HWND combo = GetDlgItem(dialog, id);
    SendMessageA(combo, CB_SETCURSEL, index, 0);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

class FontDialogOk : public ::testing::TestWithParam<std::pair<COLORREF, COLORREF>> {};

// The parameter: the colour chosen and the colour list views get.
TEST_P(FontDialogOk, MakesTheFontAndColourCurrentAndReopensOnTheDefault) {
    COLORREF chosen = GetParam().first;
    AppSession app;
    HWND list = CreateWindowA(WC_LISTVIEWA, "", WS_CHILD, 0, 0, 10, 10, app.main(), nullptr,
                              nullptr, nullptr);
    HFONT old = appState.textFont;
    // Whenever the text window is handed a font, the one it had still exists.
    int handOuts = 0, stale = 0;
    SentWatcher watcher([&](const CWPSTRUCT& m) {
        if (m.hwnd != app.text() || m.message != WM_SETFONT) return;
        ++handOuts;
        HGDIOBJ current = reinterpret_cast<HGDIOBJ>(SendMessageA(app.text(), WM_GETFONT, 0, 0));
        stale += current && GetObjectType(current) != OBJ_FONT;
    });
    std::vector<std::string> faces;
    std::vector<ColourBox> opened;
    int step = 0;
    bool reopened = false;
    IdleScript script([&](HWND dialog, WPARAM, int) {
        if (!GetDlgItem(dialog, IDC_FONT_COLOURS)) return;
        int s = step++;
        if (s == 0) {
            faces.push_back(Ui_Text(GetDlgItem(dialog, FACE_BOX)) + "/" +
                            Ui_Text(GetDlgItem(dialog, SIZE_BOX)));
            opened.push_back(ReadColours(dialog));
        }
        if (reopened || s == 2) Ui_PressButton(dialog, reopened ? IDCANCEL : IDOK);
        if (!reopened && s == 0) Choose(dialog, IDC_FONT_COLOURS, opened[0].IndexOf(chosen));
        if (!reopened && s == 1) Choose(dialog, FACE_BOX, 1); // another face
    });
    SendMessageA(app.main(), WM_COMMAND, IDM_FONT, 0);
    EXPECT_NE(appState.textFont, old);
    EXPECT_EQ(GetObjectType(old), 0u); // deleted
    EXPECT_EQ(SendMessageA(app.text(), WM_GETFONT, 0, 0),
              reinterpret_cast<LRESULT>(appState.textFont));
    EXPECT_EQ(appState.textColour, chosen);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageA(list, LVM_GETTEXTCOLOR, 0, 0)), GetParam().second);
    TextFont_Create(); // start-up's way hands out a new font the same way
    EXPECT_GE(handOuts, 2);
    EXPECT_EQ(stale, 0);

    HFONT current = appState.textFont;
    step = 0;
    reopened = true;
    SendMessageA(app.main(), WM_COMMAND, IDM_FONT, 0);
    // Size 9 is height -12 at 96 dots per inch.
    EXPECT_EQ(faces, std::vector<std::string>(2, Ansi(u"\uAD74\uB9BC\uCCB4") + "/9"));
    ASSERT_EQ(opened.size(), 2u);
    // The item "other" holds the last colour; a standard item of the same
    // colour comes first and is the one selected.
    for (int i : {0, 1}) {
        COLORREF last = i == 0 ? 0 : chosen;
        EXPECT_EQ(opened[i].lastText, Ansi(u"\uAE30\uD0C0"));
        EXPECT_EQ(opened[i].data.back(), last);
        EXPECT_EQ(opened[i].selection, opened[i].IndexOf(last));
    }
    EXPECT_EQ(appState.textFont, current);
    EXPECT_EQ(appState.textColour, chosen);
}

INSTANTIATE_TEST_SUITE_P(Colours, FontDialogOk,
                         ::testing::Values(std::make_pair(0xFFFFFFul, 0xF0F0F0ul),
                                           std::make_pair(0x0000FFul, 0x0000FFul)));

// In one font dialog: "other" with a basic colour picked and OK, another
// item, "other" again and Cancel, which keeps the last colour.
TEST(FontDialog, TheOtherColourItemOpensTheColourDialog) {
    AppSession app;
    appState.textColour = 0x0000FF; // the last colour
    std::vector<COLORREF> otherData;
    std::vector<HWND> colourOwners;
    int fontStep = 0;
    IdleScript script([&](HWND dialog, WPARAM, int visit) {
        if (!GetDlgItem(dialog, IDC_FONT_COLOURS)) {
            if (visit != 0) return;
            colourOwners.push_back(GetWindow(dialog, GW_OWNER));
            RECT r;
            GetWindowRect(GetDlgItem(dialog, COLOUR_PALETTE), &r);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
            LPARAM at =
                MAKELPARAM(r.left + (r.right - r.left) / 16, r.top + (r.bottom - r.top) / 12);
            PostMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, at);
            PostMessageA(dialog, WM_LBUTTONUP, 0, at);
            Ui_PressButton(dialog, colourOwners.size() == 1 ? IDOK : IDCANCEL);
            return;
        }
        ColourBox box = ReadColours(dialog);
        int last = static_cast<int>(box.data.size()) - 1;
        if (fontStep % 2 == 1) {
            otherData.push_back(box.data.back());
            EXPECT_EQ(box.selection, last);
        }
        if (fontStep < 3) Choose(dialog, IDC_FONT_COLOURS, fontStep == 1 ? 0 : last);
        if (fontStep++ == 3) Ui_PressButton(dialog, IDCANCEL);
    });
    SendMessageA(app.main(), WM_COMMAND, IDM_FONT, 0);
    EXPECT_EQ(colourOwners, std::vector<HWND>(2, app.main()));
    ASSERT_EQ(otherData.size(), 2u);
    EXPECT_NE(otherData[0], 0x0000FFu); // the picked basic colour
    EXPECT_EQ(otherData[1], 0x0000FFu); // Cancel: the last colour, not the pick
    EXPECT_EQ(appState.textColour, 0x0000FFu);
}

} // namespace
