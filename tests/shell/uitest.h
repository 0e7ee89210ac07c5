// Helpers for driving the real windows from a test, the way Wine's own
// conformance tests do: modal windows are met in a CBT hook when they are
// activated (or when their owner hears WM_ENTERIDLE) and answered by posted
// clicks; waiting is done by pumping messages until a condition holds or a
// deadline passes, never by sleeping.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

constexpr DWORD UI_DEADLINE_MS = 10000;

// The text converted to the ANSI code page (949 under the test locale).
std::string Ansi(const char16_t* text);

// Pumps the thread's messages (through the main loop's routing while the
// main window exists) until done() holds; false when the deadline passed.
bool Ui_PumpUntil(const std::function<bool()>& done, DWORD deadlineMs = UI_DEADLINE_MS);
// Processes what is queued now, without waiting.
void Ui_PumpPending();
// Whether a WM_QUIT was taken from the queue since the last reset, and its code.
bool Ui_QuitSeen();
void Ui_ResetQuit();

std::string Ui_Text(HWND window);
std::string Ui_ItemText(HWND dialog, int id);
std::string Ui_ClassName(HWND window);

// Posts a click on the dialog's button with id: the button handles a posted
// BM_CLICK as if it had been pressed.
void Ui_PressButton(HWND dialog, int id);

// Calls onActivate for every top-level dialog-class window ("#32770") of
// this thread when it is activated, while the object lives. Watchers of
// one kind share one hook and are called newest first.
class DialogWatcher {
  public:
    explicit DialogWatcher(std::function<void(HWND)> onActivate);
    ~DialogWatcher();
    DialogWatcher(const DialogWatcher&) = delete;
    DialogWatcher& operator=(const DialogWatcher&) = delete;

  private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    std::function<void(HWND)> onActivate_;
};

// Calls onMessage for every message sent to a window of this thread (a
// WH_CALLWNDPROC hook) while the object lives: the way to see WM_ENTERIDLE
// of modal loops and WM_COMMAND that reach the main window.
class SentWatcher {
  public:
    explicit SentWatcher(std::function<void(const CWPSTRUCT&)> onMessage);
    ~SentWatcher();
    SentWatcher(const SentWatcher&) = delete;
    SentWatcher& operator=(const SentWatcher&) = delete;

  private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    std::function<void(const CWPSTRUCT&)> onMessage_;
};

// Drives modal loops from inside: every time a modal dialog or menu of
// this thread waits for input (its owner hears WM_ENTERIDLE), onIdle runs
// with the dialog (or, for a menu, the menu's owner), the kind (MSGF_DIALOGBOX
// or MSGF_MENU) and how many times that window went idle before. Actions
// are best posted, so that they run inside the modal loop.
class IdleScript {
  public:
    explicit IdleScript(std::function<void(HWND window, WPARAM kind, int visit)> onIdle);

  private:
    std::vector<std::pair<HWND, int>> visits_;
    std::function<void(HWND, WPARAM, int)> onIdle_;
    SentWatcher watcher_;
};

// Presses and releases keys as a keyboard would (SendInput), in order:
// modifiers first, then the key; the thread's windows must be in front.
void Ui_PressKey(WORD key, bool alt = false, bool shift = false);

// A message box as a person sees it: title, text and button labels.
struct MessageBoxSeen {
    std::string title;
    std::string text;
    std::vector<int> buttons; // ids of the visible buttons, sorted
    bool hasExclamation = false;
};

// Answers every message box of this thread with the button answer, after
// recording what it showed.
class MessageBoxAnswerer {
  public:
    explicit MessageBoxAnswerer(int answer);
    std::vector<MessageBoxSeen> seen;

  private:
    DialogWatcher watcher_;
};

// Runs the program's start-up in this process with the given common-controls
// version and takes it down again at the end of the scope (the main window
// destroyed, the quit message taken, shutdown run, the state reset).
class AppSession {
  public:
    explicit AppSession(uint32_t comctlVersion = 0x00060000);
    ~AppSession();
    AppSession(const AppSession&) = delete;
    AppSession& operator=(const AppSession&) = delete;
    int startResult() const { return startResult_; }
    HWND main() const;
    HWND text() const;

  private:
    int startResult_;
};
