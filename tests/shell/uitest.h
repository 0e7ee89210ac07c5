// Helpers for driving the real windows from a test: modal windows are met
// in a hook and answered by posted clicks or keys; waiting pumps messages
// until a condition holds or a deadline passes, never sleeps.
#pragma once
#include <windows.h>
#include <functional>
#include <map>
#include <string>
#include <vector>

constexpr DWORD UI_DEADLINE_MS = 10000;

// The text in the ANSI code page (949 under the test locale).
std::string Ansi(const char16_t* text);
// Pumps messages (through the main loop's routing while the main window
// exists) until done() holds; false when the deadline passed.
bool Ui_PumpUntil(const std::function<bool()>& done, DWORD deadlineMs = UI_DEADLINE_MS);
bool Ui_QuitSeen(); // a WM_QUIT was taken since the session started
std::string Ui_Text(HWND window);
std::string Ui_ClassName(HWND window);
void Ui_PressButton(HWND dialog, int id);                         // a posted BM_CLICK
void Ui_PressKey(WORD key, bool alt = false, bool shift = false); // through SendInput

// Calls fn for every message sent to a window of this thread while it lives.
struct SentWatcher {
    explicit SentWatcher(std::function<void(const CWPSTRUCT&)> fn);
    ~SentWatcher();
    SentWatcher(const SentWatcher&) = delete;
    SentWatcher& operator=(const SentWatcher&) = delete;
    std::function<void(const CWPSTRUCT&)> fn;
};

// Calls fn for every dialog window ("#32770") of this thread activated.
struct DialogWatcher : SentWatcher {
    explicit DialogWatcher(std::function<void(HWND)> onActivate);
};

// Calls fn every time a modal dialog or menu of this thread waits for input
// (its owner hears WM_ENTERIDLE) with the dialog (for a menu, its owner),
// the kind (MSGF_DIALOGBOX or MSGF_MENU) and how often that window went
// idle before. Actions are best posted, so that they run inside the loop.
struct IdleScript : SentWatcher {
    explicit IdleScript(std::function<void(HWND window, WPARAM kind, int visit)> fn);
    std::map<HWND, int> visits;
};

struct MessageBoxSeen {
    std::string title, text;
    std::vector<int> buttons; // ids of the visible buttons, sorted
};

// Records every message box of this thread and answers it with answer.
struct MessageBoxAnswerer {
    explicit MessageBoxAnswerer(int answer);
    std::vector<MessageBoxSeen> seen;
    DialogWatcher watcher;
};

// Runs the program's start-up in this process with the given common-controls
// version and takes it down at the end of the scope (main window destroyed,
// its quit message taken, shutdown run, the state reset).
struct AppSession {
    explicit AppSession(uint32_t comctlVersion = 0x00060000);
    ~AppSession();
    AppSession(const AppSession&) = delete;
    AppSession& operator=(const AppSession&) = delete;
    HWND main() const;
    HWND text() const;
    int startResult;
};
