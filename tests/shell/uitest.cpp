// Helpers for driving the real windows from a test; see uitest.h.
#include "tests/shell/uitest.h"
#include <algorithm>
#include <cstring>
#include "shell/appstate.h"

namespace {

bool quitSeen = false;
std::vector<DialogWatcher*> dialogWatchers;
std::vector<SentWatcher*> sentWatchers;
HHOOK dialogHook = nullptr;
HHOOK sentHook = nullptr;

template <typename T> bool Contains(const std::vector<T*>& list, T* item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

template <typename T> void Remove(std::vector<T*>& list, T* item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}
uint32_t fakeComctlVersion = 0;

uint32_t FakeComctlVersion() {
    return fakeComctlVersion;
}

void Route(MSG* msg) {
    if (msg->message == WM_QUIT) {
        quitSeen = true;
        return;
    }
    if (IsWindow(appState.mainWindow)) {
        App_RouteMessage(msg);
    } else {
        TranslateMessage(msg);
        DispatchMessageA(msg);
    }
}

} // namespace

std::string Ansi(const char16_t* text) {
    const wchar_t* wide = reinterpret_cast<const wchar_t*>(text);
    int n = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n : 1, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, -1, &out[0], n, nullptr, nullptr);
    out.resize(strlen(out.c_str()));
    return out;
}

void Ui_PumpPending() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        Route(&msg);
}

bool Ui_PumpUntil(const std::function<bool()>& done, DWORD deadlineMs) {
    DWORD start = GetTickCount();
    for (;;) {
        Ui_PumpPending();
        if (done()) return true;
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= deadlineMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, deadlineMs - elapsed, QS_ALLINPUT);
    }
}

bool Ui_QuitSeen() {
    return quitSeen;
}
void Ui_ResetQuit() {
    quitSeen = false;
}

std::string Ui_Text(HWND window) {
    int n = GetWindowTextLengthA(window);
    std::string text(n + 1, '\0');
    GetWindowTextA(window, &text[0], n + 1);
    text.resize(strlen(text.c_str()));
    return text;
}

std::string Ui_ItemText(HWND dialog, int id) {
    return Ui_Text(GetDlgItem(dialog, id));
}

std::string Ui_ClassName(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof(name));
    return name;
}

void Ui_PressButton(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

DialogWatcher::DialogWatcher(std::function<void(HWND)> onActivate)
    : onActivate_(std::move(onActivate)) {
    if (dialogWatchers.empty()) {
        dialogHook = SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId());
    }
    dialogWatchers.push_back(this);
}

DialogWatcher::~DialogWatcher() {
    Remove(dialogWatchers, this);
    if (dialogWatchers.empty()) UnhookWindowsHookEx(dialogHook);
}

LRESULT CALLBACK DialogWatcher::Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (Ui_ClassName(window) == "#32770") {
            std::vector<DialogWatcher*> all = dialogWatchers; // a callback may end one
            for (auto it = all.rbegin(); it != all.rend(); ++it) {
                if (Contains(dialogWatchers, *it)) (*it)->onActivate_(window);
            }
        }
    }
    return CallNextHookEx(dialogHook, code, wParam, lParam);
}

SentWatcher::SentWatcher(std::function<void(const CWPSTRUCT&)> onMessage)
    : onMessage_(std::move(onMessage)) {
    if (sentWatchers.empty()) {
        sentHook = SetWindowsHookExA(WH_CALLWNDPROC, Hook, nullptr, GetCurrentThreadId());
    }
    sentWatchers.push_back(this);
}

SentWatcher::~SentWatcher() {
    Remove(sentWatchers, this);
    if (sentWatchers.empty()) UnhookWindowsHookEx(sentHook);
}

LRESULT CALLBACK SentWatcher::Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        CWPSTRUCT message = *reinterpret_cast<CWPSTRUCT*>(lParam);
        std::vector<SentWatcher*> all = sentWatchers;
        for (auto it = all.rbegin(); it != all.rend(); ++it) {
            if (Contains(sentWatchers, *it)) (*it)->onMessage_(message);
        }
    }
    return CallNextHookEx(sentHook, code, wParam, lParam);
}

IdleScript::IdleScript(std::function<void(HWND, WPARAM, int)> onIdle)
    : onIdle_(std::move(onIdle)), watcher_([this](const CWPSTRUCT& m) {
          if (m.message != WM_ENTERIDLE) return;
          HWND window = reinterpret_cast<HWND>(m.lParam);
          int visit = 0;
          for (auto& v : visits_) {
              if (v.first == window) visit = ++v.second;
          }
          if (visit == 0) visits_.push_back({window, 0});
          onIdle_(window, m.wParam, visit);
      }) {}

void Ui_PressKey(WORD key, bool alt, bool shift) {
    std::vector<INPUT> inputs;
    auto add = [&](WORD vk, bool up) {
        INPUT in = {};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = vk;
        in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(in);
    };
    if (alt) add(VK_MENU, false);
    if (shift) add(VK_SHIFT, false);
    add(key, false);
    add(key, true);
    if (shift) add(VK_SHIFT, true);
    if (alt) add(VK_MENU, true);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

MessageBoxAnswerer::MessageBoxAnswerer(int answer)
    : watcher_([this, answer](HWND box) {
          MessageBoxSeen s;
          s.title = Ui_Text(box);
          s.text = Ui_ItemText(box, 0xFFFF);
          HICON exclamation = LoadIconA(nullptr, IDI_EXCLAMATION);
          for (HWND child = GetWindow(box, GW_CHILD); child;
               child = GetWindow(child, GW_HWNDNEXT)) {
              LONG style = GetWindowLongA(child, GWL_STYLE);
              if (Ui_ClassName(child) == "Button" && (style & WS_VISIBLE)) {
                  s.buttons.push_back(GetDlgCtrlID(child));
              }
              if (Ui_ClassName(child) == "Static" && (style & SS_TYPEMASK) == SS_ICON &&
                  reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0)) == exclamation) {
                  s.hasExclamation = true;
              }
          }
          std::sort(s.buttons.begin(), s.buttons.end());
          seen.push_back(s);
          Ui_PressButton(box, answer);
      }) {}

AppSession::AppSession(uint32_t comctlVersion) {
    App_ResetState();
    Ui_ResetQuit();
    fakeComctlVersion = comctlVersion;
    startResult_ = App_Start(GetModuleHandleA(nullptr), FakeComctlVersion);
    // Without a window manager nothing brings the new window to the front,
    // and keyboard input goes to the window in front.
    if (startResult_ == 0) SetForegroundWindow(appState.mainWindow);
    Ui_PumpPending();
}

AppSession::~AppSession() {
    if (IsWindow(appState.mainWindow)) DestroyWindow(appState.mainWindow);
    // The main window's end posts the quit message; take it, so that it
    // cannot end a later test's message loop.
    if (startResult_ == 0) Ui_PumpUntil(Ui_QuitSeen);
    App_Shutdown();
    App_ResetState();
}

HWND AppSession::main() const {
    return appState.mainWindow;
}
HWND AppSession::text() const {
    return GetDlgItem(appState.mainWindow, 1201);
}
