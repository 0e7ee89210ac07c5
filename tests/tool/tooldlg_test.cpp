// The tile reorder dialog and its popups, from the main window: dialog 300's start state and count
// fields, its checks in order, question and results, and the settings, method and the one legend
// picture kept for the next opening; in a session of their own, the grid popup's clamping, bad
// text, cancel and lost activation, and the format popup's rows and byte sizes.
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
const auto F = [](int w, int h, int b) { return Test_Format(IDS_TOOL_FORMAT_TEXT, w, h, b); };

// Settings at their start values and a scratch working folder; flows run on the dialogs met
// after one opening of the tool dialog.
struct ToolDialog : testing::Test {
    InTestDir dir;
    Script s;
    std::set<LRESULT> legends;
    ToolDialog() { Tool_ResetSettings(); }
    ~ToolDialog() override { Tool_ResetSettings(); }
    void Open() {
        AppSession app;
        SendMessageA(app.main(), WM_COMMAND, IDM_TILEORDER, 0);
        EXPECT_FALSE(s.hook.gaveUp);
    }
    // The pattern, output, counts, format and method row the dialog shows.
    std::string Shown(HWND d) {
        legends.insert(SendDlgItemMessageA(d, IDC_TOOL_LEGEND, STM_GETIMAGE, IMAGE_BITMAP, 0));
        std::string shown;
        for (int id : {IDC_TOOL_PATTERN, IDC_TOOL_OUTPUT, IDC_TOOL_INPUT_COUNT,
                       IDC_TOOL_OUTPUT_COUNT, IDC_TOOL_FORMAT})
            shown += Field(d, id) + "|";
        return shown + std::to_string(SendDlgItemMessageA(d, IDC_TOOL_METHOD, CB_GETCURSEL, 0, 0));
    }
};

// The start state; counts typed into the input count field, then left: what the field shows.
// Then each row started in turn (undo, 2000 inputs, 1500 outputs): the result line, the
// question, what the output folder holds; the next opening shows the settings of the last.
TEST_F(ToolDialog, StartStateCountsChecksInOrderAndKeptSettings) {
    const std::pair<std::string, std::string> counts[] = {
        {"0", "1"}, {"2073601", "2,073,600"}, {"12x5", "256"}, {"abc", "1"}, {"2000", "2,000"}};
    WriteFile("p.map", "1~1500\n");
    WriteFile("empty.map", "# nothing\n");
    std::filesystem::create_directory("out");
    TileMapJob* job = TileMap_Job();
    // clang-format off
    const std::tuple<std::string, std::string, int, std::string> jobs[] = {
        // pattern, output, answer to the question (0: not asked), result line
        {" ", "", 0, Test_Format(IDS_TOOL_BAD_PATTERN, "", "")},
        {"p.map", " ", 0, Test_Format(IDS_TOOL_BAD_OUTPUT, "", "")},
        {"p.map", "out\\m.bbl", IDNO, ""},
        {"empty.map", "out\\m.bbl", IDYES, Test_Format(IDS_TOOL_NOT_PROCESSED, Ui_String(IDS_REASON_EMPTY).c_str())},
        {"AUX", "out\\m.bbl", IDYES, Test_Format(IDS_TOOL_NOT_PROCESSED, Test_Format(IDS_REASON_DEVICE, "AUX").c_str())},
        {" p.map ", "out\\m.bbl ", IDYES, Test_Format(IDS_TOOL_PROCESSED, "1,500", "")}};
    // clang-format on
    std::string kept;
    s.flows = {
        [&](HWND d) {
            EXPECT_EQ(Shown(d), Ui_String(IDS_TOOL_START_PATTERN) + "|" +
                                    Ui_String(IDS_TOOL_START_OUTPUT) + "|255|188|" + F(8, 8, 4) +
                                    "|0");
            for (auto [typed, shown] : counts) { // the last leaves 2000 inputs
                SetDlgItemTextA(d, IDC_TOOL_INPUT_COUNT, typed.c_str());
                SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_TOOL_INPUT_COUNT, EN_KILLFOCUS), 0);
                EXPECT_EQ(Field(d, IDC_TOOL_INPUT_COUNT), shown) << typed;
            }
            SetDlgItemTextA(d, IDC_TOOL_OUTPUT_COUNT, "1500");
            SendDlgItemMessageA(d, IDC_TOOL_METHOD, CB_SETCURSEL, 1, 0); // undo
            for (auto [pattern, output, answer, result] : jobs) {
                SCOPED_TRACE("pattern '" + pattern + "', output '" + output + "'");
                SetDlgItemTextA(d, IDC_TOOL_PATTERN, pattern.c_str());
                SetDlgItemTextA(d, IDC_TOOL_OUTPUT, output.c_str());
                s.answers = {answer};
                s.asked.clear();
                SendMessageA(d, WM_COMMAND, IDOK, 0);
                EXPECT_EQ(Field(d, IDC_RESULT), result);
                EXPECT_EQ(s.asked,
                          std::vector<std::string>(answer != 0, Ui_String(IDS_TOOL_PROCESS_ASK)));
                EXPECT_EQ(std::filesystem::exists("out/m.bbl"), pattern == " p.map ");
                EXPECT_EQ(std::distance(std::filesystem::directory_iterator("out"), {}),
                          pattern == " p.map ");         // no temporary left behind
                EXPECT_EQ(job->method, answer == IDYES); // set only by a start
            }
            Ui_PressButton(d, IDCANCEL);
        },
        [&](HWND d) {
            kept = Shown(d);
            Ui_PressButton(d, IDCANCEL);
        }};
    AppSession app;
    SendMessageA(app.main(), WM_COMMAND, IDM_TILEORDER, 0);
    SendMessageA(app.main(), WM_COMMAND, IDM_TILEORDER, 0);
    EXPECT_FALSE(s.hook.gaveUp);
    EXPECT_EQ(kept, "p.map|out\\m.bbl|2,000|1,500|" + F(8, 8, 4) + "|1");
    EXPECT_EQ(legends, std::set<LRESULT>{LRESULT(App_LegendBitmap())}); // not one per opening
    // The undo map of 1~1500: tile t + 1's low byte in slot t + 1; the rest 0.
    const std::string map = ReadFile("out/m.bbl");
    ASSERT_EQ(map.size(), 2000u);
    EXPECT_EQ(std::make_tuple(map.substr(0, 3), map[255], map[1499], map[1500]),
              std::make_tuple(std::string("\1\2\3"), '\0', '\xDC', '\0'));
}

// Each row opens a popup from the dialog in turn: the fields and colour row it opens with, what
// is typed and chosen, how it ends (1 OK, 2 Cancel, 0 the tool dialog activated), and the
// dialog's field afterwards; the format rows also give the job's tile bytes and stride.
TEST_F(ToolDialog, GridAndFormatPopups) {
    const int GRID = IDM_TOOL_INPUT_GRID, FMT = IDM_TOOL_FORMAT;
    const struct {
        int command, row, end;
        std::string across, down, shown, count;
        uint32_t bytes = 0, stride = 0; // the job's tile bytes and stride after the row
    } rows[] = {                        // the grid popup has no colour row: CB_GETCURSEL gives 0
                {GRID, 0, 1, "2000", "0", "11 14 0", "1,920"},
                {GRID, 0, 1, "12x5", "abc", "1,920 1 0", "1"},
                {GRID, 0, 2, "7", "7", "1 1 0", "1"},
                {GRID, 0, 0, "8", "8", "1 1 0", "1"},
                {GRID, 0, 1, "1,920", "1080", "1 1 0", "2,073,600"},
                {FMT, 4, 1, "65", "64", "8 8 7", F(64, 64, 8), 4096, 4096},
                {FMT, 2, 1, "5", "5", "64 64 4", F(5, 5, 3), 10, 12},
                {FMT, 0, 0, "2", "2", "5 5 2", F(5, 5, 3), 10, 12},
                {FMT, 7, 1, "x", "0", "5 5 2", F(1, 1, 4), 1, 1}};
    TileMapJob* job = TileMap_Job();
    HWND tool = nullptr;
    s.flows = {[&](HWND d) {
        tool = d;
        for (const auto& r : rows) {
            SCOPED_TRACE("row " + std::to_string(&r - rows));
            const int field = r.command == FMT ? IDC_TOOL_FORMAT : IDC_TOOL_INPUT_COUNT;
            SendMessageA(d, WM_COMMAND, r.command, 0);
            EXPECT_EQ(Field(d, field), r.count);
            EXPECT_EQ(GetFocus(), GetDlgItem(d, field));
            EXPECT_EQ(std::make_pair(job->format.tileBytes, uint32_t(job->format.stride)),
                      std::make_pair(r.bytes, r.stride));
        }
        Ui_PressButton(d, IDCANCEL);
    }};
    for (const auto& r : rows)
        s.flows.push_back([&](HWND p) {
            EXPECT_EQ(
                Field(p, IDC_POPUP_ACROSS) + " " + Field(p, IDC_POPUP_DOWN) + " " +
                    std::to_string(SendDlgItemMessageA(p, IDC_POPUP_COLOURS, CB_GETCURSEL, 0, 0)),
                r.shown)
                << "row " << &r - rows;
            SetDlgItemTextA(p, IDC_POPUP_ACROSS, r.across.c_str()); // Enter typed
            SetDlgItemTextA(p, IDC_POPUP_DOWN, r.down.c_str());     // in the field
            SendDlgItemMessageA(p, IDC_POPUP_COLOURS, CB_SETCURSEL, r.row, 0);
            r.end ? Ui_PressButton(p, r.end) : (void)SetActiveWindow(tool);
        });
    Open();
    EXPECT_EQ(
        std::make_tuple(job->inputColumns, job->inputRows, job->inputCount, job->format.formatId),
        std::make_tuple(1920, 1080, 2073600, 6u));
}

} // namespace
