// The whole tool from the outside: the real tileorder.exe is started in a
// scratch folder and driven by the keyboard alone (Alt+C, H opens the tool;
// Tab moves between fields; Enter makes the job and answers Yes), then
// closed; its map must equal, byte for byte, the one the tilemap command
// makes from the same pattern and counts. Then both programs run from the
// unpacked release package: the command remakes the shipped example maps
// and the program opens its tool and ends with 0. Every wait has a deadline
// and ends early when the program ends.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>
#include "resources/resource.h"
#include "tests/dialogs/dlgtest.h"
#include "tests/textlib/testdir.h"

namespace {

struct Program {
    PROCESS_INFORMATION pi = {};
    // Starts path (relative to the test program's folder) in folder.
    Program(std::string path, std::string commandLine, const std::string& folder) {
        char self[MAX_PATH] = "";
        GetModuleFileNameA(nullptr, self, sizeof(self));
        PathRemoveFileSpecA(self);
        path = self + ("\\" + path);
        commandLine = "\"" + path + "\" " + commandLine;
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
    // Brings the main window forward (a program started by one without
    // windows does not come forward by itself) and opens the tool by its
    // menu keys.
    bool OpenTool(HWND* main, HWND* tool) {
        if (WaitForInputIdle(pi.hProcess, UI_DEADLINE_MS)) return false;
        *main = WindowWith(IDC_TEXT);
        SetForegroundWindow(*main);
        if (!Until([&] { return GetForegroundWindow() == *main; })) return false;
        Ui_PressKey('C', true);
        Ui_PressKey('H');
        return Until([&] { return (*tool = WindowWith(IDC_TOOL_METHOD)) != nullptr; });
    }
    HWND Focus() {
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        return GetGUIThreadInfo(pi.dwThreadId, &info) ? info.hwndFocus : nullptr;
    }
    // The program's visible top-level window that holds control id.
    HWND WindowWith(int id) {
        std::pair<int, HWND> found = {id, nullptr};
        EnumThreadWindows(pi.dwThreadId, Match, reinterpret_cast<LPARAM>(&found));
        return found.second;
    }
    static BOOL CALLBACK Match(HWND w, LPARAM p) {
        auto* f = reinterpret_cast<std::pair<int, HWND>*>(p);
        if (IsWindowVisible(w) && GetDlgItem(w, f->first)) f->second = w;
        return !f->second;
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

void TypeKeys(const std::string& text) {
    for (char c : text) {
        SHORT key = VkKeyScanA(c);
        Ui_PressKey(LOBYTE(key), false, HIBYTE(key) & 1);
    }
}

TEST(EndToEnd, TheToolMakesTheSameMapAsTheCommand) {
    TestDir dir;
    const std::string folder = std::filesystem::absolute(dir.path).string();
    WriteFile(dir / "sheet.map", "# interleave two halves\n/LOOP(6,1)\n1,7\n");
    Program app("..\\bin\\tileorder.exe", "", folder);
    HWND main = nullptr, tool = nullptr;
    ASSERT_TRUE(app.OpenTool(&main, &tool));
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
        TypeKeys(text);
        EXPECT_TRUE(app.Until([&] { return Text(field) == text; })) << Text(field);
    }
    Ui_PressKey(VK_RETURN); // make
    ASSERT_TRUE(app.Until([&] { return app.WindowWith(0xFFFF) != nullptr; }));
    Ui_PressKey(VK_RETURN); // Yes
    HWND result = GetDlgItem(tool, IDC_RESULT);
    EXPECT_TRUE(app.Until([&] { return !Text(result).empty(); }));
    EXPECT_EQ(Text(result), Test_Format(IDS_TOOL_PROCESSED, "12", ""));
    Ui_PressKey(VK_ESCAPE);
    EXPECT_TRUE(app.Until([&] { return !IsWindow(tool); }));
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(app.ExitCode(), 0u);

    Program command("..\\bin\\tilemap.exe", "-i 12 -o 1200 sheet.map command.bbl", folder);
    EXPECT_EQ(command.ExitCode(), 0u);
    const std::string map = ReadFile(dir / "maps/sheet.bbl");
    EXPECT_EQ(map.size(), 1200u);
    EXPECT_EQ(map, ReadFile(dir / "command.bbl"));
}

TEST(EndToEnd, BothProgramsRunFromTheUnpackedPackage) {
    const std::string folder =
        std::filesystem::absolute("unpacked").string() + "\\tileorder-" TILEORDER_VERSION "\\";
    for (const char* method : {"import", "undo"}) {
        const std::string shipped =
            folder + "examples\\interleave" + (method[0] == 'u' ? ".undo" : "") + ".bbl";
        Program command("unpacked\\tileorder-" TILEORDER_VERSION "\\tilemap.exe",
                        std::string("-i 64 -o 64 -m ") + method +
                            " examples\\interleave.map remade.bbl",
                        folder);
        EXPECT_EQ(command.ExitCode(), 0u);
        EXPECT_EQ(ReadFile(folder + "remade.bbl"), ReadFile(shipped)) << method;
        EXPECT_EQ(ReadFile(shipped).size(), 64u);
    }
    Program app("unpacked\\tileorder-" TILEORDER_VERSION "\\tileorder.exe", "", folder);
    HWND main = nullptr, tool = nullptr;
    ASSERT_TRUE(app.OpenTool(&main, &tool));
    Ui_PressKey(VK_ESCAPE);
    EXPECT_TRUE(app.Until([&] { return !IsWindow(tool); }));
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(app.ExitCode(), 0u);
}

} // namespace
