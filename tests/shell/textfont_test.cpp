// The font dialog: OK makes the chosen font and colour current (white list
// text shows as 0xF0F0F0), the text window never holding a deleted font; it
// reopens on the default font with the last colour; "other" opens the colour
// dialog; Cancel changes nothing.
#include <gtest/gtest.h>
#include <algorithm>
#include "resources/resource.h"
#include "shell/appstate.h"
#include "shell/textfont.h"
#include "tests/support/uitest.h"
#include <commctrl.h>

namespace {

constexpr int FACE_BOX = 1136, SIZE_BOX = 1138, COLOUR_PALETTE = 720;

// The colour box of a font dialog: its items' colours and the selected item.
struct ColourBox {
    std::vector<COLORREF> data;
    int selection;
    int IndexOf(COLORREF colour) const {
        return static_cast<int>(std::find(data.begin(), data.end(), colour) - data.begin());
    }
};

ColourBox ReadColours(HWND dialog) {
    HWND combo = GetDlgItem(dialog, IDC_FONT_COLOURS);
    ColourBox box = {{}, static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0))};
    char text[64] = "";
    for (LRESULT i = 0; i < SendMessageA(combo, CB_GETCOUNT, 0, 0); ++i)
        box.data.push_back(static_cast<COLORREF>(SendMessageA(combo, CB_GETITEMDATA, i, 0)));
    SendMessageA(combo, CB_GETLBTEXT, box.data.size() - 1, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(std::string(text), Ui_String(IDS_OTHER_COLOUR)); // the last item, "other"
    return box;
}

class FontDialog : public ::testing::TestWithParam<std::pair<COLORREF, COLORREF>> {};

// The colour chosen and the colour list views then get. The dialog opens
// twice: a colour, another face and OK; then on the default face "other"
// twice (the colour dialog's pick and OK, then Cancel), and Cancel.
TEST_P(FontDialog, OkMakesTheFontAndColourCurrentAndOtherOpensTheColourDialog) {
    const COLORREF chosen = GetParam().first;
    AppSession app;
    HWND list = CreateWindowA(WC_LISTVIEWA, "", WS_CHILD, 0, 0, 9, 9, app.main(), 0, 0, 0);
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
    std::vector<ColourBox> boxes; // as each font dialog opens, then after each colour dialog
    std::vector<HWND> colourOwners;
    DialogScript script([&](HWND dialog, int) {
        if (!GetDlgItem(dialog, IDC_FONT_COLOURS)) { // the colour dialog: a basic colour
            colourOwners.push_back(GetWindow(dialog, GW_OWNER));
            RECT r = Ui_RectIn(GetDlgItem(dialog, COLOUR_PALETTE), dialog);
            LPARAM at =
                MAKELPARAM(r.left + (r.right - r.left) / 16, r.top + (r.bottom - r.top) / 12);
            PostMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, at);
            PostMessageA(dialog, WM_LBUTTONUP, 0, at);
            return Ui_PressButton(dialog, colourOwners.size() == 1 ? IDOK : IDCANCEL);
        }
        faces.push_back(Ui_Text(GetDlgItem(dialog, FACE_BOX)) + "/" +
                        Ui_Text(GetDlgItem(dialog, SIZE_BOX)));
        boxes.push_back(ReadColours(dialog));
        if (faces.size() == 1) {
            Ui_ChooseRow(dialog, IDC_FONT_COLOURS, boxes[0].IndexOf(chosen));
            Ui_ChooseRow(dialog, FACE_BOX, 1);
            return Ui_PressButton(dialog, IDOK);
        }
        for (int i = 0; i < 2; ++i) { // "other", the last item
            Ui_ChooseRow(dialog, IDC_FONT_COLOURS, static_cast<int>(boxes[1].data.size()) - 1);
            boxes.push_back(ReadColours(dialog));
        }
        Ui_PressButton(dialog, IDCANCEL);
    });
    SendMessageA(app.main(), WM_COMMAND, IDM_FONT, 0);
    HFONT current = appState.textFont; // the old one deleted, the new one the text window's
    EXPECT_EQ(std::make_pair(GetObjectType(old), SendMessageA(app.text(), WM_GETFONT, 0, 0)),
              std::make_pair(DWORD(0), reinterpret_cast<LRESULT>(current)));
    SendMessageA(app.main(), WM_COMMAND, IDM_FONT, 0); // Cancel changes nothing
    EXPECT_EQ(std::make_tuple(appState.textFont, appState.textColour,
                              static_cast<COLORREF>(SendMessageA(list, LVM_GETTEXTCOLOR, 0, 0))),
              std::make_tuple(current, chosen, GetParam().second));
    TextFont_Create(); // start-up's way hands out a new font the same way
    EXPECT_TRUE(!script.gaveUp && handOuts >= 2 && stale == 0) << handOuts << " " << stale;
    EXPECT_EQ(faces, std::vector<std::string>(2, Ui_String(IDS_TEXT_FONT_FACE) + "/9"));
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(colourOwners, std::vector<HWND>(2, app.main()));
    // "Other" holds the last colour, selected in a standard item; after the
    // colour dialog "other" is selected with the pick (OK) or the last (Cancel).
    const COLORREF last[] = {0, chosen, 0 /* the pick */, chosen};
    for (int i = 0; i < 4; ++i) {
        const ColourBox& b = boxes[i];
        EXPECT_TRUE(i == 2 ? b.data.back() != chosen : b.data.back() == last[i]) << i;
        EXPECT_EQ(b.selection, i < 2 ? b.IndexOf(last[i]) : int(b.data.size()) - 1) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Colours, FontDialog,
                         ::testing::Values(std::make_pair(0xFFFFFFul, 0xF0F0F0ul),
                                           std::make_pair(0x0000FFul, 0x0000FFul)));

} // namespace
