// Start-up, main loop and shutdown: the common-controls warning (up to 4.70;
// No ends with 1 before any window), a main window that cannot be made,
// the opening text and font, shutdown, and the real program as a process
// (caption of a renamed copy, exit code 0).
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <tuple>
#include "resources/resource.h"
#include "shell/appstate.h"
#include "shell/icons.h"
#include "tests/shell/uitest.h"
#include "tests/textlib/testdir.h"

namespace {

struct VersionCase {
    uint32_t version;
    int answer;
    bool warns;
};

class ComctlVersion : public ::testing::TestWithParam<VersionCase> {};

TEST_P(ComctlVersion, WarnsUpTo470AndNoEndsBeforeAnyWindow) {
    const VersionCase& c = GetParam();
    MessageBoxAnswerer answerer(c.answer);
    bool windowBeforeAnswer = false;
    DialogScript early(
        [&](HWND, int) { windowBeforeAnswer |= IsWindow(appState.mainWindow) != 0; });
    AppSession app(c.version);
    bool declined = c.warns && c.answer == IDNO;
    EXPECT_EQ(app.startResult, declined ? 1 : 0);
    EXPECT_EQ(IsWindow(app.main()) != 0, !declined);
    EXPECT_FALSE(windowBeforeAnswer);
    ASSERT_EQ(answerer.seen.size(), c.warns ? 1u : 0u);
    if (!c.warns) return;
    EXPECT_EQ(answerer.seen[0].title, Ui_String(IDS_COMCTL_TITLE));
    EXPECT_EQ(answerer.seen[0].text, Ui_String(IDS_COMCTL_TEXT));
    EXPECT_EQ(answerer.seen[0].buttons, (std::vector<int>{IDYES, IDNO}));
}

INSTANTIATE_TEST_SUITE_P(Outcomes, ComctlVersion,
                         ::testing::Values(VersionCase{0, IDYES, true},
                                           VersionCase{0x00040046, IDYES, true},
                                           VersionCase{0x00040046, IDNO, true},
                                           VersionCase{0x00040047, IDNO, false}));

HHOOK blockHook = nullptr;
LRESULT CALLBACK BlockMainClass(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && Ui_ClassName(reinterpret_cast<HWND>(wParam)) == "MainClass")
        return 1; // refuse the creation
    return CallNextHookEx(blockHook, code, wParam, lParam);
}

TEST(Startup, AMainWindowThatCannotBeMadeIsReportedAndEndsWithOne) {
    MessageBoxAnswerer answerer(IDOK);
    blockHook = SetWindowsHookExA(WH_CBT, BlockMainClass, nullptr, GetCurrentThreadId());
    EXPECT_EQ(AppSession().startResult, 1);
    UnhookWindowsHookEx(blockHook);
    ASSERT_EQ(answerer.seen.size(), 1u);
    EXPECT_EQ(answerer.seen[0].title, Ui_String(IDS_WARNING_TITLE));
    EXPECT_EQ(answerer.seen[0].text, Ui_String(IDS_CREATE_FAILED));
}

TEST(Startup, ShowsTheOpeningTextInTheDefaultFont) {
    AppSession app;
    EXPECT_TRUE(IsWindowVisible(app.main()));
    EXPECT_EQ(Ui_Text(app.text()), Ui_String(IDS_OPENING_TEXT) + Ui_String(IDS_OPENING_MORE));
    // The fixed-pitch Korean default, used by the text window.
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(app.text(), WM_GETFONT, 0, 0)), sizeof(font),
               &font);
    EXPECT_EQ(std::string(font.lfFaceName), Ui_String(IDS_TEXT_FONT_FACE));
    EXPECT_EQ(std::make_tuple(font.lfHeight, font.lfCharSet, font.lfPitchAndFamily),
              std::make_tuple(-12L, BYTE(HANGEUL_CHARSET), BYTE(FIXED_PITCH)));
}

TEST(Startup, ExitDropsLaterMessagesAndShutdownFreesWhatStartupMade) {
    AppSession app;
    HFONT font = appState.textFont;
    HWND other =
        CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    MSG msg = {other, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("routed"), 0, {0, 0}};
    EXPECT_EQ(App_RouteMessage(&msg), APP_ROUTE_DISPATCHED);
    EXPECT_EQ(Ui_Text(other), "routed");
    PostMessageA(app.main(), WM_COMMAND, IDM_EXIT, 0);
    ASSERT_TRUE(Ui_PumpUntil(Ui_QuitSeen));
    msg.lParam = reinterpret_cast<LPARAM>("dropped");
    EXPECT_EQ(App_RouteMessage(&msg), APP_ROUTE_DROPPED);
    EXPECT_EQ(Ui_Text(other), "routed");
    App_Shutdown();
    EXPECT_EQ(GetObjectType(font), 0u); // deleted
    EXPECT_EQ(appState.accelTable, nullptr);
    EXPECT_TRUE(!toolImages.list && !extImages.list && !comboImages.list);
    DestroyWindow(other);
}

class RealProgram : public ::testing::TestWithParam<std::pair<const char*, UINT>> {};

// The copy is asked to quit with WM_CLOSE or with the exit command.
TEST_P(RealProgram, CaptionFollowsTheFileNameAndEndsWithZero) {
    const std::string name = GetParam().first;
    TestDir dir;
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, sizeof(self));
    PathRemoveFileSpecA(self);
    std::string copy = dir / (name + ".exe"), commandLine = "\"" + copy + "\"";
    ASSERT_TRUE(
        CopyFileA((self + std::string("\\..\\bin\\tileorder.exe")).c_str(), copy.c_str(), 0));
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWMINNOACTIVE; // ignored: the window opens normally
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessA(copy.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                               dir.path.c_str(), &si, &pi));
    // Idle means the program waits in its main loop, so its window exists.
    EXPECT_EQ(WaitForInputIdle(pi.hProcess, UI_DEADLINE_MS), 0u);
    HWND found = FindWindowA("MainClass", name.c_str());
    EXPECT_TRUE(IsWindowVisible(found) && !IsIconic(found)) << "no window captioned " << name;
    PostMessageA(found, GetParam().second, IDM_EXIT, 0);
    if (WaitForSingleObject(pi.hProcess, UI_DEADLINE_MS)) TerminateProcess(pi.hProcess, 99);
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

INSTANTIATE_TEST_SUITE_P(Copies, RealProgram,
                         ::testing::Values(std::make_pair("my tiles.v2", WM_CLOSE),
                                           std::make_pair("tileorder", WM_COMMAND)));

} // namespace
