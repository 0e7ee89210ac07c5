// Covers the tilemap command run as a process: the spellings of the options and the defaults
// (status 0, one line on stdout), usage errors (status 2, the error and a hint, nothing written),
// failed jobs (status 1, the reason and the file, the output untouched) and Korean file names;
// a pattern read from a file, standard input or a pipe, and a map written to standard output.
#include "tests/textlib/testdir.h"
#include "textlib/conv.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <tuple>
#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace {

#ifdef _WIN32
const std::string DRIVE = "Z:", QUOTE = "\""; // Wine's drive for the build's Unix paths
const auto Native = [](const std::string& s) { return std::string(Conv_Utf8ToAnsi(s.c_str())); };
#else
const std::string DRIVE = "", QUOTE = "'";
const auto Native = [](const std::string& s) { return s; }; // names as the command line has them
#endif

// Runs the command with args (each quoted): its status, stdout and stderr.
std::tuple<int, std::string, std::string> Tilemap(const std::vector<std::string>& args) {
    std::string line = QUOTE + DRIVE + TILEMAP_EXE + QUOTE;
    for (const std::string& a : args)
        line += " " + QUOTE + a + QUOTE;
    line += " >tilemap_cli.out 2>tilemap_cli.err";
#ifdef _WIN32 // the shell drops the outer quotes
    const int status = std::system((QUOTE + line + QUOTE).c_str());
#else
    const int raw = std::system(line.c_str()), status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
    std::ifstream out("tilemap_cli.out"), err("tilemap_cli.err"); // text mode: CR LF read as LF
    return {status, std::string(std::istreambuf_iterator<char>(out), {}),
            std::string(std::istreambuf_iterator<char>(err), {})};
}

TEST(TilemapCli, Runs) {
    TestDir dir;
    const std::string p = dir / "p", o = dir / "o", missing = dir / "missing", empty = dir / "e";
    const std::string kp = Native(dir / "\xED\x8C\xA8\xED\x84\xB4 \xED\x8C\x8C\xEC\x9D\xBC.map");
    const std::string ko = Native(dir / "\xEC\xB6\x9C\xEB\xA0\xA5 \xED\x8C\x8C\xEC\x9D\xBC.bbl");
    WriteFile(p, "3,1,4,2,255,256\n");
    WriteFile(kp, ReadFile(p));
    WriteFile(empty, "# nothing here\n");
    // Arguments, status; numbers taken, map and file of a job, else stderr after "tilemap: ".
    const std::tuple<std::vector<std::string>, int, int, std::string, std::string> cases[] = {
        // clang-format off
        // The defaults (255 inputs, 188 outputs, import), every spelling; the last value counts.
        {{p, o}, 0, 6, "\3\1\4\2\377" + std::string(183, 0), o},
        {{"-i", "9", "--inputs", "4", "--outputs=4", "-mundo", p, o}, 0, 4, "\2\4\1\3", o},
        {{"-o3", "--", p, o}, 0, 3, "\3\1\4", o}, {{"-o", "3", kp, ko}, 0, 3, "\3\1\4", ko},
        {{p, o, "-i4", "-o", "2", "--method", "import"}, 0, 2, "\3\1", o},
        {{p}, 2, 0, "", "the pattern file and the output file must be named"},
        {{p, o, dir / "third"}, 2, 0, "", "too many file names: '" + dir / "third" + "'"},
        {{"-i", "0", p, o}, 2, 0, "", "the input count must be a number from 1 to 2073600: '0'"},
        {{"-o", "2073601", p, o}, 2, 0, "", "the output count"},
        {{"-i1x", p, o}, 2, 0, "", "the input count"}, {{"-x", p}, 2, 0, "", "unknown option '-x'"},
        {{"-m", "sideways", p, o}, 2, 0, "", "the method must be import or undo, not 'sideways'"},
        {{p, o, "-o"}, 2, 0, "", "a value is missing after '-o'"},
        {{missing, o}, 1, 0, "", "cannot open the pattern file '" + missing + "'"},
        {{empty, o}, 1, 0, "", "no number in the pattern file '" + empty + "'"},
        {{p, dir / ""}, 1, 0, "", "cannot write the output file '" + dir / "" + "'"},
        // clang-format on
    };
    for (const auto& [args, code, entries, map, text] : cases) {
        WriteFile(o, "old");
        const auto [status, out, err] = Tilemap(args);
        const std::string job = std::to_string(entries) + " entries written to " + text + " (" +
                                std::to_string(map.size()) + " bytes)\n";
        // stdout: the job's line; the output: the map, or the old file.
        EXPECT_EQ(std::make_tuple(status, out, ReadFile(code ? o : text)),
                  std::make_tuple(code, code ? "" : job, code ? std::string("old") : map))
            << testing::PrintToString(args);
        // stderr: the reason in one line, or the error and the hint in two.
        EXPECT_EQ(err.substr(0, code ? 9 + text.size() : 1), code ? "tilemap: " + text : "");
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), code) << err;
        EXPECT_EQ(code == 2, err.find("\nTry 'tilemap --help'") != std::string::npos);
    }
}

// The same pattern (larger than the reader's cache, with characters that its look-ahead meets
// across refills) through every road gives the same map.
TEST(TilemapCli, PatternFromAFileStandardInputOrAPipe) {
    TestDir dir;
    const std::string exe = QUOTE + DRIVE + TILEMAP_EXE + QUOTE, out = QUOTE + dir / "o" + QUOTE;
    // Lines of Korean; a lone CR and the character after it stand across the end of the reader's
    // first 64 KiB, where it reads on past the CR and steps back.
    std::string utf8 = "\xEF\xBB\xBF#", utf16 = "\xFF\xFE", map;
    for (int i = 0; i < 21853; i++)
        utf8 += i == 21843 ? "\r\xED\x83\x80" : "\xED\x83\x80";
    utf8 += "\n";
    for (int i = 0; i < 20000; i++) {
        const std::string line =
            std::to_string(i % 251 + 1) + ", " + std::to_string(i % 7) + "\r\n";
        utf8 += "# \xED\x83\x80\xEC\x9D\xBC\r\n" + line;    // Korean, three bytes a character
        utf16 += std::string("#\0=\xD8\0\xDE\r\0\n\0", 10); // a character beyond the BMP
        for (char c : line)
            utf16 += c, utf16 += '\0';
        map += char(i % 251 + 1), map += char(i % 7);
    }
#ifdef _WIN32
    const std::string null = "nul";
    auto Name = [&](const std::string& n) { // cmd takes '/' for a switch
        std::string name = DRIVE + dir / n;
        std::replace(name.begin(), name.end(), '/', '\\');
        return QUOTE + name + QUOTE;
    };
#else
    const std::string null = "/dev/null";
    auto Name = [&](const std::string& n) { return QUOTE + dir / n + QUOTE; };
#endif
    const std::string p = Name("p"), quiet = " >" + null + " 2>" + null, job = exe + " -o 40000 ";
    for (const std::string& text : {utf8, utf16}) {
        WriteFile(dir / "p", text);
        // The command itself sends the pattern's bytes down a pipe, as a map that holds them.
        std::string bytes;
        for (size_t i = 0; i < text.size(); i++)
            bytes += std::to_string(uint8_t(text[i])) + (i % 64 == 63 ? "\n" : ",");
        WriteFile(dir / "b", bytes);
        const std::string pipe = exe + " -i 255 -o " + std::to_string(text.size()) + " " +
                                 Name("b") + " - 2>" + null + " | ";
        const std::string roads[] = {
            job + p + " " + out + quiet,
            job + "- " + out + " < " + p + quiet,
            pipe + job + "- " + out + quiet,
            job + p + " - > " + out + " 2>" + null,
#ifndef _WIN32
            "cat " + p + " | " + job + "/dev/stdin " + out + quiet,
#endif
        };
        for (const std::string& road : roads) {
            WriteFile(dir / "o", "old");
#ifdef _WIN32
            const int status = std::system((QUOTE + road + QUOTE).c_str());
#else
            const int status = std::system(road.c_str());
#endif
            EXPECT_EQ(status, 0) << road;
            EXPECT_TRUE(ReadFile(dir / "o") == map) << road;
        }
    }
}

} // namespace
