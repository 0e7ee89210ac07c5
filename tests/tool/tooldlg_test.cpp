// The tile reorder dialog and its popups, driven from the main window: the
// grid popup's clamping, bad text, cancel and lost activation; the format
// popup's start row, byte sizes and remembered row; dialog 300's opening
// state, count fields, checks in order, the question both ways, the result
// texts, and the settings and method kept for the next opening.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include "engine/tilemap.h"
#include "resources/resource.h"
#include "tests/dialogs/dlgtest.h"
#include "tests/textlib/testdir.h"
#include "tool/popups.h"
#include "tool/tooldlg.h"

namespace {

std::string Field(HWND d, int id) {
    return Ui_Text(GetDlgItem(d, id));
}
// Types text into a field and leaves it.
void Type(HWND d, int id, const std::string& text) {
    SetDlgItemTextA(d, id, text.c_str());
    SendMessageA(d, WM_COMMAND, MAKEWPARAM(id, EN_KILLFOCUS), LPARAM(GetDlgItem(d, id)));
}

struct PopupCase {
    int command;
    std::string across, down;
    int row, end;             // colour row chosen; IDOK, IDCANCEL or 0: the tool dialog activated
    std::string shown, count; // fields and row at opening; count or format field after
};

TEST(ToolPopups, ClampBadTextCancelLostActivationBytesAndRememberedRow) {
    Tool_ResetSettings();
    // clang-format off
    const PopupCase cases[] = {
        {IDM_TOOL_INPUT_GRID, "2000", "0", 0, IDOK, "11 14", "1,920"},
        {IDM_TOOL_INPUT_GRID, "12x5", "abc", 0, IDOK, "1,920 1", "1"},
        {IDM_TOOL_INPUT_GRID, "7", "7", 0, IDCANCEL, "1 1", "1"},
        {IDM_TOOL_INPUT_GRID, "8", "8", 0, 0, "1 1", "1"},
        {IDM_TOOL_INPUT_GRID, "1,920", "1080", 0, IDOK, "1 1", "2,073,600"},
        {IDM_TOOL_FORMAT, "65", "64", 4, IDOK, "8 8 7", Test_Format(IDS_TOOL_FORMAT_TEXT, 64, 64, 8)},
        {IDM_TOOL_FORMAT, "5", "5", 2, IDOK, "64 64 4", Test_Format(IDS_TOOL_FORMAT_TEXT, 5, 5, 3)},
        {IDM_TOOL_FORMAT, "2", "2", 0, 0, "5 5 2", Test_Format(IDS_TOOL_FORMAT_TEXT, 5, 5, 3)},
        {IDM_TOOL_FORMAT, "x", "0", 7, IDOK, "5 5 2", Test_Format(IDS_TOOL_FORMAT_TEXT, 1, 1, 4)}};
    // clang-format on
    std::vector<uint32_t> bytes; // tile bytes and stride after each format popup
    Script s;
    s.flows.reserve(16); // flows are added while one runs
    s.flows.push_back([&](HWND d) {
        for (const PopupCase& c : cases) {
            s.flows.push_back([&, d](HWND p) {
                HWND box = GetDlgItem(p, IDC_POPUP_COLOURS);
                int row = box ? int(SendMessageA(box, CB_GETCURSEL, 0, 0)) : -1;
                EXPECT_EQ(Field(p, IDC_POPUP_ACROSS) + " " + Field(p, IDC_POPUP_DOWN) +
                              (row < 0 ? "" : " " + std::to_string(row)),
                          c.shown);
                SetDlgItemTextA(p, IDC_POPUP_ACROSS, c.across.c_str()); // Enter typed
                SetDlgItemTextA(p, IDC_POPUP_DOWN, c.down.c_str());     // in the field
                SendDlgItemMessageA(p, IDC_POPUP_COLOURS, CB_SETCURSEL, c.row, 0);
                c.end ? Ui_PressButton(p, c.end) : (void)SetActiveWindow(d);
            });
            SendMessageA(d, WM_COMMAND, c.command, 0);
            int field = c.command == IDM_TOOL_FORMAT ? IDC_TOOL_FORMAT : IDC_TOOL_INPUT_COUNT;
            EXPECT_EQ(Field(d, field), c.count) << c.across;
            EXPECT_EQ(GetFocus(), GetDlgItem(d, field));
            const TileFormat& format = TileMap_Job()->format;
            if (c.command == IDM_TOOL_FORMAT)
                bytes.insert(bytes.end(), {format.tileBytes, format.stride});
        }
        Ui_PressButton(d, IDCANCEL);
    });
    AppSession app;
    SendMessageA(app.main(), WM_COMMAND, IDM_TILEORDER, 0);
    EXPECT_FALSE(s.hook.gaveUp);
    EXPECT_EQ(bytes, (std::vector<uint32_t>{4096, 4096, 10, 12, 10, 12, 1, 1}));
    const TileMapJob* job = TileMap_Job();
    EXPECT_EQ(
        std::make_tuple(job->inputColumns, job->inputRows, job->inputCount, job->format.formatId),
        std::make_tuple(1920, 1080, 2073600, 6u));
    EXPECT_EQ(std::make_pair(job->outputColumns, job->outputCount), std::make_pair(11, 188));
}

// One opening checks the start state and the count fields, then the checks
// and jobs; the next opening shows what the first one left.
TEST(ToolDialog, OpensOnTheJobChecksInOrderAsksAndKeepsItsSettings) {
    Tool_ResetSettings();
    TestDir dir;
    InFolder in(dir.path);
    WriteFile("p.map", "1~1500\n");
    WriteFile("empty.map", "# nothing\n");
    std::vector<std::string> opened; // pattern, output, counts, format, method row
    auto state = [&](HWND d) {
        std::string shown;
        for (int id : {IDC_TOOL_PATTERN, IDC_TOOL_OUTPUT, IDC_TOOL_INPUT_COUNT,
                       IDC_TOOL_OUTPUT_COUNT, IDC_TOOL_FORMAT})
            shown += Field(d, id) + "|";
        opened.push_back(
            shown + std::to_string(SendDlgItemMessageA(d, IDC_TOOL_METHOD, CB_GETCURSEL, 0, 0)));
    };
    // clang-format off
    const std::tuple<std::string, std::string, int, std::string> jobs[] = {
        // pattern, output, answer to the question (0: not asked), result line
        {" ", "", 0, Test_Format(IDS_TOOL_BAD_PATTERN, "", "")},
        {"p.map", " ", 0, Test_Format(IDS_TOOL_BAD_OUTPUT, "", "")},
        {"p.map", "out\\m.bbl", IDNO, ""},
        {"empty.map", "out\\m.bbl", IDYES, Test_Format(IDS_TOOL_NOT_PROCESSED, "")},
        {" p.map ", "out\\m.bbl ", IDYES, Test_Format(IDS_TOOL_PROCESSED, "1,500", "")}};
    const std::pair<std::string, std::string> counts[] = {
        {"0", "1"}, {"2073601", "2,073,600"}, {"12x5", "256"}, {"abc", "1"}, {"2000", "2,000"}};
    // clang-format on
    Script s;
    s.flows = {[&](HWND d) {
                   state(d);
                   for (auto [typed, shown] : counts) {
                       Type(d, IDC_TOOL_INPUT_COUNT, typed);
                       EXPECT_EQ(Field(d, IDC_TOOL_INPUT_COUNT), shown) << typed;
                   }
                   SetDlgItemTextA(d, IDC_TOOL_OUTPUT_COUNT, "1500");
                   SendDlgItemMessageA(d, IDC_TOOL_METHOD, CB_SETCURSEL, 1, 0); // undo
                   for (auto [pattern, output, answer, result] : jobs) {
                       SetDlgItemTextA(d, IDC_TOOL_PATTERN, pattern.c_str());
                       SetDlgItemTextA(d, IDC_TOOL_OUTPUT, output.c_str());
                       s.answers = {answer};
                       s.asked.clear();
                       SendMessageA(d, WM_COMMAND, IDOK, 0);
                       EXPECT_EQ(Field(d, IDC_RESULT), result) << pattern;
                       EXPECT_EQ(s.asked, std::vector<std::string>(
                                              answer != 0, Ui_String(IDS_TOOL_PROCESS_ASK)));
                       EXPECT_EQ(std::filesystem::exists("out/m.bbl"), pattern == " p.map ");
                       EXPECT_EQ(TileMap_Job()->method, answer == IDYES); // set only by a start
                   }
                   Ui_PressButton(d, IDCANCEL);
               },
               [&](HWND d) {
                   state(d);
                   Ui_PressButton(d, IDCANCEL);
               }};
    AppSession app;
    SendMessageA(app.main(), WM_COMMAND, IDM_TILEORDER, 0);
    SendMessageA(app.main(), WM_COMMAND, IDM_TILEORDER, 0);
    EXPECT_FALSE(s.hook.gaveUp);
    const std::string format = Test_Format(IDS_TOOL_FORMAT_TEXT, 8, 8, 4);
    EXPECT_EQ(opened, (std::vector<std::string>{Ui_String(IDS_TOOL_START_PATTERN) + "|" +
                                                    Ui_String(IDS_TOOL_START_OUTPUT) + "|255|188|" +
                                                    format + "|0",
                                                "p.map|out\\m.bbl|2,000|1,500|" + format + "|1"}));
    // The undo map of 1~1500: tile t + 1 in slot t + 1, in its low byte;
    // the 500 tiles no slot names stay 0.
    const std::string map = ReadFile("out/m.bbl");
    ASSERT_EQ(map.size(), 2000u);
    EXPECT_EQ(std::make_tuple(map.substr(0, 3), map[255], map[1499], map[1500]),
              std::make_tuple(std::string("\1\2\3"), '\0', '\xDC', '\0'));
}

} // namespace
