// Helpers for driving the real windows from a test; see uitest.h.
#include "tests/shell/uitest.h"
#include <algorithm>
#include "resources/resource.h"
#include "shell/appstate.h"

namespace {

bool quitSeen = false;
uint32_t fakeComctlVersion = 0;
HHOOK hook = nullptr;
std::vector<SentWatcher*> watchers;

// Newest watcher first; a callback may end a watcher.
LRESULT CALLBACK SentProc(int code, WPARAM wParam, LPARAM lParam) {
    std::vector<SentWatcher*> all = watchers;
    for (auto it = all.rbegin(); code == HC_ACTION && it != all.rend(); ++it) {
        if (std::count(watchers.begin(), watchers.end(), *it))
            (*it)->fn(*reinterpret_cast<CWPSTRUCT*>(lParam));
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

void PumpPending() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quitSeen = true;
        } else if (IsWindow(appState.mainWindow)) {
            App_RouteMessage(&msg);
        } else {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

} // namespace

std::string Ansi(const char16_t* text) {
    char out[4096] = "";
    WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(text), -1, out, sizeof(out),
                        nullptr, nullptr);
    return out;
}

bool Ui_PumpUntil(const std::function<bool()>& done, DWORD deadlineMs) {
    for (DWORD start = GetTickCount();;) {
        PumpPending();
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
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

std::string Ui_ClassName(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof(name));
    return name;
}

void Ui_PressButton(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void Ui_PressKey(WORD key, bool alt, bool shift) {
    const WORD keys[] = {static_cast<WORD>(alt ? VK_MENU : 0),
                         static_cast<WORD>(shift ? VK_SHIFT : 0), key};
    std::vector<INPUT> inputs;
    for (int i = 0; i < 6; ++i) { // down in order, then up in reverse
        INPUT in = {};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = keys[i < 3 ? i : 5 - i];
        in.ki.dwFlags = i < 3 ? 0 : KEYEVENTF_KEYUP;
        if (in.ki.wVk) inputs.push_back(in);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

SentWatcher::SentWatcher(std::function<void(const CWPSTRUCT&)> f) : fn(std::move(f)) {
    if (!hook) hook = SetWindowsHookExA(WH_CALLWNDPROC, SentProc, nullptr, GetCurrentThreadId());
    watchers.push_back(this);
}

SentWatcher::~SentWatcher() {
    watchers.erase(std::find(watchers.begin(), watchers.end(), this));
}

DialogWatcher::DialogWatcher(std::function<void(HWND)> onActivate)
    : SentWatcher([onActivate](const CWPSTRUCT& m) {
          if (m.message == WM_ACTIVATE && LOWORD(m.wParam) != WA_INACTIVE &&
              Ui_ClassName(m.hwnd) == "#32770")
              onActivate(m.hwnd);
      }) {}

IdleScript::IdleScript(std::function<void(HWND, WPARAM, int)> onIdle)
    : SentWatcher([this, onIdle](const CWPSTRUCT& m) {
          if (m.message != WM_ENTERIDLE) return;
          HWND window = reinterpret_cast<HWND>(m.lParam);
          onIdle(window, m.wParam, visits[window]++);
      }) {}

MessageBoxAnswerer::MessageBoxAnswerer(int answer)
    : watcher([this, answer](HWND box) {
          MessageBoxSeen s = {Ui_Text(box), Ui_Text(GetDlgItem(box, 0xFFFF)), {}};
          for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
              if (Ui_ClassName(c) == "Button" && (GetWindowLongA(c, GWL_STYLE) & WS_VISIBLE))
                  s.buttons.push_back(GetDlgCtrlID(c));
          }
          std::sort(s.buttons.begin(), s.buttons.end());
          seen.push_back(s);
          Ui_PressButton(box, answer);
      }) {}

AppSession::AppSession(uint32_t comctlVersion) {
    App_ResetState();
    quitSeen = false;
    fakeComctlVersion = comctlVersion;
    startResult = App_Start(GetModuleHandleA(nullptr), [] { return fakeComctlVersion; });
    // Without a window manager nothing brings the new window to the front,
    // and keyboard input goes to the window in front.
    if (startResult == 0) SetForegroundWindow(appState.mainWindow);
    PumpPending();
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
