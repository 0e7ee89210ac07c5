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

// Selects an item of a combo box as the user does: selection, then
// notification, which runs whatever the choice opens before it returns.
void Choose(HWND dialog, int id, int index) {
    HWND combo = GetDlgItem(dialog, id);
    SendMessageA(combo, CB_SETCURSEL, index, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

class FontDialogOk : public ::testing::TestWithParam<std::pair<COLORREF, COLORREF>> {};

// The parameter: the colour chosen and the colour list views get. The
// dialog is opened twice: a colour and another face chosen and OK, then
// Cancel.
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
    DialogScript script([&](HWND dialog, int nth) {
        faces.push_back(Ui_Text(GetDlgItem(dialog, FACE_BOX)) + "/" +
                        Ui_Text(GetDlgItem(dialog, SIZE_BOX)));
        opened.push_back(ReadColours(dialog));
        if (nth == 0) {
            Choose(dialog, IDC_FONT_COLOURS, opened[0].IndexOf(chosen));
            Choose(dialog, FACE_BOX, 1); // another face
        }
        Ui_PressButton(dialog, nth == 0 ? IDOK : IDCANCEL);
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
    SendMessageA(app.main(), WM_COMMAND, IDM_FONT, 0);
    EXPECT_FALSE(script.gaveUp);
    // Size 9 is height -12 at 96 dots per inch.
    EXPECT_EQ(faces, std::vector<std::string>(2, Ui_String(IDS_TEXT_FONT_FACE) + "/9"));
    ASSERT_EQ(opened.size(), 2u);
    // The item "other" holds the last colour; a standard item of the same
    // colour comes first and is the one selected.
    for (int i : {0, 1}) {
        COLORREF last = i == 0 ? 0 : chosen;
        EXPECT_EQ(opened[i].lastText, Ui_String(IDS_OTHER_COLOUR));
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
    std::vector<ColourBox> afterColour;
    std::vector<HWND> colourOwners;
    DialogScript script([&](HWND dialog, int) {
        if (!GetDlgItem(dialog, IDC_FONT_COLOURS)) { // the colour dialog
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
        int last = static_cast<int>(ReadColours(dialog).data.size()) - 1;
        Choose(dialog, IDC_FONT_COLOURS, last);
        afterColour.push_back(ReadColours(dialog));
        Choose(dialog, IDC_FONT_COLOURS, 0);
        Choose(dialog, IDC_FONT_COLOURS, last);
        afterColour.push_back(ReadColours(dialog));
        Ui_PressButton(dialog, IDCANCEL);
    });
    SendMessageA(app.main(), WM_COMMAND, IDM_FONT, 0);
    EXPECT_FALSE(script.gaveUp);
    EXPECT_EQ(colourOwners, std::vector<HWND>(2, app.main()));
    ASSERT_EQ(afterColour.size(), 2u);
    EXPECT_NE(afterColour[0].data.back(), 0x0000FFu); // the picked basic colour
    EXPECT_EQ(afterColour[1].data.back(), 0x0000FFu); // Cancel: the last colour, not the pick
    for (const ColourBox& box : afterColour)
        EXPECT_EQ(box.selection, static_cast<int>(box.data.size()) - 1);
    EXPECT_EQ(appState.textColour, 0x0000FFu);
}

} // namespace
