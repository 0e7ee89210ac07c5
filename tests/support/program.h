// A built program run as a process from a UI test, with deadlines on every
// wait.
#pragma once
#include <gtest/gtest.h>
#include "tests/support/uitest.h"

// A program started in folder (SW_SHOWDEFAULT: as it chooses), ended by
// force if it has not ended at the end of the scope.
struct Program {
    PROCESS_INFORMATION pi = {};
    Program(const std::string& exe, const std::string& arguments, const std::string& folder,
            WORD show = SW_SHOWDEFAULT) {
        const std::string path = std::filesystem::absolute(exe).string();
        std::string commandLine = "\"" + path + "\" " + arguments;
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        si.dwFlags = show == SW_SHOWDEFAULT ? 0 : STARTF_USESHOWWINDOW, si.wShowWindow = show;
        EXPECT_TRUE(CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                                   nullptr, folder.c_str(), &si, &pi));
    }
    ~Program() {
        if (WaitForSingleObject(pi.hProcess, UI_DEADLINE_MS)) TerminateProcess(pi.hProcess, 99);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    DWORD ExitCode() {
        DWORD code = 99;
        WaitForSingleObject(pi.hProcess, UI_DEADLINE_MS);
        return GetExitCodeProcess(pi.hProcess, &code) ? code : 99;
    }
    bool Until(const std::function<bool()>& done) { // waits in steps on the process
        for (DWORD start = GetTickCount(); !done();)
            if (GetTickCount() - start > UI_DEADLINE_MS || !WaitForSingleObject(pi.hProcess, 20))
                return done();
        return true;
    }
    HWND Focus() {
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        return GetGUIThreadInfo(pi.dwThreadId, &info) ? info.hwndFocus : nullptr;
    }
};
