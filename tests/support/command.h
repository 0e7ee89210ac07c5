// Runs the built tilemap command (TILEMAP_EXE) through the shell, on Linux and as a Windows
// program under Wine, where the build's Unix paths are on drive Z:.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#ifndef _WIN32
#include <sys/wait.h>
#endif

// The build's paths' drive, the shell's quote, the null device, a device that never ends, and
// the shell's command that copies a file to standard output.
#ifdef _WIN32
const std::string DRIVE = "Z:", QUOTE = "\"", NUL = "NUL", ENDLESS = "AUX", CAT = "type ";
#else
const std::string DRIVE = "", QUOTE = "'", NUL = "/dev/null", ENDLESS = "/dev/zero", CAT = "cat ";
#endif
const std::string EXE = QUOTE + DRIVE + TILEMAP_EXE + QUOTE;

struct ShellRun {
    int status;
    std::string out, err; // read as text: CR LF as LF
};

// Runs a shell command line. Each run has files of its own: under Wine a process that used GDI+
// may hold its standard output open for a moment after its end, and the next redirection to that
// file would fail. A command's own > keeps its stdout; with merged stderr goes with stdout.
inline ShellRun Shell(const std::string& command, bool merged = false) {
    static int runs = 0;
    const std::string out = "shell" + std::to_string(++runs) + ".out", err = out + ".err";
#ifdef _WIN32 // the shell drops the outer quotes and has no group that takes 2>&1
    const bool own = command.find(" >") != std::string::npos;
    const std::string line =
        command + (own ? " 2>" + err : " >" + out + (merged ? " 2>&1" : " 2>" + err));
    const int status = std::system((QUOTE + line + QUOTE).c_str());
#else
    const std::string line = "(" + command + ") >" + out + (merged ? " 2>&1" : " 2>" + err);
    const int raw = std::system(line.c_str()), status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
    auto take = [](const std::string& name) {
        std::ifstream in(name);
        std::string text(std::istreambuf_iterator<char>(in), {});
        in.close();
        std::remove(name.c_str());
        return text;
    };
    ShellRun run = {status, take(out), take(err)};
    if (merged) run.out += run.err, run.err.clear();
    return run;
}
