// Helpers for driving the real windows from a test; see uitest.h.
#include "tests/support/uitest.h"
#include <algorithm>
#include <commctrl.h>
#include "resources/resource.h"
#include "shell/appstate.h"

namespace {

bool quitSeen = false;
uint32_t fakeComctlVersion = 0;
HHOOK sentHook = nullptr, retHook = nullptr;
std::vector<SentWatcher*> watchers;
std::vector<DialogScript*> scripts;

// Newest watcher first; a callback may end a watcher.
LRESULT CALLBACK SentProc(int code, WPARAM wParam, LPARAM lParam) {
    std::vector<SentWatcher*> all = watchers;
    for (auto it = all.rbegin(); code == HC_ACTION && it != all.rend(); ++it)
        if (std::count(watchers.begin(), watchers.end(), *it))
            (*it)->fn(*reinterpret_cast<CWPSTRUCT*>(lParam));
    return CallNextHookEx(sentHook, code, wParam, lParam);
}

void CALLBACK GiveUp(HWND dialog, UINT, UINT_PTR, DWORD) {
    KillTimer(dialog, UI_GAVE_UP);
    for (DialogScript* s : scripts)
        s->gaveUp = true;
    EndDialog(dialog, UI_GAVE_UP);
}

// Dialog boxes after WM_INITDIALOG; the main window, of a class of its own, is none.
LRESULT CALLBACK AfterProc(int code, WPARAM wParam, LPARAM lParam) {
    const CWPRETSTRUCT* m = reinterpret_cast<CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && m->message == WM_INITDIALOG && !scripts.empty() &&
        Ui_ClassName(m->hwnd) == "#32770") {
        SetTimer(m->hwnd, UI_GAVE_UP, UI_DEADLINE_MS, GiveUp);
        std::vector<DialogScript*> all = scripts; // newest first, as in SentProc
        for (auto it = all.rbegin(); it != all.rend(); ++it)
            if (std::count(scripts.begin(), scripts.end(), *it)) (*it)->fn(m->hwnd, (*it)->met++);
    }
    return CallNextHookEx(retHook, code, wParam, lParam);
}

} // namespace

std::string Ansi(const char16_t* text) {
    char out[4096] = "";
    WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(text), -1, out, sizeof out, 0,
                        0);
    return out;
}

std::string Ui_String(int id) {
    char text[4096] = "";
    return {text, size_t(LoadStringA(GetModuleHandleA(nullptr), UINT(id), text, sizeof(text)))};
}

bool Ui_PumpUntil(const std::function<bool()>& done, DWORD deadlineMs) {
    for (DWORD start = GetTickCount();;) {
        for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);)
            if (msg.message == WM_QUIT) {
                quitSeen = true;
            } else if (IsWindow(appState.mainWindow)) {
                App_RouteMessage(&msg);
            } else {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        if (done()) return true;
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= deadlineMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, deadlineMs - elapsed, QS_ALLINPUT);
    }
}

bool Ui_QuitSeen() {
    return quitSeen;
}

std::string Ui_Text(HWND window) {
    char text[4096] = "";
    return {text, size_t(GetWindowTextA(window, text, sizeof(text)))};
}

std::string Ui_ClassName(HWND window) {
    char name[256] = "";
    return {name, size_t(GetClassNameA(window, name, sizeof(name)))};
}

void Ui_PressButton(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void Ui_PressKey(WORD key, bool alt, bool shift) {
    const WORD keys[] = {WORD(alt ? VK_MENU : 0), WORD(shift ? VK_SHIFT : 0), key};
    std::vector<INPUT> inputs;
    for (int i = 0; i < 6; ++i) { // down in order, then up in reverse
        INPUT in = {INPUT_KEYBOARD, {}};
        in.ki = {keys[i < 3 ? i : 5 - i], 0, DWORD(i < 3 ? 0 : KEYEVENTF_KEYUP), 0, 0};
        if (in.ki.wVk) inputs.push_back(in);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void Ui_ClickToolbar(int index, bool arrow) {
    RECT r = {};
    SendMessageA(appState.toolBar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
    LPARAM at = MAKELPARAM(arrow ? r.right - 4 : (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageA(appState.toolBar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(appState.toolBar, WM_LBUTTONUP, 0, at);
}

void Ui_ChooseRow(HWND dialog, int id, int row) {
    SendDlgItemMessageA(dialog, id, CB_SETCURSEL, row, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), LPARAM(GetDlgItem(dialog, id)));
}

RECT Ui_RectIn(HWND window, HWND parent) {
    RECT r = {};
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::vector<COLORREF> Ui_Paint(int width, int height, const std::function<void(HDC)>& paint) {
    HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, CreateCompatibleBitmap(screen, width, height));
    ReleaseDC(nullptr, screen);
    PatBlt(dc, 0, 0, width, height, WHITENESS);
    paint(dc);
    std::vector<COLORREF> pixels;
    for (int i = 0; i < width * height; ++i)
        pixels.push_back(GetPixel(dc, i % width, i / width));
    DeleteObject(SelectObject(dc, old));
    DeleteDC(dc);
    return pixels;
}

SentWatcher::SentWatcher(std::function<void(const CWPSTRUCT&)> f) : fn(std::move(f)) {
    if (!sentHook) sentHook = SetWindowsHookExA(WH_CALLWNDPROC, SentProc, 0, GetCurrentThreadId());
    watchers.push_back(this);
}

SentWatcher::~SentWatcher() {
    watchers.erase(std::find(watchers.begin(), watchers.end(), this));
}

DialogScript::DialogScript(std::function<void(HWND, int)> f) : fn(std::move(f)) {
    if (!retHook)
        retHook = SetWindowsHookExA(WH_CALLWNDPROCRET, AfterProc, 0, GetCurrentThreadId());
    scripts.push_back(this);
}

DialogScript::~DialogScript() {
    scripts.erase(std::find(scripts.begin(), scripts.end(), this));
}

AppSession::AppSession(uint32_t comctlVersion) {
    App_ResetState();
    quitSeen = false;
    fakeComctlVersion = comctlVersion;
    startResult = App_Start(GetModuleHandleA(nullptr), [] { return fakeComctlVersion; });
    // Keys go to the window in front; without a window manager nothing puts it there.
    if (startResult == 0) SetForegroundWindow(appState.mainWindow);
    Ui_PumpUntil([] { return true; });
}

AppSession::~AppSession() {
    if (IsWindow(appState.mainWindow)) DestroyWindow(appState.mainWindow);
    // Take the quit message, so that it cannot end a later test's loop.
    if (startResult == 0) Ui_PumpUntil(Ui_QuitSeen);
    App_Shutdown();
    App_ResetState();
}

HWND AppSession::main() const {
    return appState.mainWindow;
}
HWND AppSession::text() const {
    return GetDlgItem(appState.mainWindow, IDC_TEXT);
}
