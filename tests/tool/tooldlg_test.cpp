// The tile reorder dialog and its popups, driven from the main window: the
// grid popup's clamping, bad text, cancel and lost activation; the bitmap
// format popup's start row, byte sizes and remembered row; dialog 300's
// opening state, count fields, the order of the checks before a job, the
// question answered No and Yes, the result texts, and the settings and
// method kept for the next opening.
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
int Row(HWND d, int id) {
    return int(SendDlgItemMessageA(d, id, CB_GETCURSEL, 0, 0));
}
// Types text into a field and takes the focus away, as leaving it does.
void Type(HWND d, int id, const std::string& text) {
    SetDlgItemTextA(d, id, text.c_str());
    SendMessageA(d, WM_COMMAND, MAKEWPARAM(id, EN_KILLFOCUS), LPARAM(GetDlgItem(d, id)));
}
// Opens the tool over the main window with the flows of the dialogs it meets.
void RunTool(Script& s) {
    AppSession app;
    SendMessageA(app.main(), WM_COMMAND, IDM_TILEORDER, 0);
    EXPECT_FALSE(s.hook.gaveUp);
}

TEST(ToolPopups, GridClampsReadsBadTextAsOneAndCancelsOnLostActivation) {
    Tool_ResetSettings();
    // clang-format off
    const std::tuple<std::string, std::string, int, std::string> cases[] = {
        // across, down, how it ends, the input count field afterwards
        {"2000", "0", IDOK, "1,920"}, {"12x5", "abc", IDOK, "1"}, {"7", "7", IDCANCEL, "1"},
        {"8", "8", 0, "1"} /* the tool dialog activated */, {"1,920", "1080", IDOK, "2,073,600"}};
    // clang-format on
    Script s;
    s.flows.reserve(8);                                     // flows are added while one runs
    std::vector<std::pair<std::string, std::string>> shown; // each popup's fields at opening
    s.flows.push_back([&](HWND d) {
        for (size_t i = 0; i < std::size(cases); ++i) {
            s.flows.push_back([&, d, i](HWND p) {
                shown.push_back({Field(p, IDC_POPUP_ACROSS), Field(p, IDC_POPUP_DOWN)});
                auto [across, down, end, count] = cases[i];
                Type(p, IDC_POPUP_ACROSS, across);
                Type(p, IDC_POPUP_DOWN, down);
                if (end)
                    Ui_PressButton(p, end);
                else
                    SetActiveWindow(d);
            });
            SendMessageA(d, WM_COMMAND, IDM_TOOL_INPUT_GRID, 0);
            EXPECT_EQ(Field(d, IDC_TOOL_INPUT_COUNT), std::get<3>(cases[i])) << i;
            EXPECT_EQ(GetFocus(), GetDlgItem(d, IDC_TOOL_INPUT_COUNT));
        }
        Ui_PressButton(d, IDCANCEL);
    });
    RunTool(s);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"11", "14"}, {"1,920", "1"}, {"1", "1"}, {"1", "1"}, {"1", "1"}};
    EXPECT_EQ(shown, expected);
    const TileMapJob* job = TileMap_Job();
    EXPECT_EQ(std::make_tuple(job->inputColumns, job->inputRows, job->inputCount),
              std::make_tuple(1920, 1080, 2073600));
    EXPECT_EQ(std::make_pair(job->outputColumns, job->outputCount), std::make_pair(11, 188));
}

TEST(ToolPopups, FormatStartsOnTheJobsRowWorksOutBytesAndRemembersTheRow) {
    Tool_ResetSettings();
    struct Case {
        std::string width, height;
        int row, end;
        TileFormat after; // bytes, width, height, stride, bits, format id
    };
    const Case cases[] = {{"65", "64", 4, IDOK, {4096, 64, 64, 4096, 8, 7}},
                          {"5", "5", 2, IDOK, {10, 5, 5, 12, 3, 4}},
                          {"2", "2", 0, IDCANCEL, {10, 5, 5, 12, 3, 4}},
                          {"x", "0", 7, IDOK, {1, 1, 1, 1, 4, 6}}};
    Script s;
    s.flows.reserve(8);    // flows are added while one runs
    std::vector<int> rows; // the colour row at each opening
    s.flows.push_back([&](HWND d) {
        for (const Case& c : cases) {
            s.flows.push_back([&](HWND p) {
                rows.push_back(Row(p, IDC_POPUP_COLOURS));
                Type(p, IDC_POPUP_ACROSS, c.width);
                Type(p, IDC_POPUP_DOWN, c.height);
                SendDlgItemMessageA(p, IDC_POPUP_COLOURS, CB_SETCURSEL, c.row, 0);
                Ui_PressButton(p, c.end);
            });
            SendMessageA(d, WM_COMMAND, IDM_TOOL_FORMAT, 0);
            const TileFormat& f = TileMap_Job()->format;
            EXPECT_EQ(std::make_tuple(f.tileBytes, f.width, f.height, f.stride, f.bitsPerPixel,
                                      f.formatId),
                      std::make_tuple(c.after.tileBytes, c.after.width, c.after.height,
                                      c.after.stride, c.after.bitsPerPixel, c.after.formatId));
            EXPECT_EQ(Field(d, IDC_TOOL_FORMAT),
                      Test_Format(IDS_TOOL_FORMAT_TEXT, f.width, f.height, f.bitsPerPixel));
        }
        Ui_PressButton(d, IDCANCEL);
    });
    RunTool(s);
    EXPECT_EQ(rows, (std::vector<int>{7, 4, 2, 2}));
    EXPECT_EQ(FormatPopup_RememberedRow(), 7);
}

// One opening checks the start state and the count fields, then runs the
// checks and jobs; the next opening shows what the first one left.
TEST(ToolDialog, OpensOnTheJobChecksInOrderAsksAndKeepsItsSettings) {
    Tool_ResetSettings();
    TestDir dir;
    InFolder in(dir.path);
    WriteFile("p.map", "1~1500\n");
    WriteFile("empty.map", "# nothing\n");
    std::vector<std::string> opened; // pattern, output, counts, format, method row
    auto state = [&](HWND d) {
        opened.push_back(Field(d, IDC_TOOL_PATTERN) + "|" + Field(d, IDC_TOOL_OUTPUT) + "|" +
                         Field(d, IDC_TOOL_INPUT_COUNT) + "|" + Field(d, IDC_TOOL_OUTPUT_COUNT) +
                         "|" + Field(d, IDC_TOOL_FORMAT) + "|" +
                         std::to_string(Row(d, IDC_TOOL_METHOD)));
    };
    const std::string ask = Ui_String(IDS_TOOL_PROCESS_ASK);
    // clang-format off
    const std::tuple<std::string, std::string, int, std::string, std::vector<std::string>> jobs[] = {
        // pattern, output, answer, result line, questions
        {" ", "", 0, Test_Format(IDS_TOOL_BAD_PATTERN, "", ""), {}},
        {"p.map", " ", 0, Test_Format(IDS_TOOL_BAD_OUTPUT, "", ""), {}},
        {"p.map", "out\\m.bbl", IDNO, "", {ask}},
        {"empty.map", "out\\m.bbl", IDYES, Test_Format(IDS_TOOL_NOT_PROCESSED, ""), {ask}},
        {" p.map ", "out\\m.bbl ", IDYES, Test_Format(IDS_TOOL_PROCESSED, "1,500", ""), {ask}}};
    // clang-format on
    Script s;
    s.flows = {[&](HWND d) {
                   state(d);
                   const std::pair<std::string, std::string> counts[] = {
                       {"0", "1"}, {"2073601", "2,073,600"}, {"12x5", "256"}, {"abc", "1"}};
                   for (auto [typed, shown] : counts) {
                       Type(d, IDC_TOOL_INPUT_COUNT, typed);
                       EXPECT_EQ(Field(d, IDC_TOOL_INPUT_COUNT), shown) << typed;
                   }
                   SetDlgItemTextA(d, IDC_TOOL_INPUT_COUNT, "2000");
                   SetDlgItemTextA(d, IDC_TOOL_OUTPUT_COUNT, "1500");
                   SendDlgItemMessageA(d, IDC_TOOL_METHOD, CB_SETCURSEL, 1, 0); // undo
                   for (auto [pattern, output, answer, result, asked] : jobs) {
                       SetDlgItemTextA(d, IDC_TOOL_PATTERN, pattern.c_str());
                       SetDlgItemTextA(d, IDC_TOOL_OUTPUT, output.c_str());
                       s.answers = {answer};
                       s.asked.clear();
                       SendMessageA(d, WM_COMMAND, IDOK, 0);
                       EXPECT_EQ(Field(d, IDC_RESULT), result) << pattern;
                       EXPECT_EQ(s.asked, asked) << pattern;
                       EXPECT_EQ(std::filesystem::exists("out/m.bbl"), pattern == " p.map ");
                       EXPECT_EQ(TileMap_Job()->method, asked.empty() ? 0 : answer == IDYES);
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
    EXPECT_EQ(std::string(map, 0, 3), "\1\2\3");
    EXPECT_EQ(std::make_tuple(map[255], map[1499], map[1500]), std::make_tuple('\0', '\xDC', '\0'));
}

} // namespace
