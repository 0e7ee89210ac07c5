// The whole tool from the outside: a renamed copy of tileorder.exe, started in
// a scratch folder (captioned with its name, shown normally whatever it was
// asked), driven by the keyboard alone (Alt+C, H; Tab; Enter makes the job and
// answers Yes) must make, byte for byte, the map the tilemap command makes
// from the same pattern and counts, and show it in its preview (Alt+G,
// Alt+P). Every wait has a deadline.
#include <gtest/gtest.h>
#include <windows.h>
#include "resources/resource.h"
#include "tests/support/program.h"
#include "tests/support/testdir.h"

namespace {

std::string Text(HWND control) { // another process's edit answers only WM_GETTEXT
    char text[512] = "";
    SendMessageTimeoutA(control, WM_GETTEXT, sizeof(text), LPARAM(text), 0, UI_DEADLINE_MS, 0);
    return text;
}

TEST(EndToEnd, TheToolMakesTheSameMapAsTheCommand) {
    TestDir dir;
    const std::string folder = std::filesystem::absolute(dir.path).string();
    WriteFile(dir / "sheet.map", "# interleave two halves\n/LOOP(6,1)\n1,7\n");
    std::string graphic;
    for (int t = 1; t <= 12; t++)
        graphic += std::string(32, char(t * 0x11)); // 8x8 tiles, 4 bits a pixel, solid
    WriteFile(dir / "g.bin", graphic);
    // A copy of a name of its own, asked to start minimised: its window opens normally, captioned
    // with the file's name.
    const std::string copy = std::filesystem::absolute(dir / "my tiles.v2.exe").string();
    ASSERT_TRUE(CopyFileA("..\\bin\\tileorder.exe", copy.c_str(), FALSE));
    Program app(copy, "", folder, SW_SHOWMINNOACTIVE);
    ASSERT_EQ(WaitForInputIdle(app.pi.hProcess, UI_DEADLINE_MS), 0u);
    HWND main = FindWindowA("MainClass", "my tiles.v2"), tool = nullptr;
    ASSERT_TRUE(IsWindowVisible(main) && !IsIconic(main));
    // A program started by one without windows does not come forward itself.
    SetForegroundWindow(main);
    ASSERT_TRUE(app.Until([&] { return GetForegroundWindow() == main; }));
    Ui_PressKey('C', true);
    Ui_PressKey('H');
    auto type = [](const std::string& text) {
        for (char c : text)
            Ui_PressKey(LOBYTE(VkKeyScanA(c)), false, HIBYTE(VkKeyScanA(c)) & 1);
    };
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
        type(text);
        EXPECT_TRUE(app.Until([&] { return Text(field) == text; })) << Text(field);
    }
    Ui_PressKey(VK_RETURN);                                            // make
    ASSERT_TRUE(app.Until([&] { return inFront(IDYES) != nullptr; })); // asked
    Ui_PressKey(VK_RETURN);                                            // Yes
    const std::string done = Test_Format(IDS_TOOL_PROCESSED, "12", "");
    EXPECT_TRUE(app.Until([&] { return Text(GetDlgItem(tool, IDC_RESULT)) == done; }));
    // Alt+G names the graphic, Alt+P shows its tiles in the map's order (what
    // applying them writes: the preview's own test).
    Ui_PressKey('G', true);
    EXPECT_TRUE(app.Until([&] { return app.Focus() == GetDlgItem(tool, IDC_TOOL_INPUT); }));
    type("g.bin");
    Ui_PressKey('P', true);
    HWND preview = nullptr;
    ASSERT_TRUE(app.Until([&] { return (preview = inFront(IDC_PREVIEW_APPLY)) != nullptr; }));
    // Slot 1 holds tile 1, grey 17; the view is another program's, so it is
    // read off the screen.
    POINT cell = {3, 3};
    ClientToScreen(GetDlgItem(preview, IDC_PREVIEW_OUTPUT), &cell);
    HDC screen = GetDC(nullptr);
    EXPECT_TRUE(app.Until([&] { return GetPixel(screen, cell.x, cell.y) == RGB(17, 17, 17); }))
        << std::hex << GetPixel(screen, cell.x, cell.y);
    ReleaseDC(nullptr, screen);
    Ui_PressKey(VK_ESCAPE);
    EXPECT_TRUE(app.Until([&] { return !IsWindow(preview); }));
    Ui_PressKey(VK_ESCAPE);
    EXPECT_TRUE(app.Until([&] { return !IsWindow(tool); }));
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(app.ExitCode(), 0u);

    Program command("../bin/tilemap.exe", "-i 12 -o 1200 sheet.map command.bbl", folder);
    EXPECT_EQ(command.ExitCode(), 0u);
    EXPECT_EQ(ReadFile(dir / "maps/sheet.bbl"), ReadFile(dir / "command.bbl"));
}

} // namespace
