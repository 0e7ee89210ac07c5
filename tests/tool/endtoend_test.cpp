// The whole tool from the outside: the real tileorder.exe is started in a
// scratch folder and driven by the keyboard alone (Alt+C, H opens the tool;
// Tab moves between fields; Enter makes the job and answers Yes), then
// closed; its map must equal, byte for byte, the one the tilemap command
// makes from the same pattern and counts. Every wait has a deadline and
// ends early when the program ends.
#include <gtest/gtest.h>
#include <windows.h>
#include "resources/resource.h"
#include "tests/dialogs/dlgtest.h"
#include "tests/textlib/testdir.h"

namespace {

struct Program {
    PROCESS_INFORMATION pi = {};
    // Starts the built program name with arguments in folder.
    Program(const std::string& name, const std::string& arguments, const std::string& folder) {
        const std::string path = std::filesystem::absolute("../bin/" + name).string();
        std::string commandLine = "\"" + path + "\" " + arguments;
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        EXPECT_TRUE(CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                                   nullptr, folder.c_str(), &si, &pi));
    }
    ~Program() {
        if (WaitForSingleObject(pi.hProcess, UI_DEADLINE_MS)) TerminateProcess(pi.hProcess, 99);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    DWORD ExitCode() {
        DWORD code = 99;
        WaitForSingleObject(pi.hProcess, UI_DEADLINE_MS);
        GetExitCodeProcess(pi.hProcess, &code);
        return code;
    }
    // Waits, in short steps on the process, until done() holds.
    bool Until(const std::function<bool()>& done) {
        for (DWORD start = GetTickCount(); GetTickCount() - start < UI_DEADLINE_MS;) {
            if (done()) return true;
            if (WaitForSingleObject(pi.hProcess, 20) == WAIT_OBJECT_0) return done();
        }
        return false;
    }
    HWND Focus() {
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        return GetGUIThreadInfo(pi.dwThreadId, &info) ? info.hwndFocus : nullptr;
    }
};

// A control's text; another process's edit control answers only WM_GETTEXT.
std::string Text(HWND control) {
    char text[512] = "";
    DWORD_PTR ignored;
    SendMessageTimeoutA(control, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, UI_DEADLINE_MS, &ignored);
    return text;
}

TEST(EndToEnd, TheToolMakesTheSameMapAsTheCommand) {
    TestDir dir;
    const std::string folder = std::filesystem::absolute(dir.path).string();
    WriteFile(dir / "sheet.map", "# interleave two halves\n/LOOP(6,1)\n1,7\n");
    Program app("tileorder.exe", "", folder);
    ASSERT_EQ(WaitForInputIdle(app.pi.hProcess, UI_DEADLINE_MS), 0u);
    // A program started by one without windows does not come forward itself.
    HWND main = FindWindowA("MainClass", nullptr), tool = nullptr;
    SetForegroundWindow(main);
    ASSERT_TRUE(app.Until([&] { return GetForegroundWindow() == main; }));
    Ui_PressKey('C', true);
    Ui_PressKey('H');
    // Keys go to the window in front, once it has taken the focus.
    auto inFront = [&](int id) {
        HWND w = GetForegroundWindow();
        return w && GetDlgItem(w, id) && IsChild(w, app.Focus()) ? w : nullptr;
    };
    ASSERT_TRUE(app.Until([&] { return (tool = inFront(IDC_TOOL_METHOD)) != nullptr; }));
    const std::pair<int, std::string> fields[] = {{IDC_TOOL_PATTERN, "sheet.map"},
                                                  {IDC_TOOL_INPUT_COUNT, "12"},
                                                  {IDC_TOOL_OUTPUT_COUNT, "1,200"},
                                                  {IDC_TOOL_OUTPUT, "maps\\sheet.bbl"}};
    for (auto [id, text] : fields) { // Tab selects a field's whole text
        HWND field = GetDlgItem(tool, id);
        for (int tabs = 0; tabs < 10 && app.Focus() != field; ++tabs) {
            HWND before = app.Focus();
            Ui_PressKey(VK_TAB);
            app.Until([&] { return app.Focus() != before; });
        }
        for (char c : text)
            Ui_PressKey(LOBYTE(VkKeyScanA(c)), false, HIBYTE(VkKeyScanA(c)) & 1);
        EXPECT_TRUE(app.Until([&] { return Text(field) == text; })) << Text(field);
    }
    Ui_PressKey(VK_RETURN);                                            // make
    ASSERT_TRUE(app.Until([&] { return inFront(IDYES) != nullptr; })); // asked
    Ui_PressKey(VK_RETURN);                                            // Yes
    HWND result = GetDlgItem(tool, IDC_RESULT);
    EXPECT_TRUE(app.Until([&] { return !Text(result).empty(); }));
    EXPECT_EQ(Text(result), Test_Format(IDS_TOOL_PROCESSED, "12", ""));
    Ui_PressKey(VK_ESCAPE);
    EXPECT_TRUE(app.Until([&] { return !IsWindow(tool); }));
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(app.ExitCode(), 0u);

    Program command("tilemap.exe", "-i 12 -o 1200 sheet.map command.bbl", folder);
    EXPECT_EQ(command.ExitCode(), 0u);
    const std::string map = ReadFile(dir / "maps/sheet.bbl");
    EXPECT_EQ(map.size(), 1200u);
    EXPECT_EQ(map, ReadFile(dir / "command.bbl"));
}

} // namespace
