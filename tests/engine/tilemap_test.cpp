// Covers the job runner with real files:
// - forward and inverse maps, including numbers far too many or too large to
//   count out and the 64-bit extremes (all must finish at once), patterns in
//   every encoding; the output replaced, its folders made, a file that has
//   the temporary name by chance kept;
// - each failure reason, after which the output is as it was (or still
//   absent) and no temporary file is left, also when any allocation fails.
#include "engine/tilemap.h"
#include "engine/pattern.h"
#include "tests/textlib/testdir.h"
#include "textlib/file.h"
#include "textlib/mem.h"
#include <gtest/gtest.h>
#include <iterator>
#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

int32_t RunJob(const std::string& output, const std::string& pattern, int32_t inputs,
               int32_t outputs, int32_t method, TileMapReport* report = nullptr) {
    Pattern_ResetKeywords();
    TileMapJob job = TileMap_StartValues();
    job.inputCount = inputs;
    job.outputCount = outputs;
    job.method = method;
    return TileMap_RunEx("graphic.bin", output.c_str(), pattern.c_str(), &job, report);
}

// The bytes first, first + 1, ..., count of them.
std::string Seq(int first, int count) {
    std::string s;
    for (int i = 0; i < count; i++)
        s += static_cast<char>(first + i);
    return s;
}

// How many files the folder holds: one more than expected is a temporary file left over.
size_t Entries(const TestDir& dir) {
    std::filesystem::directory_iterator it(dir / "");
    return static_cast<size_t>(std::distance(begin(it), end(it)));
}

TEST(TileMap, Maps) {
    const int I = EFFECT_MAP_IMPORT, U = EFFECT_MAP_UNDO;
    const struct {
        std::string pattern;
        int32_t inputs, outputs, method, result;
        std::string map;
    } cases[] = {
        // The worked example, both ways.
        {"3,1,4,2\n", 4, 4, I, 4, "\3\1\4\2"},
        {"3,1,4,2\n", 4, 4, U, 4, "\2\4\1\3"},
        {"256,257,255\n", 300, 3, I, 3, std::string("\0\1\377", 3)},
        {"0(300),1\n", 2, 301, U, 301, std::string("\55\0", 2)}, // slot 301 is byte 45
        // Far too many numbers to count out, or far too large: the map
        // takes only what it can use.
        {"1~2147483647\n", 255, 188, I, 188, Seq(1, 188)},
        {"/REPEAT(0,2000000000,1)\n", 255, 5, I, 5, Seq(0, 5)},
        {"/REPEAT(0,2000000000,1)\n", 4, 5, U, 5, Seq(2, 4)},
        {"/LOOP(2147483647,1)\n{\n1\n}\n", 255, 3, I, 3, Seq(1, 3)},
        {"/LOOP(2147483647,1)\n{\n-2000000000~2000000000\n}\n", 3, 4, U, 4, Seq(2, 3)},
        {"-2147483648~2147483647\n", 3, 3, U, 3, std::string("\2\3\0", 3)},
        {"/LOOP(2147483647,2147483647)\n/REPEAT(2147483647,2147483647,2147483647)\n", 9, 4, I, 4,
         std::string(4, '\0')},
        // Pass p brings -2^31 * (1 + i) + p * (2^31 - 1) into 0..255 first at
        // p = 2^31 - 255 with i = p - 2, where it is 255.
        {"/LOOP(2147483647,2147483647)\n/REPEAT(-2147483648,2147483647,-2147483648)\n", 255, 1, U,
         1, std::string(254, '\0') + "\1"},
        // Passes 2..202 bring -2 + p to 0..200, passes from 10^9 + 1 on bring
        // -1000000001 + p there, the passes between deliver nothing: tile v
        // was last placed in slot 202 + v (v = 1..8) or else v + 1.
        {"/LOOP(2147483647,1)\n/REPEAT(-2000000000,3,999999999)\n", 200, 210, U, 210,
         Seq(203, 8) + Seq(10, 192)},
        // Every encoding reads alike: UTF-8 with a byte order mark and a Korean
        // word, the same in the ANSI code page, UTF-16 both ways round.
        {"\xEF\xBB\xBF$SET(LOOP,\xEB\xB0\x98\xEB\xB3\xB5)\n/\xEB\xB0\x98\xEB\xB3\xB5(2,3)\n1,2\n",
         10, 4, I, 4, "\1\2\4\5"},
        {"$SET(LOOP,\xB9\xDD\xBA\xB9)\r\n/\xB9\xDD\xBA\xB9(2,3)\r\n1,2\r\n", 10, 4, I, 4,
         "\1\2\4\5"},
        {std::string("\377\3763\0,\0001\0\r\0\n\0", 12), 4, 2, I, 2, "\3\1"},
        {std::string("\376\377\0003\0,\0001\0\r\0\n", 12), 4, 2, I, 2, "\3\1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        TestDir dir;
        WriteFile(dir / "p", c.pattern);
        WriteFile(dir / "o", "a much longer old file"); // replaced
        WriteFile(dir / "o.~tmp", "keep"); // has the first temporary name by chance: left alone
        TileMapReport report;
        EXPECT_EQ(RunJob(dir / "o", dir / "p", c.inputs, c.outputs, c.method, &report), c.result);
        EXPECT_EQ(report.failure, TILEMAP_OK);
        EXPECT_EQ(ReadFile(dir / "o"), c.map);
        EXPECT_EQ(ReadFile(dir / "o.~tmp"), "keep");
        EXPECT_EQ(Entries(dir), 3u);
    }
    TestDir dir; // folders are made for the output
    WriteFile(dir / "p", "1,2\n");
    EXPECT_EQ(RunJob(dir / "a/b/o", dir / "p", 9, 2, I), 2);
    EXPECT_EQ(ReadFile(dir / "a/b/o"), "\1\2");
}

TEST(TileMap, FailuresLeaveTheOutputAlone) {
    const int I = EFFECT_MAP_IMPORT, U = EFFECT_MAP_UNDO;
    const struct {
        const char* pattern; // null: no pattern file
        int32_t inputs, outputs, method;
        TileMapFailure failure; // TILEMAP_FAIL_OUTPUT: the output is a folder
    } cases[] = {
        {"1\n", 0, 5, I, TILEMAP_FAIL_COUNTS},
        {"1\n", 5, -1, I, TILEMAP_FAIL_COUNTS},
        {nullptr, 5, 5, I, TILEMAP_FAIL_PATTERN},
        {"", 5, 5, I, TILEMAP_FAIL_EMPTY},
        {"# 1,2\n/LOOP(2,1)\n", 5, 5, I, TILEMAP_FAIL_EMPTY},
        {"7,8,-1\n", 5, 5, U, TILEMAP_FAIL_EMPTY},
        {"1\n", 5, 5, I, TILEMAP_FAIL_OUTPUT},
        // The 64-bit extremes, where no number ever comes into range; -2^31 + 1 + p
        // stays below 0 up to the last pass, 2^31 - 2.
        {"/LOOP(2147483647,2147483647)\n/REPEAT(2147483647,2147483647,2147483647)\n", 255, 5, U,
         TILEMAP_FAIL_EMPTY},
        {"/LOOP(2147483647,-2147483648)\n/REPEAT(-2147483648,2147483647,-2147483648)\n", 255, 5, U,
         TILEMAP_FAIL_EMPTY},
        {"/LOOP(2147483647,1)\n/REPEAT(-2147483647)\n", 255, 5, U, TILEMAP_FAIL_EMPTY},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failure);
        TestDir dir;
        const bool folder = c.failure == TILEMAP_FAIL_OUTPUT;
        if (c.pattern) WriteFile(dir / "p", c.pattern);
        if (folder)
            std::filesystem::create_directories(dir / "o");
        else
            WriteFile(dir / "o", "old");
        TileMapReport report;
        EXPECT_EQ(RunJob(dir / "o", dir / "p", c.inputs, c.outputs, c.method, &report), 0);
        EXPECT_EQ(report.failure, c.failure);
        // The file layer's code: any for the output, else why the pattern did not open, or none.
        EXPECT_TRUE(folder || report.fileCode == (c.pattern ? FILE_OK : FILE_NOTFOUND))
            << report.fileCode;
        EXPECT_EQ(Entries(dir), c.pattern ? 2u : 1u);
        if (folder) continue;
        EXPECT_EQ(ReadFile(dir / "o"), "old");
        std::filesystem::remove(dir / "o"); // with no output file at all, none is made
        EXPECT_EQ(RunJob(dir / "o", dir / "p", c.inputs, c.outputs, c.method), 0);
        EXPECT_FALSE(std::filesystem::exists(dir / "o"));
    }
}

// Makes each allocation of a job fail in turn: the job either fails, leaving
// the old output and no temporary file, or succeeds with the right map.
TEST(TileMap, RunningOutOfMemoryLosesNoFile) {
    TestDir dir;
    std::string pattern;
    for (int i = 0; i < 300; i++)
        pattern += std::to_string(i % 9) + ",";
    WriteFile(dir / "p", pattern + "\n# rows\n/LOOP(3,4)\n{\n1~4\n/REPEAT(0,2,0)\n}\n");
    for (int32_t method : {EFFECT_MAP_IMPORT, EFFECT_MAP_UNDO}) {
        SCOPED_TRACE(method);
        const int32_t clean = RunJob(dir / "o", dir / "p", 9, 310, method);
        const std::string expected = ReadFile(dir / "o");
        ASSERT_GT(clean, 0);
        bool succeeded = false;
        for (int64_t nth = 1; nth < 400 && !succeeded; nth++) {
            SCOPED_TRACE(nth);
            WriteFile(dir / "o", "old");
            TileMapReport report;
            Mem_FailNth(nth);
            int32_t result = RunJob(dir / "o", dir / "p", 9, 310, method, &report);
            Mem_FailNth(0);
            succeeded = result != 0;
            EXPECT_EQ(result, succeeded ? clean : 0);
            EXPECT_EQ(ReadFile(dir / "o"), succeeded ? expected : "old");
            EXPECT_EQ(report.failure == TILEMAP_OK, succeeded);
            EXPECT_EQ(Entries(dir), 2u);
        }
        EXPECT_TRUE(succeeded);
    }
}

#ifndef _WIN32
// A file size limit makes the write of the map come up short.
TEST(TileMap, AShortWriteLosesNoFile) {
    TestDir dir;
    WriteFile(dir / "p", "1~5000\n");
    WriteFile(dir / "o", "old");
    rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit small = {1000, saved.rlim_max};
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    TileMapReport report;
    int32_t result = RunJob(dir / "o", dir / "p", 5000, 5000, EFFECT_MAP_IMPORT, &report);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(report.failure, TILEMAP_FAIL_WRITE);
    EXPECT_EQ(ReadFile(dir / "o"), "old");
    EXPECT_EQ(Entries(dir), 2u);
}
#endif

} // namespace
