// Helpers for driving the real windows from a test; see uitest.h.
#include "tests/shell/uitest.h"
#include <algorithm>
#include <cstring>
#include "shell/appstate.h"

namespace {

bool quitSeen = false;
DialogWatcher* currentDialogWatcher = nullptr;
SentWatcher* currentSentWatcher = nullptr;
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
    : hook_(nullptr), onActivate_(std::move(onActivate)) {
    currentDialogWatcher = this;
    hook_ = SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId());
}

DialogWatcher::~DialogWatcher() {
    UnhookWindowsHookEx(hook_);
    currentDialogWatcher = nullptr;
}

LRESULT CALLBACK DialogWatcher::Hook(int code, WPARAM wParam, LPARAM lParam) {
    DialogWatcher* self = currentDialogWatcher;
    if (self && code == HCBT_ACTIVATE) {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (Ui_ClassName(window) == "#32770") self->onActivate_(window);
    }
    return CallNextHookEx(self ? self->hook_ : nullptr, code, wParam, lParam);
}

SentWatcher::SentWatcher(std::function<void(const CWPSTRUCT&)> onMessage)
    : hook_(nullptr), onMessage_(std::move(onMessage)) {
    currentSentWatcher = this;
    hook_ = SetWindowsHookExA(WH_CALLWNDPROC, Hook, nullptr, GetCurrentThreadId());
}

SentWatcher::~SentWatcher() {
    UnhookWindowsHookEx(hook_);
    currentSentWatcher = nullptr;
}

LRESULT CALLBACK SentWatcher::Hook(int code, WPARAM wParam, LPARAM lParam) {
    SentWatcher* self = currentSentWatcher;
    if (self && code == HC_ACTION) self->onMessage_(*reinterpret_cast<CWPSTRUCT*>(lParam));
    return CallNextHookEx(self ? self->hook_ : nullptr, code, wParam, lParam);
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
