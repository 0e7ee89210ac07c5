// Start-up, main loop and shutdown. Covers: the three outcomes of the
// common-controls check (warning answered Yes, warning answered No, no
// warning), a main window that cannot be made, the state that start-up
// leaves, the opening text, dropping messages once the main window is gone,
// shutdown, and the real program started as a process: its exit codes, its
// caption when renamed, and the ignored show command.
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <string>
#include "resources/resource.h"
#include "shell/appstate.h"
#include "shell/icons.h"
#include "tests/shell/texts.h"
#include "tests/shell/uitest.h"

namespace {

struct VersionCase {
    uint32_t version;
    bool warns;
};

class ComctlVersion : public ::testing::TestWithParam<VersionCase> {};

TEST_P(ComctlVersion, WarnsUpTo470AndGoesOnAfterYes) {
    MessageBoxAnswerer answerer(IDYES);
    AppSession app(GetParam().version);
    EXPECT_EQ(app.startResult(), 0);
    EXPECT_TRUE(IsWindow(app.main()));
    ASSERT_EQ(answerer.seen.size(), GetParam().warns ? 1u : 0u);
    if (!GetParam().warns) return;
    const MessageBoxSeen& box = answerer.seen[0];
    EXPECT_EQ(box.title, Ansi(texts::COMCTL_TITLE));
    EXPECT_EQ(box.buttons, (std::vector<int>{IDYES, IDNO}));
    EXPECT_TRUE(box.hasExclamation);
    // Five lines, each ended by CR LF; the fourth names the vendor's page.
    std::string head = Ansi(texts::COMCTL_LINE1) + Ansi(texts::COMCTL_LINE2) + "\r\n" +
                       Ansi(texts::COMCTL_LINE4_START);
    std::string tail = "\r\n" + Ansi(texts::COMCTL_LINE5);
    ASSERT_GT(box.text.size(), head.size() + tail.size());
    EXPECT_EQ(box.text.substr(0, head.size()), head);
    EXPECT_EQ(box.text.substr(box.text.size() - tail.size()), tail);
    std::string address = box.text.substr(head.size(), box.text.size() - head.size() - tail.size());
    EXPECT_EQ(address.rfind("https://www.microsoft.com/", 0), 0u) << address;
    EXPECT_EQ(address.find_first_of("\r\n "), std::string::npos) << address;
}

INSTANTIATE_TEST_SUITE_P(Outcomes, ComctlVersion,
                         ::testing::Values(VersionCase{0, true}, VersionCase{0x00040000, true},
                                           VersionCase{0x00040007, true},
                                           VersionCase{0x00040046, true},
                                           VersionCase{0x00040047, false},
                                           VersionCase{0x00050051, false},
                                           VersionCase{0x00060000, false}));

TEST(Startup, DecliningTheWarningEndsWithOneBeforeAnyWindow) {
    MessageBoxAnswerer answerer(IDNO);
    AppSession app(0x00040046);
    EXPECT_EQ(app.startResult(), 1);
    EXPECT_EQ(answerer.seen.size(), 1u);
    EXPECT_EQ(app.main(), nullptr);
    EXPECT_EQ(FindWindowA("MainClass", nullptr), nullptr);
}

TEST(Startup, TheProgramsOwnComctlIsRecentEnoughForNoWarning) {
    // The program asks for common controls 6 in its manifest.
    EXPECT_GE(GetComCtlVersion(), 0x00040047u);
}

HHOOK blockHook = nullptr;
LRESULT CALLBACK BlockMainClass(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && Ui_ClassName(reinterpret_cast<HWND>(wParam)) == "MainClass") {
        return 1; // refuse the creation
    }
    return CallNextHookEx(blockHook, code, wParam, lParam);
}

TEST(Startup, AMainWindowThatCannotBeMadeIsReportedAndEndsWithOne) {
    MessageBoxAnswerer answerer(IDOK);
    blockHook = SetWindowsHookExA(WH_CBT, BlockMainClass, nullptr, GetCurrentThreadId());
    {
        AppSession app(0x00060000);
        EXPECT_EQ(app.startResult(), 1);
        EXPECT_EQ(app.main(), nullptr);
    }
    UnhookWindowsHookEx(blockHook);
    ASSERT_EQ(answerer.seen.size(), 1u);
    EXPECT_EQ(answerer.seen[0].title, Ansi(texts::WARNING_TITLE));
    EXPECT_EQ(answerer.seen[0].text, Ansi(texts::CREATE_FAILED));
    EXPECT_EQ(answerer.seen[0].buttons, std::vector<int>{IDOK});
    EXPECT_TRUE(answerer.seen[0].hasExclamation);
}

std::string ProgramStem() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof(path));
    char* name = PathFindFileNameA(path);
    PathRemoveExtensionA(name);
    return name;
}

TEST(Startup, LeavesTheSettingsAndWindowsItDescribes) {
    AppSession app;
    ASSERT_EQ(app.startResult(), 0);
    EXPECT_EQ(Ui_Text(app.main()), ProgramStem());
    EXPECT_STREQ(appState.editorPath, "C:\\WINDOWS\\NOTEPAD.EXE");
    EXPECT_STREQ(appState.dialogFolder, ".");
    char cwd[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof(cwd), cwd);
    EXPECT_EQ(std::string(appState.startFolder), std::string(cwd) + "\\");
    EXPECT_EQ(appState.instance, GetModuleHandleA(nullptr));

    EXPECT_TRUE(IsWindowVisible(app.main()));
    EXPECT_FALSE(IsIconic(app.main()));
    EXPECT_EQ(Ui_Text(app.text()), Ansi(texts::OPENING));
    EXPECT_TRUE(appState.toolBarVisible && IsWindowVisible(appState.toolBar));
    EXPECT_TRUE(appState.statusBarVisible && IsWindowVisible(appState.statusBar));
    HMENU menu = GetMenu(app.main());
    EXPECT_TRUE(GetMenuState(menu, IDM_TOOLBAR, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(GetMenuState(menu, IDM_STATUSBAR, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(appState.escapeBlocked);
    EXPECT_EQ(appState.textColour, 0u);
    EXPECT_NE(appState.accelTable, nullptr);

    // The window sits at its placement, whose size is the client size the
    // template gave at creation.
    RECT r;
    GetWindowRect(app.main(), &r);
    EXPECT_EQ(r.left, appState.placement.x);
    EXPECT_EQ(r.top, appState.placement.y);
    EXPECT_EQ(r.right - r.left, appState.placement.width);
    EXPECT_EQ(r.bottom - r.top, appState.placement.height);

    // The text font: the fixed-pitch Korean default, used by the text window.
    ASSERT_NE(appState.textFont, nullptr);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(app.text(), WM_GETFONT, 0, 0)),
              appState.textFont);
    LOGFONTA font = {};
    GetObjectA(appState.textFont, sizeof(font), &font);
    EXPECT_EQ(std::string(font.lfFaceName), Ansi(texts::GULIMCHE));
    EXPECT_EQ(font.lfHeight, -12);
    EXPECT_EQ(font.lfCharSet, HANGEUL_CHARSET);
    EXPECT_EQ(font.lfPitchAndFamily, FIXED_PITCH);
}

TEST(Startup, ShutdownFreesWhatStartupMade) {
    AppSession app;
    ASSERT_EQ(app.startResult(), 0);
    HFONT font = appState.textFont;
    PostMessageA(app.main(), WM_COMMAND, IDM_EXIT, 0);
    ASSERT_TRUE(Ui_PumpUntil(Ui_QuitSeen));
    EXPECT_FALSE(IsWindow(app.main()));
    App_Shutdown();
    EXPECT_EQ(appState.textFont, nullptr);
    EXPECT_EQ(GetObjectType(font), 0u); // deleted
    EXPECT_EQ(appState.accelTable, nullptr);
    EXPECT_EQ(toolImages.list, nullptr);
    EXPECT_EQ(extImages.list, nullptr);
    EXPECT_EQ(comboImages.list, nullptr);
}

int dispatched = 0;
LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) ++dispatched;
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(MainLoop, MessagesAfterTheMainWindowEndedAreDropped) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "CountingWindow";
    RegisterClassA(&wc);
    HWND other = CreateWindowA("CountingWindow", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               wc.hInstance, nullptr);
    ASSERT_NE(other, nullptr);
    AppSession app;
    ASSERT_EQ(app.startResult(), 0);
    dispatched = 0;
    MSG msg = {other, WM_APP, 0, 0, 0, {0, 0}};
    EXPECT_EQ(App_RouteMessage(&msg), APP_ROUTE_DISPATCHED);
    EXPECT_EQ(dispatched, 1);
    DestroyWindow(app.main());
    EXPECT_EQ(App_RouteMessage(&msg), APP_ROUTE_DROPPED);
    EXPECT_EQ(dispatched, 1);
    DestroyWindow(other);
}

// The real program, started as its own process from a copy with a name of
// the test's choosing.
class ProgramCopy {
  public:
    explicit ProgramCopy(const std::string& name) {
        char path[MAX_PATH] = "";
        GetModuleFileNameA(nullptr, path, sizeof(path));
        PathRemoveFileSpecA(path);
        source_ = std::string(path) + "\\..\\bin\\tileorder.exe";
        char temp[MAX_PATH] = "";
        GetTempPathA(sizeof(temp), temp);
        folder_ = std::string(temp) + "tileorder-ui-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder_.c_str(), nullptr);
        target_ = folder_ + "\\" + name;
        copied_ = CopyFileA(source_.c_str(), target_.c_str(), FALSE) != 0;
    }
    ~ProgramCopy() {
        DeleteFileA(target_.c_str());
        RemoveDirectoryA(folder_.c_str());
    }
    bool copied() const { return copied_; }
    const std::string& path() const { return target_; }
    const std::string& folder() const { return folder_; }

  private:
    std::string source_, folder_, target_;
    bool copied_;
};

struct FoundWindow {
    DWORD process;
    HWND window;
};

BOOL CALLBACK FindMain(HWND window, LPARAM param) {
    FoundWindow* found = reinterpret_cast<FoundWindow*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == found->process && Ui_ClassName(window) == "MainClass") {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

struct ProgramCase {
    const char* fileName;
    const char* caption;
    bool quitByMenu; // command 40001 instead of WM_CLOSE
};

class RealProgram : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(RealProgram, CaptionFollowsTheFileNameAndEndsWithZero) {
    ProgramCopy copy(GetParam().fileName);
    ASSERT_TRUE(copy.copied()) << copy.path();
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWMINNOACTIVE; // ignored: the window opens normally
    PROCESS_INFORMATION pi = {};
    std::string commandLine = "\"" + copy.path() + "\"";
    ASSERT_TRUE(CreateProcessA(copy.path().c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                               nullptr, copy.folder().c_str(), &si, &pi));
    // Idle means the program waits in its main loop, so its window exists.
    ASSERT_EQ(WaitForInputIdle(pi.hProcess, UI_DEADLINE_MS), 0u);
    FoundWindow found = {pi.dwProcessId, nullptr};
    EnumWindows(FindMain, reinterpret_cast<LPARAM>(&found));
    ASSERT_NE(found.window, nullptr);
    EXPECT_EQ(Ui_Text(found.window), GetParam().caption);
    EXPECT_TRUE(IsWindowVisible(found.window));
    EXPECT_FALSE(IsIconic(found.window));
    if (GetParam().quitByMenu)
        PostMessageA(found.window, WM_COMMAND, IDM_EXIT, 0);
    else
        PostMessageA(found.window, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, UI_DEADLINE_MS), WAIT_OBJECT_0);
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

INSTANTIATE_TEST_SUITE_P(Copies, RealProgram,
                         ::testing::Values(ProgramCase{"tiles.exe", "tiles", false},
                                           ProgramCase{"tileorder.exe", "tileorder", true},
                                           ProgramCase{"my tiles.v2.exe", "my tiles.v2", false}));

} // namespace
