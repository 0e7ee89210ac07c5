// Helpers of the companion dialogs' tests: a shell-made drop handle, string
// table formats, and a script answering message boxes and running flows.
#pragma once
#include <shlobj.h>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include "tests/support/uitest.h"

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
