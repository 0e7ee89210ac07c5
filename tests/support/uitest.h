// Helpers for driving the real windows from a test: dialogs are met by one
// hook right after WM_INITDIALOG, checked there and answered by posted
// clicks or keys (or ended with a sentinel result); sent messages (a menu
// loop going idle, say) by another. Waiting pumps messages until a condition
// holds or a deadline passes, never sleeps. For the dialogs: drops, string
// table formats, and a script answering message boxes and running flows;
// pictures as windows paint them.
#pragma once
#include <windows.h>
#include <shlobj.h>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

constexpr DWORD UI_DEADLINE_MS = 10000;
// The result a dialog is ended with when its script left it open too long.
constexpr INT_PTR UI_GAVE_UP = 0x6A7E;

// The text in the ANSI code page (949 under the test locale).
std::string Ansi(const char16_t* text);
// String resource id of the program, as it loads it.
std::string Ui_String(int id);
// Pumps messages (through the main loop's routing while the main window
// exists) until done() holds; false when the deadline passed.
bool Ui_PumpUntil(const std::function<bool()>& done, DWORD deadlineMs = UI_DEADLINE_MS);
bool Ui_QuitSeen(); // a WM_QUIT was taken since the session started
std::string Ui_Text(HWND window);
std::string Ui_ClassName(HWND window);
void Ui_PressButton(HWND dialog, int id);                         // a posted BM_CLICK
void Ui_PressKey(WORD key, bool alt = false, bool shift = false); // through SendInput
// A click on toolbar button index of the main window, on its drop-down
// arrow when arrow is set.
void Ui_ClickToolbar(int index, bool arrow = false);
// Selects a combo box row as the user does; what the choice opens runs first.
void Ui_ChooseRow(HWND dialog, int id, int row);
RECT Ui_RectIn(HWND window, HWND parent); // in parent's client coordinates
// The pixels that paint draws on a white width x height bitmap, row by row.
std::vector<COLORREF> Ui_Paint(int width, int height, const std::function<void(HDC)>& paint);

// Calls fn for every message sent to a window of this thread while it lives.
struct SentWatcher {
    explicit SentWatcher(std::function<void(const CWPSTRUCT&)> fn);
    ~SentWatcher();
    SentWatcher(const SentWatcher&) = delete;
    SentWatcher& operator=(const SentWatcher&) = delete;
    std::function<void(const CWPSTRUCT&)> fn;
};

// Calls fn for every dialog box of this thread (message boxes and common
// dialogs included) right after its WM_INITDIALOG, with the number of
// dialogs met before. A dialog still open UI_DEADLINE_MS later is ended
// with UI_GAVE_UP, and gaveUp is set, so a script that fails cannot hang.
struct DialogScript {
    explicit DialogScript(std::function<void(HWND dialog, int nth)> fn);
    ~DialogScript();
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;
    std::function<void(HWND, int)> fn;
    int met = 0;
    bool gaveUp = false;
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

// What WM_DROPFILES carries for a drop of these files (full ANSI names).
inline WPARAM Test_Drop(const std::vector<std::string>& names) {
    DROPFILES header = {sizeof(DROPFILES), {0, 0}, FALSE, FALSE};
    std::string list(reinterpret_cast<char*>(&header), sizeof(header));
    for (const std::string& n : names)
        list += std::filesystem::absolute(n).string() + '\0';
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, list.size() + 1);
    memcpy(GlobalLock(block), list.data(), list.size());
    GlobalUnlock(block);
    return reinterpret_cast<WPARAM>(block);
}

template <typename... Args> std::string Test_Format(int id, Args... args) {
    char text[512];
    snprintf(text, sizeof(text), Ui_String(id).c_str(), args...);
    return text;
}

// Message boxes get the answers in turn (then Cancel), their texts go to
// asked; the n-th other dialog runs flows[n] from a timer, once it is shown.
struct Script {
    std::vector<int> answers;
    std::vector<std::string> asked;
    std::vector<std::function<void(HWND)>> flows;
    size_t met = 0;
    static inline Script* current = nullptr; // the one whose flow a timer runs
    static void CALLBACK Run(HWND d, UINT, UINT_PTR id, DWORD) {
        KillTimer(d, id);
        current->flows[id - 1](d);
    }
    DialogScript hook{[this](HWND d, int) {
        if (GetDlgItem(d, IDYES) && GetDlgItem(d, IDNO)) {
            asked.push_back(Ui_Text(GetDlgItem(d, 0xFFFF)));
            Ui_PressButton(d, answers.empty() ? IDCANCEL : answers.front());
            if (!answers.empty()) answers.erase(answers.begin());
        } else if (met < flows.size() && (current = this)) {
            SetTimer(d, ++met, 0, Run);
        }
    }};
};
