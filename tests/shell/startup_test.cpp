// Start-up, main loop and shutdown: the warning for common controls up to
// 4.70 (No ends with 1 before any window), a main window that cannot be made,
// the opening text and font, exit and shutdown (which frees the legend
// picture), and the manifest as the loader reads it. The real program is
// started in tests/tool/endtoend_test.cpp.
#include <gtest/gtest.h>
#include <algorithm>
#include "resources/resource.h"
#include "shell/appstate.h"
#include "shell/icons.h"
#include "tests/support/uitest.h"

namespace {

LRESULT CALLBACK BlockMainClass(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && Ui_ClassName(reinterpret_cast<HWND>(wParam)) == "MainClass")
        return 1; // refuse the creation
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Common-controls version, main window refused, answer, message boxes, result.
class Start : public ::testing::TestWithParam<std::tuple<uint32_t, bool, int, size_t, int>> {};

TEST_P(Start, WarnsOrReportsBeforeAnyWindow) {
    auto [comctlVersion, blockMain, answer, boxes, result] = GetParam();
    // Each message box (the dialog whose text is the static control 0xFFFF) as its caption, text
    // and visible buttons, answered; and whether the main window was there before one.
    std::vector<std::tuple<std::string, std::string, std::vector<int>>> seen;
    bool windowBeforeAnswer = false;
    DialogScript script([&](HWND box, int) {
        windowBeforeAnswer |= IsWindow(appState.mainWindow) != 0;
        std::vector<int> buttons;
        for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (Ui_ClassName(c) == "Button" && (GetWindowLongA(c, GWL_STYLE) & WS_VISIBLE))
                buttons.push_back(GetDlgCtrlID(c));
        std::sort(buttons.begin(), buttons.end());
        seen.emplace_back(Ui_Text(box), Ui_Text(GetDlgItem(box, 0xFFFF)), buttons);
        Ui_PressButton(box, answer);
    });
    HHOOK hook =
        blockMain ? SetWindowsHookExA(WH_CBT, BlockMainClass, nullptr, GetCurrentThreadId()) : 0;
    AppSession app(comctlVersion);
    if (hook) UnhookWindowsHookEx(hook);
    EXPECT_EQ(std::make_tuple(app.startResult, IsWindow(app.main()) != 0, windowBeforeAnswer),
              std::make_tuple(result, result == 0, false));
    EXPECT_EQ(seen,
              decltype(seen)(boxes, {Ui_String(blockMain ? IDS_WARNING_TITLE : IDS_COMCTL_TITLE),
                                     Ui_String(blockMain ? IDS_CREATE_FAILED : IDS_COMCTL_TEXT),
                                     blockMain ? std::vector{IDOK} : std::vector{IDYES, IDNO}}));
}

INSTANTIATE_TEST_SUITE_P(Outcomes, Start,
                         ::testing::Values(std::make_tuple(0, false, IDYES, size_t(1), 0),
                                           std::make_tuple(0x00040046, false, IDYES, size_t(1), 0),
                                           std::make_tuple(0x00040046, false, IDNO, size_t(1), 1),
                                           std::make_tuple(0x00040047, false, IDNO, size_t(0), 0),
                                           std::make_tuple(0x00060000, true, IDOK, size_t(1), 1)));

TEST(Startup, OpeningTextAndFontThenExitAndShutdown) {
    AppSession app;
    EXPECT_EQ(Ui_Text(app.text()), Ui_String(IDS_OPENING_TEXT) + Ui_String(IDS_OPENING_MORE));
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(app.text(), WM_GETFONT, 0, 0));
    LOGFONTA lf = {};
    GetObjectA(font, sizeof(lf), &lf);
    EXPECT_EQ(
        std::make_tuple(std::string(lf.lfFaceName), lf.lfHeight, lf.lfCharSet, lf.lfPitchAndFamily),
        std::make_tuple(Ui_String(IDS_TEXT_FONT_FACE), -12L, BYTE(HANGEUL_CHARSET),
                        BYTE(FIXED_PITCH)));
    HGDIOBJ legend = App_LegendBitmap();
    EXPECT_EQ(GetObjectType(legend), DWORD(OBJ_BITMAP));
    HWND other =
        CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    MSG msg = {other, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("routed"), 0, {0, 0}};
    EXPECT_EQ(App_RouteMessage(&msg), APP_ROUTE_DISPATCHED);
    EXPECT_EQ(Ui_Text(other), "routed");
    PostMessageA(app.main(), WM_COMMAND, IDM_EXIT, 0);
    ASSERT_TRUE(Ui_PumpUntil(Ui_QuitSeen));
    msg.lParam = reinterpret_cast<LPARAM>("dropped");
    EXPECT_EQ(App_RouteMessage(&msg), APP_ROUTE_DROPPED);
    EXPECT_EQ(Ui_Text(other), "routed"); // not "dropped"
    App_Shutdown();
    EXPECT_EQ(GetObjectType(font) + GetObjectType(legend), 0u); // deleted
    EXPECT_TRUE(!appState.accelTable && !appState.legendBitmap && !toolImages.list &&
                !extImages.list && !comboImages.list);
    DestroyWindow(other);
}

// The program's manifest (this test's too) asks for the caller's own rights
// and names the five systems it was made for, as the loader reads it.
TEST(Startup, ManifestRunsAsInvokerOnTheNamedSystems) {
    ACTCTXA request = {};
    request.cbSize = sizeof(request);
    request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.hModule = GetModuleHandleA(nullptr);
    request.lpResourceName = CREATEPROCESS_MANIFEST_RESOURCE_ID;
    HANDLE context = CreateActCtxA(&request);
    ASSERT_NE(context, INVALID_HANDLE_VALUE);
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
    DWORD systems[64] = {}; // the element count, then the elements
    EXPECT_TRUE(QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext, &level,
                             sizeof(level), nullptr) &&
                QueryActCtxW(0, context, nullptr, CompatibilityInformationInActivationContext,
                             systems, sizeof(systems), nullptr));
    EXPECT_EQ(std::make_tuple(level.RunLevel, level.UiAccess, systems[0]),
              std::make_tuple(ACTCTX_RUN_LEVEL_AS_INVOKER, DWORD(0), DWORD(5)));
    ReleaseActCtx(context);
}

} // namespace
