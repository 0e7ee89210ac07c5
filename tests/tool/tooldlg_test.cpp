// The tile reorder dialog and its popups, from the main window: dialog 300's
// start state, count fields, checks in order, question, results, and the
// settings, method and the one legend picture kept; the grid popup's clamping, bad text, cancel and
// lost activation; the format popup's rows and byte sizes.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <set>
#include "engine/tilemap.h"
#include "resources/resource.h"
#include "shell/appstate.h"
#include "tests/support/uitest.h"
#include "tests/support/testdir.h"
#include "tool/popups.h"
#include "tool/tooldlg.h"

namespace {

const auto Field = [](HWND d, int id) { return Ui_Text(GetDlgItem(d, id)); };

struct PopupCase {
    int command, row, end; // colour row chosen; 1 OK, 2 Cancel or 0: the tool dialog activated
    std::string across, down, shown, count; // typed; fields and row at opening; field after
};

// One opening checks the start state, the count fields, then the checks and
// jobs; the next shows what it left; after a reset, a third runs the popups.
TEST(ToolDialog, ChecksInOrderAsksKeepsItsSettingsAndRunsThePopups) {
    Tool_ResetSettings();
    InTestDir dir;
    WriteFile("p.map", "1~1500\n");
    WriteFile("empty.map", "# nothing\n");
    std::filesystem::create_directory("out");
    TileMapJob* job = TileMap_Job();
    const std::string ask = Ui_String(IDS_TOOL_PROCESS_ASK);
    auto F = [](int w, int h, int b) { return Test_Format(IDS_TOOL_FORMAT_TEXT, w, h, b); };
    const int GRID = IDM_TOOL_INPUT_GRID, FMT = IDM_TOOL_FORMAT;
    // clang-format off
    const std::tuple<std::string, std::string, int, std::string> jobs[] = {
        // pattern, output, answer to the question (0: not asked), result line
        {" ", "", 0, Test_Format(IDS_TOOL_BAD_PATTERN, "", "")},
        {"p.map", " ", 0, Test_Format(IDS_TOOL_BAD_OUTPUT, "", "")},
        {"p.map", "out\\m.bbl", IDNO, ""},
        {"empty.map", "out\\m.bbl", IDYES, Test_Format(IDS_TOOL_NOT_PROCESSED, Ui_String(IDS_REASON_EMPTY).c_str())},
        {"AUX", "out\\m.bbl", IDYES, Test_Format(IDS_TOOL_NOT_PROCESSED, Test_Format(IDS_REASON_DEVICE, "AUX").c_str())},
        {" p.map ", "out\\m.bbl ", IDYES, Test_Format(IDS_TOOL_PROCESSED, "1,500", "")}};
    const std::pair<std::string, std::string> counts[] = {
        {"0", "1"}, {"2073601", "2,073,600"}, {"12x5", "256"}, {"abc", "1"}, {"2000", "2,000"}};
    const PopupCase cases[] = { // the grid popup has no colour row: CB_GETCURSEL gives 0
        {GRID, 0, 1, "2000", "0", "11 14 0", "1,920"},
        {GRID, 0, 1, "12x5", "abc", "1,920 1 0", "1"}, {GRID, 0, 2, "7", "7", "1 1 0", "1"},
        {GRID, 0, 0, "8", "8", "1 1 0", "1"}, {GRID, 0, 1, "1,920", "1080", "1 1 0", "2,073,600"},
        {FMT, 4, 1, "65", "64", "8 8 7", F(64, 64, 8)},
        {FMT, 2, 1, "5", "5", "64 64 4", F(5, 5, 3)}, {FMT, 0, 0, "2", "2", "5 5 2", F(5, 5, 3)},
        {FMT, 7, 1, "x", "0", "5 5 2", F(1, 1, 4)}};
    // clang-format on
    std::vector<std::string> opened; // pattern, output, counts, format, method row
    std::set<LRESULT> legends;
    auto state = [&](HWND d, bool close) {
        legends.insert(SendDlgItemMessageA(d, IDC_TOOL_LEGEND, STM_GETIMAGE, IMAGE_BITMAP, 0));
        std::string shown;
        for (int id : {IDC_TOOL_PATTERN, IDC_TOOL_OUTPUT, IDC_TOOL_INPUT_COUNT,
                       IDC_TOOL_OUTPUT_COUNT, IDC_TOOL_FORMAT})
            shown += Field(d, id) + "|";
        opened.push_back(
            shown + std::to_string(SendDlgItemMessageA(d, IDC_TOOL_METHOD, CB_GETCURSEL, 0, 0)));
        if (close) Ui_PressButton(d, IDCANCEL);
    };
    std::vector<uint32_t> bytes; // tile bytes and stride after each format popup
    Script s;
    s.flows.reserve(16); // flows are added while one runs
    s.flows.push_back([&](HWND d) {
        state(d, false);
        for (auto [typed, shown] : counts) {
            SetDlgItemTextA(d, IDC_TOOL_INPUT_COUNT, typed.c_str()); // then left
            SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_TOOL_INPUT_COUNT, EN_KILLFOCUS), 0);
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
            EXPECT_EQ(s.asked, std::vector<std::string>(answer != 0, ask));
            EXPECT_EQ(std::filesystem::exists("out/m.bbl"), pattern == " p.map ");
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator("out"), {}),
                      pattern == " p.map ");         // no temporary left behind
            EXPECT_EQ(job->method, answer == IDYES); // set only by a start
        }
        Ui_PressButton(d, IDCANCEL);
    });
    s.flows.push_back([&](HWND d) { state(d, true); });
    s.flows.push_back([&](HWND d) {
        for (const PopupCase& c : cases) {
            s.flows.push_back([&, d](HWND p) {
                EXPECT_EQ(Field(p, IDC_POPUP_ACROSS) + " " + Field(p, IDC_POPUP_DOWN) + " " +
                              std::to_string(
                                  SendDlgItemMessageA(p, IDC_POPUP_COLOURS, CB_GETCURSEL, 0, 0)),
                          c.shown);
                SetDlgItemTextA(p, IDC_POPUP_ACROSS, c.across.c_str()); // Enter typed
                SetDlgItemTextA(p, IDC_POPUP_DOWN, c.down.c_str());     // in the field
                SendDlgItemMessageA(p, IDC_POPUP_COLOURS, CB_SETCURSEL, c.row, 0);
                c.end ? Ui_PressButton(p, c.end) : (void)SetActiveWindow(d);
            });
            SendMessageA(d, WM_COMMAND, c.command, 0);
            int field = c.command == FMT ? IDC_TOOL_FORMAT : IDC_TOOL_INPUT_COUNT;
            EXPECT_EQ(Field(d, field), c.count) << c.across;
            EXPECT_EQ(GetFocus(), GetDlgItem(d, field));
            if (c.command == FMT)
                bytes.insert(bytes.end(), {job->format.tileBytes, job->format.stride});
        }
        Ui_PressButton(d, IDCANCEL);
    });
    AppSession app;
    SendMessageA(app.main(), WM_COMMAND, IDM_TILEORDER, 0);
    SendMessageA(app.main(), WM_COMMAND, IDM_TILEORDER, 0);
    const std::string format = F(8, 8, 4);
    EXPECT_EQ(opened, (std::vector<std::string>{Ui_String(IDS_TOOL_START_PATTERN) + "|" +
                                                    Ui_String(IDS_TOOL_START_OUTPUT) + "|255|188|" +
                                                    format + "|0",
                                                "p.map|out\\m.bbl|2,000|1,500|" + format + "|1"}));
    EXPECT_EQ(legends, std::set<LRESULT>{LRESULT(App_LegendBitmap())}); // not one per opening
    // The undo map of 1~1500: tile t + 1's low byte in slot t + 1; the rest 0.
    const std::string map = ReadFile("out/m.bbl");
    ASSERT_EQ(map.size(), 2000u);
    EXPECT_EQ(std::make_tuple(map.substr(0, 3), map[255], map[1499], map[1500]),
              std::make_tuple(std::string("\1\2\3"), '\0', '\xDC', '\0'));
    Tool_ResetSettings();
    SendMessageA(app.main(), WM_COMMAND, IDM_TILEORDER, 0);
    EXPECT_FALSE(s.hook.gaveUp);
    EXPECT_EQ(bytes, (std::vector<uint32_t>{4096, 4096, 10, 12, 10, 12, 1, 1}));
    EXPECT_EQ(
        std::make_tuple(job->inputColumns, job->inputRows, job->inputCount, job->format.formatId),
        std::make_tuple(1920, 1080, 2073600, 6u));
}

} // namespace
