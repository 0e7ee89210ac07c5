// Covers the tilemap command as its users run it: defaults, every spelling
// of the options, usage errors (status 2, nothing written), failed jobs
// (status 1, one line naming the reason and the file, the output untouched),
// Korean file names, --help and --version, and the bundled example.
#include "tests/textlib/testdir.h"
#include "textlib/conv.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>
#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

struct Outcome {
    int status = -1;
    std::string out, err; // carriage returns removed
};

std::string WithoutCr(const std::string& text) {
    std::string s;
    for (char c : text)
        if (c != '\r') s += c;
    return s;
}

// A UTF-8 name as the command line carries it: the ANSI code page on Windows.
std::string Native(const std::string& utf8) {
#ifdef _WIN32
    return Conv_Utf8ToAnsi(utf8.c_str());
#else
    return utf8;
#endif
}

#ifdef _WIN32
std::string Drain(HANDLE pipe) {
    std::string text;
    char buffer[4096];
    DWORD got;
    while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    return text;
}

// Runs the command with args, waiting at most a minute for it to end.
Outcome Tilemap(const std::vector<std::string>& args) {
    std::string exe = TILEMAP_EXE;
    if (exe[0] == '/') exe = "Z:" + exe; // the cross build names it by its Unix path
    for (char& c : exe)
        if (c == '/') c = '\\';
    std::string line = "\"" + exe + "\"";
    for (const std::string& a : args)
        line += " \"" + a + "\"";
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE outRead, outWrite, errRead, errWrite;
    CreatePipe(&outRead, &outWrite, &inherit, 0);
    CreatePipe(&errRead, &errWrite, &inherit, 0);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA start = {};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdOutput = outWrite;
    start.hStdError = errWrite;
    start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process;
    Outcome o;
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back(0);
    BOOL started = CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                  nullptr, &start, &process);
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    EXPECT_TRUE(started) << exe;
    if (started) {
        // The command writes a line or a short help text, well below the
        // pipes' room, so it never waits for us while we wait for it.
        EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        o.status = static_cast<int>(code);
        o.out = WithoutCr(Drain(outRead));
        o.err = WithoutCr(Drain(errRead));
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(outRead);
    CloseHandle(errRead);
    return o;
}
#else
Outcome Tilemap(const std::vector<std::string>& args) {
    int out[2], err[2];
    EXPECT_EQ(pipe(out), 0);
    EXPECT_EQ(pipe(err), 0);
    pid_t child = fork();
    if (child == 0) {
        dup2(out[1], 1);
        dup2(err[1], 2);
        close(out[0]);
        close(err[0]);
        std::vector<char*> argv = {const_cast<char*>(TILEMAP_EXE)};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(TILEMAP_EXE, argv.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    Outcome o;
    // Read both pipes until the command closes them, within a minute.
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* texts[2] = {&o.out, &o.err};
    int open = 2;
    while (open > 0) {
        int ready = poll(fds, 2, 60000);
        if (ready <= 0) {
            ADD_FAILURE() << "tilemap did not end within a minute";
            kill(child, SIGKILL);
            break;
        }
        for (int k = 0; k < 2; k++) {
            if (fds[k].fd < 0 || !fds[k].revents) continue;
            char buffer[4096];
            ssize_t got = read(fds[k].fd, buffer, sizeof buffer);
            if (got > 0) {
                texts[k]->append(buffer, static_cast<size_t>(got));
            } else {
                close(fds[k].fd);
                fds[k].fd = -1;
                open--;
            }
        }
    }
    int status = 0;
    waitpid(child, &status, 0);
    o.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    o.out = WithoutCr(o.out);
    o.err = WithoutCr(o.err);
    for (int k = 0; k < 2; k++)
        if (fds[k].fd >= 0) close(fds[k].fd);
    return o;
}
#endif

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values)
        s += static_cast<char>(v);
    return s;
}

TEST(TilemapCli, DefaultsAreTheJobsStartValues) {
    TestDir dir;
    WriteFile(dir / "p.map", "1~300\n");
    Outcome o = Tilemap({dir / "p.map", dir / "o.bbl"});
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, "188 entries written to " + (dir / "o.bbl") + " (188 bytes)\n");
    EXPECT_EQ(o.err, "");
    std::string map = ReadFile(dir / "o.bbl");
    ASSERT_EQ(map.size(), 188u);
    EXPECT_EQ(uint8_t(map[187]), 188);
}

TEST(TilemapCli, EverySpellingOfTheOptions) {
    const std::vector<std::vector<std::string>> spellings = {
        {"-i", "4", "-o", "4", "-m", "undo"},
        {"--inputs", "4", "--outputs", "4", "--method", "undo"},
        {"--inputs=4", "--outputs=4", "--method=undo"},
        {"-i4", "-o4", "-mundo"},
        {"-m", "import", "-m", "undo", "-i", "9", "-i", "4", "-o", "4"}, // the last one counts
    };
    TestDir dir;
    WriteFile(dir / "p", "3,1,4,2\n");
    for (const auto& options : spellings) {
        std::vector<std::string> args = options;
        args.push_back(dir / "p");
        args.push_back(dir / "o");
        Outcome o = Tilemap(args);
        EXPECT_EQ(o.status, 0) << o.err;
        EXPECT_EQ(o.out, "4 entries written to " + (dir / "o") + " (4 bytes)\n");
        EXPECT_EQ(ReadFile(dir / "o"), Bytes({2, 4, 1, 3}));
    }
    // Options may follow the names, and "--" ends them.
    Outcome o = Tilemap({dir / "p", dir / "o", "-i", "4", "-o", "2"});
    EXPECT_EQ(o.out, "2 entries written to " + (dir / "o") + " (2 bytes)\n");
    EXPECT_EQ(Tilemap({"-o", "3", "--", dir / "p", dir / "o"}).status, 0);
    EXPECT_EQ(ReadFile(dir / "o"), Bytes({3, 1, 4}));
}

TEST(TilemapCli, UsageErrorsOpenNothing) {
    TestDir dir;
    WriteFile(dir / "p", "1\n");
    const std::string p = dir / "p", o = dir / "o";
    const std::vector<std::vector<std::string>> cases = {
        {},
        {p},
        {p, o, dir / "third"},
        {"-i", "0", p, o},
        {"-o", "2073601", p, o},
        {"-i", "99999999999999999999", p, o},
        {"-i", "-5", p, o},
        {"--inputs=12x", p, o},
        {"-m", "sideways", p, o},
        {"--bogus", p, o},
        {"-q", p, o},
        {p, o, "-i"},
    };
    for (const auto& args : cases) {
        std::string shown;
        for (const std::string& a : args)
            shown += a + " ";
        SCOPED_TRACE(shown);
        Outcome r = Tilemap(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("tilemap: "), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("--help"), std::string::npos) << r.err;
        EXPECT_FALSE(FileExists(o));
    }
    // The largest counts are allowed.
    EXPECT_EQ(Tilemap({"-i", "2073600", "-o", "2073600", p, o}).status, 0);
    EXPECT_EQ(ReadFile(o).size(), 2073600u);
}

TEST(TilemapCli, FailedJobsSayWhyAndKeepTheOutput) {
    TestDir dir;
    WriteFile(dir / "empty", "# nothing here\n");
    WriteFile(dir / "p", "1\n");
    WriteFile(dir / "o", "old");
    std::filesystem::create_directories(dir / "folder");
    struct Case {
        std::string pattern, output, says, names;
    } cases[] = {
        {dir / "missing", dir / "o", "cannot open the pattern file", dir / "missing"},
        {dir / "empty", dir / "o", "no number in the pattern file", dir / "empty"},
        {dir / "p", dir / "folder", "cannot write the output file", dir / "folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        Outcome r = Tilemap({c.pattern, c.output});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("'" + c.names + "'"), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(ReadFile(dir / "o"), "old");
    }
}

TEST(TilemapCli, KoreanFileNames) {
    TestDir dir;
    // The tool's own default names, "pattern file.map" and "output file.bbl" in Korean.
    const std::string pattern = dir / "\xED\x8C\xA8\xED\x84\xB4 \xED\x8C\x8C\xEC\x9D\xBC.map";
    const std::string output = dir / "\xEC\xB6\x9C\xEB\xA0\xA5 \xED\x8C\x8C\xEC\x9D\xBC.bbl";
    {
        std::ofstream out(std::filesystem::u8path(pattern), std::ios::binary);
        out << "5,6,7\n";
    }
    Outcome o = Tilemap({"-o", "3", Native(pattern), Native(output)});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "3 entries written to " + Native(output) + " (3 bytes)\n");
    std::ifstream in(std::filesystem::u8path(output), std::ios::binary);
    std::string map((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(map, Bytes({5, 6, 7}));
}

TEST(TilemapCli, HelpAndVersion) {
    Outcome help = Tilemap({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: tilemap ", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("--method"), std::string::npos);
    EXPECT_EQ(help.err, "");
    Outcome version = Tilemap({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("tilemap 1.", 0), 0u) << version.out;
}

TEST(TilemapCli, TheBundledExampleRuns) {
    TestDir dir;
    std::string example = EXAMPLES_DIR "/interleave.map";
#ifdef _WIN32
    example = "Z:" + example;
#endif
    Outcome o = Tilemap({"-i", "64", "-o", "64", example, dir / "o.bbl"});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "64 entries written to " + (dir / "o.bbl") + " (64 bytes)\n");
    std::string expected; // each glyph's top tile, then its bottom tile
    for (int glyph = 1; glyph <= 32; glyph++)
        expected += Bytes({glyph, glyph + 32});
    EXPECT_EQ(ReadFile(dir / "o.bbl"), expected);
}

} // namespace
