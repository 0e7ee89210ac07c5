// Covers the tilemap command run as a process: the spellings of the options and the defaults
// (status 0, one line on stdout), usage errors (status 2, the error and a hint, nothing written),
// failed jobs (status 1, the reason and the file, the output untouched) and Korean file names;
// a pattern read from a file, standard input or a pipe, and a map written to standard output;
// then how it writes its output: links, read-only files, devices and FIFOs, temporaries, signals,
// folders, the pattern as its own output, and that no other file appears.
#include "tests/textlib/testdir.h"
#include "textlib/conv.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <tuple>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
const std::string DRIVE = "Z:", QUOTE = "\""; // Wine's drive for the build's Unix paths
const auto Native = [](const std::string& s) { return std::string(Conv_Utf8ToAnsi(s.c_str())); };
#else
const std::string DRIVE = "", QUOTE = "'";
const auto Native = [](const std::string& s) { return s; }; // names as the command line has them
#endif

const std::string EXE = QUOTE + DRIVE + TILEMAP_EXE + QUOTE;

// Runs a shell command line: its status, stdout and stderr.
std::tuple<int, std::string, std::string> Shell(const std::string& command) {
#ifdef _WIN32 // the shell drops the outer quotes
    const std::string line = command + " >tilemap_cli.out 2>tilemap_cli.err";
    const int status = std::system((QUOTE + line + QUOTE).c_str());
#else
    const std::string line = "(" + command + ") >tilemap_cli.out 2>tilemap_cli.err";
    const int raw = std::system(line.c_str()), status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
    std::ifstream out("tilemap_cli.out"), err("tilemap_cli.err"); // text mode: CR LF read as LF
    return {status, std::string(std::istreambuf_iterator<char>(out), {}),
            std::string(std::istreambuf_iterator<char>(err), {})};
}

// Runs the command with args (each quoted).
std::tuple<int, std::string, std::string> Tilemap(const std::vector<std::string>& args) {
    std::string line = EXE;
    for (const std::string& a : args)
        line += " " + QUOTE + a + QUOTE;
    return Shell(line);
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

// How the output is written, one row per case: the set-up (below) in a folder {D} that holds the
// pattern p, the command ({T} the program, {U} nothing or, for the superuser, a switch to another
// user), its status, a part of stderr, stdout, and afterwards every entry of the folder:
// "name=bytes" ("#mode" where not the default), "name/" a folder, "name|" a FIFO, "name->to" a
// link.
struct OutputCase {
    const char *name, *skip, *setUp; // skip: why this build lacks the case, or null
    std::string command;
    int status;
    std::string err, out;
    std::vector<std::string> after;
};

void PrintTo(const OutputCase& c, std::ostream* os) {
    *os << c.name;
}

#ifdef _WIN32
#define LINUX_ONLY(why) why
#define MODE(bits) ""
const std::string NUL = "NUL";
#else
#define LINUX_ONLY(why) nullptr
#define MODE(bits) bits
const std::string NUL = "/dev/null";
#endif
#define NO_LINKS LINUX_ONLY("Wine makes no links for Windows programs")
#define NO_SIGNALS LINUX_ONLY("Wine gives a test program no console to stop a job from")

// Makes what the letters of setUp name in d: L the links folder's target, o an old output, m its
// mode 640, k a hard link keep to it, r it read-only in an open folder, e an empty pattern, h and l
// a hard and a symbolic link to p, t a link and a file of earlier temporary names, f a FIFO, x a
// closed folder, K a folder kept.
void Prepare(const std::string& d, const std::string& letters) {
    namespace fs = std::filesystem;
    for (char c : letters) {
        if (c == 'L') WriteFile(d + "/target", "old");
        if (c == 'o') WriteFile(d + "/o", "old");
        if (c == 'm' || c == 'r') fs::permissions(d + "/o", fs::perms(c == 'm' ? 0640 : 0444));
        if (c == 'r') fs::permissions(d, fs::perms::all); // the rename would be allowed
        if (c == 'k' || c == 'h') fs::create_hard_link(d + (c == 'k' ? "/o" : "/p"), d + "/" + c);
        if (c == 'e') WriteFile(d + "/e", "");
        if (c == 'K') fs::create_directory(d + "/K");
        if (c == 'x') fs::permissions(d, fs::perms(0555));
#ifndef _WIN32
        if (c == 'l') fs::create_symlink("p", d + "/l");
        if (c == 't') fs::create_symlink("planted", d + "/o.~tmp"), WriteFile(d + "/o.~tmp9", "");
        if (c == 'f') mkfifo((d + "/f").c_str(), 0644);
#endif
    }
}

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> found;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string name = e.path().lexically_relative(folder).generic_string();
        std::string mode;
#ifndef _WIN32
        const mode_t mask = umask(0), bits = mode_t(e.symlink_status().permissions());
        umask(mask);
        mode = bits == (0666 & ~mask) ? "" : "#" + (std::ostringstream() << std::oct << bits).str();
#endif
        found.push_back(e.is_symlink()     ? name + "->" + read_symlink(e.path()).string()
                        : e.is_directory() ? name + "/"
                        : e.is_other()     ? name + "|"
                                           : name + "=" + ReadFile(e.path().string()) + mode);
    }
    std::sort(found.begin(), found.end());
    return found;
}

const std::string MAP = "\3\1\4\2", P = "p=3,1,4,2\n", RUN = "{T} -o4 {D}/p ",
                  X = std::string(255, 'x');
const std::string WROTE = "4 entries written to {D}/o (4 bytes)\n";
// Waits (10 s at most) until the job has made its temporary, then stops it with a signal.
const std::string STOP = " & pid=$!; i=0; until ls -A {D} | grep -q 'tmp$' || [ $i -gt 999 ]; do "
                         "i=$((i+1)); sleep 0.01; done; kill -";

// clang-format off
const OutputCase OUTPUT_CASES[] = {
    // An ordinary file is replaced in one step (its hard link keeps the old one) with its mode; a
    // new one gets the default mode; a failed job changes nothing.
    {"Replaced", nullptr, "omk", RUN + "{D}/o", 0, "", WROTE, {P, "o=" + MAP + MODE("#640"), "k=old" MODE("#640")}},
    {"Created", nullptr, "", RUN + "{D}/o", 0, "", WROTE, {P, "o=" + MAP}},
    {"FailedJob", nullptr, "oe", "{T} {D}/e {D}/o", 1, "no number in the pattern file", "", {P, "e=", "o=old"}},
    // Through every level of links (two -> one -> target) to the file at the end; the links stay.
#ifdef _WIN32
    {"LinkChain", nullptr, "L", RUN + "{D}/two", 0, "", "4 entries written to {D}/two (4 bytes)\n", {P, "one=" + MAP, "target=" + MAP, "two=" + MAP}},
#else
    {"LinkChain", nullptr, "L", RUN + "{D}/two", 0, "", "4 entries written to {D}/two (4 bytes)\n", {P, "one->target", "target=" + MAP, "two->one"}},
#endif
    {"ReadOnly", nullptr, "or", "{U}" + RUN + "{D}/o", 1, "cannot write the output file '{D}/o': access denied", "", {P, "o=old" MODE("#444")}},
    // Devices, FIFOs and what stdout is are written straight, with no temporary.
    {"NullDevice", nullptr, "", "{U}" + RUN + NUL, 0, "", "4 entries written to " + NUL + " (4 bytes)\n", {P}},
    {"Fifo", LINUX_ONLY("a FIFO is a Unix file"), "f", "cat {D}/f >{D}/got & " + RUN + "{D}/f; s=$?; wait; exit $s", 0, "", "4 entries written to {D}/f (4 bytes)\n", {P, "f|", "got=" + MAP}},
    {"Stdout", LINUX_ONLY("CON needs a console, which Wine gives no test program"), "", RUN + "/dev/stdout | cat", 0, "entries written to /dev/stdout", MAP, {P}},
    // Temporaries: unpredictable, made exclusively whatever names of earlier schemes are taken,
    // short beside a name at the file system's limit, named when they fail.
    {"PlantedTemporaries", NO_LINKS, "t", RUN + "{D}/o", 0, "", WROTE, {P, "o=" + MAP, "o.~tmp->planted", "o.~tmp9="}},
    {"LongName", LINUX_ONLY("the ANSI file functions stop at 260 bytes of path"), "", RUN + "{D}/" + X, 0, "", "4 entries written to {D}/" + X + " (4 bytes)\n", {P, X + "=" + MAP}},
    {"TemporaryNamed", LINUX_ONLY("Wine lets its superuser write in any folder"), "x", "{U}" + RUN + "{D}/o", 1, "cannot write the temporary file '{D}/.~", "", {P}},
    // A write past the file-size limit fails with its reason; a stopped job leaves nothing.
    {"FileSizeLimit", LINUX_ONLY("Windows has no file-size limit"), "o", "ulimit -f 1; {T} -i 2073600 -o 2073600 {D}/p {D}/o", 1, "the file is too large; '{D}/o' is unchanged", "", {P, "o=old"}},
    {"Terminated", NO_SIGNALS, "f", "{T} {D}/f {D}/o" + STOP + "TERM $pid; wait $pid 2>/dev/null", 143, "", "", {P, "f|"}},
    {"Interrupted", NO_SIGNALS, "f", "env --default-signal=INT {T} {D}/f {D}/o" + STOP + "INT $pid; wait $pid", 130, "", "", {P, "f|"}},
    // Folders made for a failed job go again, only those; a folder name is refused first.
    {"FoldersOfAFailedJob", nullptr, "K", "{T} {D}/missing {D}/K/new/deeper/o", 1, "cannot open the pattern file", "", {P, "K/"}},
    {"FolderName", nullptr, "", RUN + "{D}/new/", 1, "cannot write the output file '{D}/new/'", "", {P}},
    // The pattern file is never its own output, by any name.
    {"PatternByName", nullptr, "", RUN + "{D}/p", 1, "the output file '{D}/p' is the pattern file", "", {P}},
    {"PatternByHardLink", nullptr, "h", RUN + "{D}/h", 1, "is the pattern file", "", {P, "h=3,1,4,2\n"}},
    {"PatternByLink", NO_LINKS, "l", RUN + "{D}/l", 1, "is the pattern file", "", {P, "l->p"}},
    {"EmptyName", nullptr, "", RUN + QUOTE + QUOTE, 2, "the output file name is empty", "", {P}},
    {"NegativeCount", nullptr, "", "{T} -i-5 {D}/p {D}/o", 2, "the input count must be a number from 1 to 2073600: '-5'", "", {P}},
};
// clang-format on

class TilemapOutput : public testing::TestWithParam<OutputCase> {};

TEST_P(TilemapOutput, Writes) {
    const OutputCase& c = GetParam();
    if (c.skip) GTEST_SKIP() << c.skip;
    std::string user;
#ifndef _WIN32
    if (geteuid() == 0 && c.command.find("{U}") != std::string::npos) {
        if (std::system("setpriv --version >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "the superuser needs setpriv to run this as another user";
        user = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    }
#endif
    TestDir dir;
    const std::string d = c.setUp[0] == 'L' ? DRIVE + LINKS_DIR : dir.path;
    WriteFile(d + "/p", "3,1,4,2\n");
    Prepare(d, c.setUp);
    auto fill = [&](std::string text) {
        for (auto [key, value] :
             {std::pair<std::string, std::string>{"{T}", EXE}, {"{D}", d}, {"{U}", user}})
            for (size_t at; (at = text.find(key)) != std::string::npos;)
                text.replace(at, key.size(), value);
        return text;
    };
    const auto [status, out, err] = Shell(fill(c.command));
    EXPECT_EQ(std::make_tuple(status, out), std::make_tuple(c.status, fill(c.out)));
    EXPECT_EQ(err.empty(), c.err.empty()) << err;
    EXPECT_NE(err.find(fill(c.err)), std::string::npos) << err;
    std::vector<std::string> after = c.after;
    std::sort(after.begin(), after.end());
    EXPECT_EQ(Entries(d), after);
    std::filesystem::permissions(d, std::filesystem::perms::all); // so that it can be removed
    if (c.setUp[0] == 'L') std::filesystem::remove(d + "/p");
    if (std::string(c.setUp).find('r') != std::string::npos)
        std::filesystem::permissions(d + "/o", std::filesystem::perms::all);
}

INSTANTIATE_TEST_SUITE_P(Cases, TilemapOutput, testing::ValuesIn(OUTPUT_CASES),
                         [](const testing::TestParamInfo<OutputCase>& i) { return i.param.name; });

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
