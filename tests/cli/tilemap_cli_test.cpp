// Covers the tilemap command run as a process, in one table: option spellings and defaults (status
// 0, a line on stdout), usage errors (status 2, the error and a hint: counts too large, too small
// or negative), failed jobs (status 1, the reason and the file: a device as the pattern or standard
// input, a reserved device name as the output), and how the output is written: links, read-only
// files, devices and FIFOs, temporaries, signals, folders, the pattern as its own output, no other
// file appearing; then a pattern from a Korean-named file, standard input or a pipe, and a map to
// standard output.
#include "tests/support/command.h"
#include "tests/support/testdir.h"
#include "textlib/conv.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <set>
#include <tuple>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
const auto Native = [](const std::string& s) { return std::string(Conv_Utf8ToAnsi(s.c_str())); };
#else
const auto Native = [](const std::string& s) { return s; }; // names as the command line has them
#endif

// One row per case: the set-up (below) in a folder {D} that holds the pattern p, the command ({T}
// the program, {U} nothing or, for the superuser, a switch to another user), its status, a part of
// stderr, stdout, and afterwards every entry of the folder: "name=bytes" ("#mode" where not the
// default), "name/" a folder, "name|" a FIFO, "name->to" a link.
struct OutputCase {
    const char *name, *skip, *setUp; // skip: why this build lacks the case, or null
    std::string command;
    int status;
    std::string err, out;
    std::vector<std::string> after;
};

#ifdef _WIN32
#define LINUX_ONLY(why) why
#define WINDOWS_ONLY(why) nullptr
#define MODE(bits) ""
#define LINK(name, to) name "=" + MAP // Wine shows the file at the end
const std::string DEVICE = "{D}/Com1.map";
#else
#define LINUX_ONLY(why) nullptr
#define WINDOWS_ONLY(why) why
#define MODE(bits) bits
#define LINK(name, to) name "->" to
const std::string DEVICE = "/dev/null";
#endif

// Makes what the letters of setUp name in d: L the links folder's target, o an old output, m its
// mode 640, k a hard link keep to it, r it read-only in an open folder, e an empty pattern, h and l
// a hard and a symbolic link to p, t a link and a file of earlier temporary names, f a FIFO, x a
// closed folder, K a folder kept.
void Prepare(const std::string& d, const std::string& letters) {
    namespace fs = std::filesystem;
    for (char c : letters) {
        if (c == 'L' || c == 'o') WriteFile(d + (c == 'o' ? "/o" : "/target"), "old");
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

std::set<std::string> Entries(const std::string& folder) {
    std::set<std::string> found;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string name = e.path().lexically_relative(folder).generic_string();
        char mode[8] = ""; // where not the default
#ifndef _WIN32
        const unsigned bits = unsigned(e.symlink_status().permissions());
        if (bits != 0644) snprintf(mode, sizeof mode, "#%o", bits);
#endif
        found.insert(e.is_symlink()     ? name + "->" + read_symlink(e.path()).string()
                     : e.is_directory() ? name + "/"
                     : e.is_other()     ? name + "|"
                                        : name + "=" + ReadFile(e.path().string()) + mode);
    }
    return found;
}

const std::string MAP = "\3\1\4\2", P = "p=3,1,4,2\n", RUN = "{T} -o4 {D}/p ",
                  X = std::string(255, 'x'), WROTE = "4 entries written to {D}/o (4 bytes)\n";
// Waits (10 s at most) until the job has made its temporary, then stops it with a signal.
const std::string STOP = " & pid=$!; i=0; until ls -A {D} | grep -q 'tmp$' || [ $i -gt 999 ]; do "
                         "i=$((i+1)); sleep 0.01; done; kill -";

// clang-format off
const OutputCase OUTPUT_CASES[] = {
    // The defaults (255 inputs, 188 outputs, import), every spelling (the last counts); usage errors.
    {"Defaults", nullptr, "", "{T} {D}/p {D}/o", 0, "", "4 entries written to {D}/o (188 bytes)\n", {P, "o=" + MAP + std::string(184, 0)}},
    {"Spellings", nullptr, "", "{T} -i 9 {D}/p --inputs 4 -o 2 --outputs=4 {D}/o -mundo", 0, "", WROTE, {P, "o=\2\4\1\3"}},
    {"EndOfOptions", nullptr, "", "{T} -i4 -o3 --method import -- {D}/p {D}/o", 0, "", "3 entries written to {D}/o (3 bytes)\n", {P, "o=\3\1\4"}},
    {"NoOutputName", nullptr, "", "{T} {D}/p", 2, "the pattern file and the output file must be named", "", {P}}, {"ThirdName", nullptr, "", RUN + "{D}/o {D}/third", 2, "too many file names: '{D}/third'", "", {P}},
    {"ZeroCount", nullptr, "", "{T} -i 0 {D}/p {D}/o", 2, "too small for the input count (at least 1): '0'", "", {P}},
    {"NegativeCount", nullptr, "", "{T} -i-5 {D}/p {D}/o", 2, "the input count cannot be negative: '-5'", "", {P}},
    {"CountTooLarge", nullptr, "", "{T} -o 2073601 {D}/p {D}/o", 2, "too large for the output count (at most 2073600): '2073601'", "", {P}}, {"CountNotANumber", nullptr, "", "{T} -i1x {D}/p {D}/o", 2, "the input count must be a number from 1 to 2073600: '1x'", "", {P}},
    {"CountPast64Bits", nullptr, "", "{T} -o 18446744073709551620 {D}/p {D}/o", 2, "too large for the output count", "", {P}}, {"HexCount", nullptr, "", "{T} -o 0x4 {D}/p {D}/o", 2, "the output count must be a number", "", {P}},
    // A pattern must be a file or a pipe: a device is refused unread, standard input too, and the
    // output's temporary goes again; on Windows a reserved device name is no output but NUL.
    {"DevicePattern", nullptr, "", "{T} -o4 " + DEVICE + " {D}/o", 1, "cannot open the pattern file '" + DEVICE + "': a device, not a file or a pipe", "", {P}},
    {"EndlessPattern", nullptr, "o", "{T} -o4 " + ENDLESS + " {D}/o", 1, "cannot open the pattern file '" + ENDLESS + "': a device", "", {P, "o=old"}},
    {"DeviceStandardInput", nullptr, "", "{T} -o4 - {D}/o <" + NUL, 1, "cannot read standard input: a device, not a file or a pipe", "", {P}},
    {"DeviceOutput", WINDOWS_ONLY("a device is written straight"), "", RUN + "{D}/lpt1.bbl", 1, "cannot write the output file '{D}/lpt1.bbl': a device", "", {P}},
    {"StandardOutputToNull", nullptr, "", RUN + "- >" + NUL, 0, "4 entries written to - (4 bytes)", "", {P}},
    {"UnknownOption", nullptr, "", "{T} -x {D}/p", 2, "unknown option '-x'", "", {P}}, {"ValueMissing", nullptr, "", RUN + "{D}/o -o", 2, "a value is missing after '-o'", "", {P}},
    {"UnknownMethod", nullptr, "", "{T} -m sideways {D}/p {D}/o", 2, "the method must be import or undo, not 'sideways'", "", {P}}, {"EmptyName", nullptr, "", RUN + QUOTE + QUOTE, 2, "the output file name is empty", "", {P}},
    // An ordinary file is replaced in one step (its hard link keeps the old one) with its mode; the
    // folders made for a failed job go again, only those; a folder name is refused first.
    {"Created", nullptr, "", RUN + "{D}/o", 0, "", WROTE, {P, "o=" + MAP}},
    {"Replaced", nullptr, "omk", RUN + "{D}/o", 0, "", WROTE, {P, "o=" + MAP + MODE("#640"), "k=old" MODE("#640")}},
    {"FailedJob", nullptr, "eK", "{T} {D}/e {D}/K/new/deeper/o", 1, "no number in the pattern file '{D}/e'", "", {P, "e=", "K/"}},
    {"FolderName", nullptr, "", RUN + "{D}/new/", 1, "cannot write the output file '{D}/new/'", "", {P}},
    // Through every level of links (two -> one -> target) to the file at the end; the links stay.
    {"LinkChain", nullptr, "L", RUN + "{D}/two", 0, "", "4 entries written to {D}/two (4 bytes)\n", {P, LINK("one", "target"), "target=" + MAP, LINK("two", "one")}},
    {"ReadOnly", nullptr, "or", "{U}" + RUN + "{D}/o", 1, "cannot write the output file '{D}/o': access denied", "", {P, "o=old" MODE("#444")}}, {"ReadOnlyForTheSuperuserToo", nullptr, "or", RUN + "{D}/o", 1, "cannot write the output file '{D}/o': access denied", "", {P, "o=old" MODE("#444")}},
    // Devices, FIFOs and what stdout is are written straight, with no temporary.
    {"NullDevice", nullptr, "", "{U}" + RUN + NUL, 0, "", "4 entries written to " + NUL + " (4 bytes)\n", {P}},
    {"Fifo", LINUX_ONLY("a FIFO is a Unix file"), "f", "cat {D}/f >{D}/got & " + RUN + "{D}/f; s=$?; wait; exit $s", 0, "", "4 entries written to {D}/f (4 bytes)\n", {P, "f|", "got=" + MAP}},
    {"Stdout", LINUX_ONLY("CON needs a console, which Wine gives no test program"), "", RUN + "/dev/stdout | cat", 0, "entries written to /dev/stdout", MAP, {P}},
    {"ApplyFromFifo", LINUX_ONLY("a FIFO is a Unix file"), "f", "printf '\\2\\1' >{D}/f & {T} apply --tile-bytes 4 {D}/f {D}/p {D}/o", 0, "", "{D}/o written: 2 tiles of 4 bytes\n", {P, "f|", "o=4,2\n3,1,"}},
    // Temporaries: made exclusively whatever names of earlier schemes are taken, short beside a
    // new name at the file system's limit (which gets the default mode), named when they fail.
    {"PlantedTemporaries", LINUX_ONLY("Wine makes no links for Windows programs"), "t", RUN + "{D}/o", 0, "", WROTE, {P, "o=" + MAP, "o.~tmp->planted", "o.~tmp9="}},
    {"LongName", LINUX_ONLY("the ANSI file functions stop at 260 bytes of path"), "", RUN + "{D}/" + X, 0, "", "4 entries written to {D}/" + X + " (4 bytes)\n", {P, X + "=" + MAP}},
    {"TemporaryNamed", LINUX_ONLY("Wine lets its superuser write in any folder"), "x", "{U}" + RUN + "{D}/o", 1, "cannot write the temporary file '{D}/.~", "", {P}},
    // A write past the file-size limit fails with its reason; a stopped job leaves nothing.
    {"FileSizeLimit", LINUX_ONLY("Windows has no file-size limit"), "o", "ulimit -f 1; {T} -i 2073600 -o 2073600 {D}/p {D}/o", 1, "the file is too large; '{D}/o' is unchanged", "", {P, "o=old"}},
    {"Terminated", LINUX_ONLY("Wine gives a test program no console to stop a job from"), "f", "{T} {D}/f {D}/o" + STOP + "TERM $pid; wait $pid 2>/dev/null", 143, "", "", {P, "f|"}}, {"Interrupted", LINUX_ONLY("Wine gives a test program no console to stop a job from"), "f", "env --default-signal=INT {T} {D}/f {D}/o" + STOP + "INT $pid; wait $pid", 130, "", "", {P, "f|"}},
    // The pattern file is never its own output, by any name.
    {"PatternByName", nullptr, "", RUN + "{D}/p", 1, "the output file '{D}/p' is the pattern file", "", {P}}, {"PatternByHardLink", nullptr, "h", RUN + "{D}/h", 1, "is the pattern file", "", {P, "h=3,1,4,2\n"}},
    {"PatternByLink", LINUX_ONLY("Wine makes no links for Windows programs"), "l", RUN + "{D}/l", 1, "is the pattern file", "", {P, "l->p"}},
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
    umask(022); // the default mode: 644
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
    // stderr: nothing, or the reason in one line, or a usage error and the hint in two.
    EXPECT_NE(err.find(fill(c.err)), std::string::npos) << err;
    EXPECT_EQ(err.rfind("tilemap: ", 0) == 0, c.status == 1 || c.status == 2) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), c.err.empty() ? 0 : 1 + (c.status == 2))
        << err;
    EXPECT_EQ(c.status == 2, err.find("\nTry 'tilemap --help'") != std::string::npos);
    EXPECT_EQ(Entries(d), std::set<std::string>(c.after.begin(), c.after.end()));
    std::filesystem::permissions(d, std::filesystem::perms::all); // so that it can be removed
    if (c.setUp[0] == 'L') std::filesystem::remove(d + "/p");
    if (std::strchr(c.setUp, 'r'))
        std::filesystem::permissions(d + "/o", std::filesystem::perms::all);
}

INSTANTIATE_TEST_SUITE_P(Cases, TilemapOutput, testing::ValuesIn(OUTPUT_CASES),
                         [](const testing::TestParamInfo<OutputCase>& i) { return i.param.name; });

// The same pattern (larger than the reader's cache, with characters that its look-ahead meets
// across refills) through every road gives the same map; the files have Korean names.
TEST(TilemapCli, PatternFromAFileStandardInputOrAPipe) {
    TestDir dir;
    const std::string pn = Native(dir / "\xED\x8C\xA8\xED\x84\xB4 \xED\x8C\x8C\xEC\x9D\xBC.map"),
                      on = Native(dir / "\xEC\xB6\x9C\xEB\xA0\xA5 \xED\x8C\x8C\xEC\x9D\xBC.bbl");
    // Lines of Korean; a lone CR and the character after it stand across the end of the reader's
    // first 64 KiB, where it reads on past the CR and steps back.
    std::string text = "\xEF\xBB\xBF#", map;
    for (int i = 0; i < 21853; i++)
        text += i == 21843 ? "\r\xED\x83\x80" : "\xED\x83\x80";
    text += "\n";
    for (int i = 0; i < 20000; i++) { // Korean, three bytes a character
        text += "# \xED\x83\x80\xEC\x9D\xBC\r\n" + std::to_string(i % 251 + 1) + ", " +
                std::to_string(i % 7) + "\r\n";
        map += char(i % 251 + 1), map += char(i % 7);
    }
    auto Name = [&](std::string name) { // cmd takes '/' for a switch
        if (QUOTE == "\"") std::replace(name.begin(), name.end(), '/', '\\');
        return QUOTE + DRIVE + name + QUOTE;
    };
    const std::string p = Name(pn), out = Name(on), quiet = " >" + NUL + " 2>" + NUL,
                      job = EXE + " -o 40000 ";
    WriteFile(pn, text);
    for (const std::string& road :
         {job + p + " " + out + quiet, job + "- " + out + " < " + p + quiet,
          CAT + p + " | " + job + "- " + out + quiet, job + p + " - > " + out + " 2>" + NUL}) {
        WriteFile(on, "old");
        EXPECT_EQ(std::system((QUOTE == "\"" ? QUOTE + road + QUOTE : road).c_str()), 0) << road;
        EXPECT_TRUE(ReadFile(on) == map) << road;
    }
}

} // namespace
