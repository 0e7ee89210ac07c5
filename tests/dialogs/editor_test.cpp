// The editor program dialog, one session per part: menu keys and placement in a small work area;
// presets and Apply asking first, the row kept across openings; Editor_OpenFile's missing file
// told before any question, its questions, and which stand-in editors were started, given the
// trimmed name in quotes.
#include <gtest/gtest.h>
#include "dialogs/editor.h"
#include "resources/resource.h"
#include "tests/support/uitest.h"
#include "tests/support/testdir.h"

namespace {

const std::string NOTEPAD = "C:\\WINDOWS\\NOTEPAD.EXE";

std::pair<int, std::string> Shown(HWND d) { // the preset row and the path
    return {int(SendDlgItemMessageA(d, IDC_EDITOR_PRESET, CB_GETCURSEL, 0, 0)),
            Ui_Text(GetDlgItem(d, IDC_EDITOR_PATH))};
}

// Opened by its menu keys, held inside a work area smaller than it; a preset is taken only on Yes
// and Escape applies nothing.
TEST(EditorDialog, MenuKeysSmallWorkAreaAndPresetsAskFirst) {
    AppSession app;
    HWND first = nullptr;
    Script s;
    s.flows = {[&](HWND d) {
        first = d;
        RECT r;
        EXPECT_TRUE(GetWindowRect(d, &r) && r.left == 0 && r.top == 0);
        s.answers = {IDNO, IDYES};
        Ui_ChooseRow(d, IDC_EDITOR_PRESET, 2);
        EXPECT_EQ(Shown(d), std::make_pair(1, NOTEPAD));
        Ui_ChooseRow(d, IDC_EDITOR_PRESET, 2);
        EXPECT_EQ(Shown(d).second, "C:\\Program Files\\EmEditor\\EmEditor.exe");
        Ui_PressKey(VK_ESCAPE);
    }};
    RECT saved, small = {0, 0, 400, 250};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &saved, 0);
    SystemParametersInfoA(SPI_SETWORKAREA, 0, &small, 0);
    Ui_PressKey('O', true);
    Ui_PressKey('E');
    EXPECT_TRUE(Ui_PumpUntil([&] { return first && !IsWindow(first); }));
    SystemParametersInfoA(SPI_SETWORKAREA, 0, &saved, 0);
    EXPECT_FALSE(s.hook.gaveUp);
    EXPECT_EQ(s.asked, std::vector<std::string>(2, Ui_String(IDS_EDITOR_CHANGE_ASK)));
    EXPECT_EQ(Editor_GetPath(), NOTEPAD);
}

// Each row's text applied in turn: the result line and the editor kept. The next opening shows
// the row last shown, one after a path of Notepad in small letters Notepad's.
TEST(EditorDialog, ApplyAsksFirstAndTheRowShownOutlivesTheDialog) {
    InTestDir dir;
    WriteFile("tool.ex", "");
    WriteFile("EDIT.EXE", "");
    const std::string edit = std::filesystem::absolute("EDIT.EXE").string();
    const std::tuple<std::string, int, int> applies[] = {
        // text, answer, result line
        {"C:\\nowhere\\x.exe", 0, IDS_EDITOR_BAD_FILE},
        {"nowhere.ex", 0, IDS_EDITOR_BAD_FILE},
        {"tool.ex", 0, IDS_EDITOR_BAD_EXT},
        {edit + " ", IDNO, 0},
        {" " + edit + " ", IDYES, IDS_EDITOR_DONE}};
    AppSession app;
    std::vector<int> rows; // the row shown at each later opening
    Script s;
    auto close = [&](HWND d) {
        rows.push_back(Shown(d).first);
        Ui_PressButton(d, IDCANCEL);
    };
    s.flows = {
        [&](HWND d) {
            Ui_ChooseRow(d, IDC_EDITOR_PRESET, 0); // the chooser, cancelled
            EXPECT_EQ(Shown(d), std::make_pair(1, NOTEPAD));
            s.answers = {IDYES};
            Ui_ChooseRow(d, IDC_EDITOR_PRESET, 2);
            for (auto [text, answer, result] : applies) {
                s.answers = {answer};
                SetDlgItemTextA(d, IDC_EDITOR_PATH, text.c_str());
                SendMessageA(d, WM_COMMAND, IDOK, 0);
                EXPECT_EQ(Ui_Text(GetDlgItem(d, IDC_RESULT)), result ? Ui_String(result) : "")
                    << text;
                EXPECT_EQ(Editor_GetPath(), answer == IDYES ? edit : NOTEPAD) << text;
            }
            Ui_PressButton(d, IDCANCEL);
        },
        [&](HWND d) { Ui_PressButton(d, IDCANCEL); }, close, close};
    SendMessageA(app.main(), WM_COMMAND, IDM_EDITOR, 0);
    SendMessageA(app.main(), WM_COMMAND, IDM_EDITOR, 0);
    Editor_SetPath("c:\\windows\\notepad.exe");
    SendMessageA(app.main(), WM_COMMAND, IDM_EDITOR, 0);
    EXPECT_FALSE(s.hook.gaveUp);
    EXPECT_EQ(rows, (std::vector<int>{2, 1}));
    const std::string change = Ui_String(IDS_EDITOR_CHANGE_ASK),
                      apply = Ui_String(IDS_EDITOR_APPLY_ASK);
    EXPECT_EQ(s.asked, (std::vector<std::string>{change, apply, apply}));
}

// Editor_OpenFile on each row from an open editor dialog: the questions asked and the result
// line; a stand-in editor per row that could start it records under its own name.
TEST(EditorDialog, OpenFileAsksFirstAndStartsTheEditorWithTheNameQuoted) {
    const std::string probe = std::filesystem::absolute("editor_probe.exe").string();
    InTestDir dir;
    const std::string name = "a name with blanks.txt", none = "C:\\nowhere\\editor.exe";
    WriteFile(name, "");
    const std::string declined = "declined.exe", opened = "opened.exe", missing = "missing.exe";
    for (const std::string& copy : {declined, opened, missing})
        CopyFileA(probe.c_str(), copy.c_str(), FALSE);
    const std::string open = Ui_String(IDS_EDITOR_OPEN_ASK),
                      wrong = Ui_String(IDS_EDITOR_MISSING_ASK),
                      noFile = Test_Format(IDS_EDITOR_NO_FILE, "");
    // clang-format off
    const std::tuple<std::string, std::string, std::vector<int>, std::vector<std::string>,
                     std::string> opens[] = { // editor, file, answers, questions, result line
        {missing, "", {IDYES}, {}, noFile},
        {none, " gone ", {IDYES}, {}, Test_Format(IDS_EDITOR_NO_FILE, "gone")},
        {declined, name, {IDNO}, {open}, ""}, {none, name, {IDYES, IDNO}, {open, wrong}, ""},
        {opened, " " + name + " ", {IDYES}, {open}, ""},
        {none, name, {IDYES, IDYES}, {open, wrong}, "offered"}};
    // clang-format on
    AppSession app;
    Script s;
    s.flows = {[&](HWND d) {
                   for (auto [editor, file, answers, asked, result] : opens) {
                       Editor_SetPath(editor.c_str());
                       SetDlgItemTextA(d, IDC_EDITOR_PATH, file.c_str());
                       SetDlgItemTextA(d, IDC_RESULT, "");
                       s.answers = answers;
                       s.asked.clear();
                       Editor_OpenFile(d, IDC_EDITOR_PATH, IDC_RESULT);
                       EXPECT_EQ(s.asked, asked) << editor << " " << file;
                       EXPECT_EQ(Ui_Text(GetDlgItem(d, IDC_RESULT)), result) << editor;
                   }
                   Ui_PressButton(d, IDCANCEL);
               },
               [&](HWND d) { // the editor dialog offered, over the caller
                   SetDlgItemTextA(GetWindow(d, GW_OWNER), IDC_RESULT, "offered");
                   Ui_PressButton(d, IDCANCEL);
               }};
    SendMessageA(app.main(), WM_COMMAND, IDM_EDITOR, 0);
    EXPECT_FALSE(s.hook.gaveUp);
    // Neither declined nor missing was started: a start by their rows would
    // show by the time the later row's record does.
    ASSERT_TRUE(Ui_PumpUntil([&] { return std::filesystem::exists(opened + ".txt"); }));
    EXPECT_EQ(ReadFile(opened + ".txt").substr(0, name.size() + 3), "2\n" + name + "\n"); // quoted
    EXPECT_FALSE(std::filesystem::exists(declined + ".txt") ||
                 std::filesystem::exists(missing + ".txt"));
}

} // namespace
