// Covers the tilemap command run as a process: every spelling of the options
// and the defaults (status 0, one line on stdout), usage errors (status 2,
// nothing written), failed jobs (status 1, one line on stderr naming the
// reason and the file, the output untouched), Korean file names, the bundled
// example, --help and --version.
#include "tests/textlib/testdir.h"
#include "textlib/conv.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>
#include <cstdlib>
#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace {

// Where the command's stdout and stderr go, in the tests' working folder.
const char* const STREAMS[2] = {"tilemap_cli.out", "tilemap_cli.err"};
#ifdef _WIN32
const std::string DRIVE = "Z:", QUOTE = "\""; // Wine's drive for the build's Unix paths
#else
const std::string DRIVE = "", QUOTE = "'";
#endif

// Runs the command with args (each quoted); returns its exit status.
int RunCommand(const std::vector<std::string>& args) {
    std::string line = QUOTE + DRIVE + TILEMAP_EXE + QUOTE;
    for (const std::string& a : args)
        line += " " + QUOTE + a + QUOTE;
    line += std::string(" >") + STREAMS[0] + " 2>" + STREAMS[1];
#ifdef _WIN32
    return std::system((QUOTE + line + QUOTE).c_str()); // the shell drops the outer quotes
#else
    int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

// What the last command wrote to stdout (0) or stderr (1), carriage returns removed.
std::string Written(int stream) {
    std::string text = ReadFile(STREAMS[stream]);
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

// A UTF-8 name as the command line carries it: the ANSI code page on Windows.
std::string Native(const std::string& utf8) {
#ifdef _WIN32
    return Conv_Utf8ToAnsi(utf8.c_str());
#else
    return utf8;
#endif
}

TEST(TilemapCli, Jobs) {
    TestDir dir;
    const std::string p = dir / "p", o = dir / "o", missing = dir / "missing";
    const std::string empty = dir / "empty", folder = dir / "folder";
    // The tool's own default names, "pattern file.map" and "output file.bbl" in Korean.
    const std::string kp = dir / "\xED\x8C\xA8\xED\x84\xB4 \xED\x8C\x8C\xEC\x9D\xBC.map";
    const std::string ko = dir / "\xEC\xB6\x9C\xEB\xA0\xA5 \xED\x8C\x8C\xEC\x9D\xBC.bbl";
    const std::string example = DRIVE + EXAMPLES_DIR "/interleave.map";
    std::string interleaved;
    for (int glyph = 1; glyph <= 32; glyph++) // each glyph's top tile, then its bottom tile
        interleaved += {static_cast<char>(glyph), static_cast<char>(glyph + 32)};
    WriteFile(p, "3,1,4,2,255,256\n");
    WriteFile(empty, "# nothing here\n");
    std::filesystem::create_directories(folder);
    WriteFile(Native(kp), ReadFile(p));
    auto wrote = [](int entries, const std::string& name, int bytes) {
        return std::to_string(entries) + " entries written to " + name + " (" +
               std::to_string(bytes) + " bytes)\n";
    };
    // The pattern's numbers as maps: in the default counts, the largest, undone over 4 tiles.
    const std::string taken = "\3\1\4\2\377", largest = taken + std::string(2073595, 0);
    const std::string undone = "\2\4\1\3", w4 = wrote(4, o, 4);
    const struct {
        std::vector<std::string> args;
        int status;
        std::string err, out = "", map = ""; // err: text stderr holds, or "" for none
        std::string file = "";               // the output, when it is not o
    } cases[] = {
        // Jobs that succeed: the defaults (255 inputs, 188 outputs, import), then the options;
        // of an option given twice the last counts.
        {{p, o}, 0, "", wrote(6, o, 188), taken + std::string(183, 0)},
        {{"-m", "import", "-i", "9", "-i", "4", "-o", "4", "-m", "undo", p, o}, 0, "", w4, undone},
        {{"--inputs", "4", "--outputs", "4", "--method", "undo", p, o}, 0, "", w4, undone},
        {{"--inputs=4", "--outputs=4", "--method=undo", p, o}, 0, "", w4, undone},
        {{"-i4", "-o4", "-mundo", p, o}, 0, "", w4, undone},
        {{p, o, "-i", "4", "-o", "2"}, 0, "", wrote(2, o, 2), "\3\1"},
        {{"-o", "3", "--", p, o}, 0, "", wrote(3, o, 3), "\3\1\4"},
        {{"-i", "2073600", "-o", "2073600", p, o}, 0, "", wrote(6, o, 2073600), largest},
        {{"-o", "3", Native(kp), Native(ko)}, 0, "", wrote(3, Native(ko), 3), "\3\1\4", Native(ko)},
        {{"-i", "64", "-o", "64", example, o}, 0, "", wrote(64, o, 64), interleaved},
        // Usage errors.
        {{}, 2, "tilemap: the pattern file and the output file must be named"},
        {{p}, 2, "the pattern file and the output file must be named"},
        {{p, o, dir / "third"}, 2, "too many file names: '" + dir / "third" + "'"},
        {{"-i", "0", p, o}, 2, "the input count must be a number from 1 to 2073600: '0'"},
        {{"-o", "2073601", p, o}, 2, "the output count must be"},
        {{"-i", "99999999999999999999", p, o}, 2, "the input count must be"},
        {{"--inputs=12x", p, o}, 2, "the input count must be"},
        {{"-m", "sideways", p, o}, 2, "the method must be import or undo, not 'sideways'"},
        {{"-q", p, o}, 2, "unknown option '-q'"},
        {{p, o, "-i"}, 2, "a value is missing after '-i'"},
        // Jobs that fail.
        {{missing, o}, 1, "cannot open the pattern file '" + missing + "'"},
        {{empty, o}, 1, "no number in the pattern file '" + empty + "'"},
        {{p, folder}, 1, "cannot write the output file '" + folder + "'"},
    };
    for (const auto& c : cases) {
        std::string shown;
        for (const std::string& a : c.args)
            shown += a + " ";
        SCOPED_TRACE(shown);
        std::filesystem::remove(o);
        if (c.status == 1) WriteFile(o, "old");
        EXPECT_EQ(RunCommand(c.args), c.status);
        const std::string out = Written(0), err = Written(1);
        EXPECT_EQ(out, c.out);
        EXPECT_EQ(err.empty(), c.err.empty()) << err;
        EXPECT_NE(err.find(c.err), std::string::npos) << err;
        // As many lines as the status: none, the reason, or the error and the hint.
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), c.status);
        EXPECT_TRUE(c.status != 2 || err.find("Try 'tilemap --help'") != std::string::npos);
        // The output: the new map, the old file kept, or none made.
        const std::string written = ReadFile(c.file.empty() ? o : c.file);
        EXPECT_TRUE(written == (c.status == 0   ? c.map
                                : c.status == 1 ? "old"
                                                : ""))
            << testing::PrintToString(written.substr(0, 40));
        EXPECT_TRUE(c.status != 2 || !std::filesystem::exists(o));
    }
}

TEST(TilemapCli, HelpAndVersion) {
    EXPECT_EQ(RunCommand({"--help"}), 0);
    EXPECT_EQ(Written(0).rfind("Usage: tilemap ", 0), 0u) << Written(0);
    EXPECT_NE(Written(0).find("--method"), std::string::npos);
    EXPECT_EQ(Written(1), "");
    EXPECT_EQ(RunCommand({"--version"}), 0);
    EXPECT_EQ(Written(0).rfind("tilemap 1.", 0), 0u) << Written(0);
}

} // namespace
