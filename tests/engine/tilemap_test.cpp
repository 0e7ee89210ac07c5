// Covers the job runner with real files: maps both ways, also of numbers far too many or too
// large to count out and the 64-bit extremes (all must finish at once), other encodings, the
// output replaced, its folders made, a file with the temporary name by chance kept; failures,
// also of any allocation, leave the output and no temporary file (a short write: the command's
// test); lines and blocks of megabytes read in bounded memory; directive and setting lines
// of any length give the reference's map.
#include "engine/tilemap.h"
#include "engine/pattern.h"
#include "tests/engine/pattern_oracle.h"
#include "tests/support/testdir.h"
#include "textlib/mem.h"
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>

namespace {

const int I = EFFECT_MAP_IMPORT, U = EFFECT_MAP_UNDO;

// Runs the job with the pattern dir/p into dir/o (or output).
int32_t RunJob(const TestDir& dir, int32_t inputs, int32_t outputs, int32_t method,
               TileMapReport* report = nullptr, const std::string& output = "o") {
    Pattern_ResetKeywords();
    TileMapJob job = TileMap_StartValues();
    job.inputCount = inputs, job.outputCount = outputs, job.method = method;
    return TileMap_RunEx("graphic.bin", (dir / output).c_str(), (dir / "p").c_str(), &job, report);
}

std::string Seq(int first, int count) { // the bytes first, first + 1, ..., count of them
    std::string s;
    for (int i = 0; i < count; i++)
        s += static_cast<char>(first + i);
    return s;
}

std::string Big(std::string s) { // M and N become the largest and smallest 32-bit number
    for (size_t at; (at = s.find_first_of("MN")) != std::string::npos;)
        s.replace(at, 1, s[at] == 'M' ? "2147483647" : "-2147483648");
    return s;
}

// Lines -1, -7, -9, -15 ... from last to first, in runs of two: with a loop step of 2, each run
// brings tile 1 into the map on an earlier pass than every run before it.
std::string EachEarlier(int lines) {
    std::string s;
    for (int k = lines - 1; k >= 0; k--)
        s += std::to_string(-(4 * k + 1 + 2 * (k % 2))) + "\n";
    return s;
}

// The job's result, map (or the old output) and failure; it never holds more than 1 MB, also for
// megabytes in one line or one loop block.
TEST(TileMap, MapsFailuresAndBoundedMemory) {
    const struct {
        std::string pattern;
        int32_t inputs, outputs, method, result;
        std::string map; // of a result above 0
        TileMapFailure failure = TILEMAP_OK;
    } cases[] = {
        // clang-format off
        // The worked example, both ways; numbers out of range; slot 301 is byte 45.
        {"3,1,4,2\n", 4, 4, I, 4, "\3\1\4\2"}, {"3,1,4,2\n", 4, 4, U, 4, "\2\4\1\3"},
        {"256,257,255\n", 300, 3, I, 3, {"\0\1\377", 3}}, {Big("N~M\n"), 3, 3, U, 3, {"\2\3\0", 3}},
        {Big("1~M\n"), 255, 188, I, 188, Seq(1, 188)}, {"0(300),1\n", 2, 301, U, 301, {"\55\0", 2}},
        // Far too many numbers to count out, or far too large: the map takes what it can use.
        {"/REPEAT(0,2000000000,1)\n", 255, 5, I, 5, Seq(0, 5)},
        {"/REPEAT(0,2000000000,1)\n", 4, 5, U, 5, Seq(2, 4)},
        {Big("/LOOP(M,1)\n{\n1\n}\n"), 255, 3, I, 3, Seq(1, 3)},
        {Big("/LOOP(M,1)\n{\n-2000000000~2000000000\n}\n"), 3, 4, U, 4, Seq(2, 3)},
        {Big("/LOOP(M,M)\n/REPEAT(M,M,M)\n"), 9, 4, I, 4, std::string(4, 0)},
        // -2^31 (1 + i) + p (2^31 - 1) is first in 0..255 at p = 2^31 - 255, i = p - 2: 255.
        {Big("/LOOP(M,M)\n/REPEAT(N,M,N)\n"), 255, 1, U, 1, std::string(254, 0) + "\1"},
        // Passes 2..202 and from 10^9 + 1 on bring numbers into range: tiles 1..8 last at 203..
        {Big("/LOOP(M,1)\n/REPEAT(-2000000000,3,999999999)\n"), 200, 210, U, 210,
         Seq(203, 8) + Seq(10, 192)},
        {"\xEF\xBB\xBF$SET(LOOP,\xEB\xB0\x98\xEB\xB3\xB5)\n/\xEB\xB0\x98\xEB\xB3\xB5(2,3)\n1,2\n",
         10, 4, I, 4, "\1\2\4\5"}, {{"\376\377\0003\0,\0001\0\r\0\n", 12}, 4, 2, I, 2, "\3\1"},
        // Failures; the 64-bit extremes, where no number ever comes into range.
        {"1\n", 0, 5, I, 0, "", TILEMAP_FAIL_COUNTS}, {"1\n", 5, -1, I, 0, "", TILEMAP_FAIL_COUNTS},
        {"", 5, 5, I, 0, "", TILEMAP_FAIL_EMPTY}, {"7,8,-1\n", 5, 5, U, 0, "", TILEMAP_FAIL_EMPTY},
        {"# 1,2\n/LOOP(2,1)\n", 5, 5, I, 0, "", TILEMAP_FAIL_EMPTY},
        {Big("/LOOP(M,M)\n/REPEAT(M,M,M)\n"), 255, 5, U, 0, "", TILEMAP_FAIL_EMPTY},
        {Big("/LOOP(M,N)\n/REPEAT(N,M,N)\n"), 255, 5, U, 0, "", TILEMAP_FAIL_EMPTY},
        {Big("/LOOP(M,1)\n/REPEAT(-2147483647)\n"), 255, 5, U, 0, "", TILEMAP_FAIL_EMPTY},
        // Megabytes in one line or one loop block.
        {Repeat("1,5,", 1000000) + "\n2\n", 255, 3, I, 3, "\1\5\1"}, // the map fills in the line
        {Repeat("7,", 2000000) + "\n3\n", 5, 2, U, 1, {"\0\0\1\0\0", 5}}, // read to its end
        {"/LOOP(2,1)\n{\n" + Repeat("9,8\n", 1000000) + "}\n", 255, 5, I, 5, "\11\10\11\10\11"},
        {"/LOOP(2,1)\n{\n" + Repeat("90,8\n", 1000000) + "7\n}\n", 9, 3, U, 3, {"\0\0\0\0\0\0\0\3\0", 9}},
        {Repeat("0", 3000000) + "7 ~ 9,2\n", 255, 3, I, 3, "\7\10\11"}, // leading zeros
        {"/LOOP(2,1)\n{\n" + Repeat("90,300\n", 1000000) + "7\n}\n", 9, 3, U, 2, {"\0\0\0\0\0\0\1\2\0", 9}},
        {"/LOOP(2,20)\n{\n" + Repeat("-5,-7\n", 1000000) + "7\n}\n", 9, 3, U, 1, {"\0\0\0\0\0\0\1\0\0", 9}}, // stepped over
        {"5,1" + Repeat("0", 100000) + "~3" + Repeat("\t", 200000) + "\n", 255, 3, I, 3, {"\5\0\0", 3}},
        {Repeat("\t ", 1000000) + "#\n5\n", 255, 1, I, 1, "\5"}, // no comment: blanks come first
        {"# " + Repeat("1,", 1000000) + "\n6\n", 255, 1, I, 1, "\6"},
        {"/REPEAT(4)" + Repeat(" ", 3000000) + "\n", 255, 1, I, 1, "\4"},
        {"}" + Repeat("1,", 1000000) + "\n8\n", 255, 1, I, 1, "\10"},
        {"/LOOP(2,0)\n{\n" + Repeat("1\n0\n", 40000) + Repeat("2\n0\n", 40000) + "}\n", 9, 160000, I, 160000,
         Repeat({"\1\0", 2}, 40000) + Repeat({"\2\0", 2}, 40000)},
        // Blocks whose runs the map cannot all use: only the earliest are kept.
        {"/LOOP(2,0)\n{\n" + Repeat("1\n0\n", 20000) + "}\n", 9, 40000, U, 40000, {"\77\0\0\0\0\0\0\0\0", 9}},
        {"/LOOP(1000000000,2)\n{\n" + EachEarlier(1000000) + "}\n", 9, 2, U, 2, {"\1\0\2\0\0\0\0\0\0", 9}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern.substr(0, 40));
        TestDir dir;
        WriteFile(dir / "p", c.pattern);
        WriteFile(dir / "o", "old");
        WriteFile(dir / "o.~tmp", "keep"); // has the temporary name by chance: left alone
        TileMapReport report;
        Mem_FailNth(0);
        EXPECT_EQ(RunJob(dir, c.inputs, c.outputs, c.method, &report), c.result);
        EXPECT_LT(Mem_PeakBytes(), 1024u * 1024);
        EXPECT_EQ(report.failure, c.failure);
        EXPECT_EQ(ReadFile(dir / "o"), c.result ? c.map : "old");
        // p, o and o.~tmp: no temporary file left over
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 3);
    }
}

// Each allocation of a job failing in turn: the job fails, leaving the old output and no
// temporary file, or succeeds with the map.
TEST(TileMap, RunningOutOfMemoryLosesNoFile) {
    TestDir dir;
    std::string pattern = "\n# rows\n/LOOP(3,4)\n{\n1~4\n/REPEAT(0,2,0)\n}\n";
    for (int i = 0; i < 300; i++)
        pattern = std::to_string(i % 9) + "," + pattern;
    WriteFile(dir / "p", pattern);
    for (int32_t method : {I, U}) {
        const int32_t clean = RunJob(dir, 9, 310, method, nullptr, "new/o"); // folders made
        const std::string expected = ReadFile(dir / "new/o");
        int32_t result = 0;
        for (int64_t nth = 1; nth < 400 && result == 0; nth++) {
            WriteFile(dir / "o", "old");
            Mem_FailNth(nth);
            result = RunJob(dir, 9, 310, method);
            Mem_FailNth(0);
            EXPECT_EQ(ReadFile(dir / "o"), result ? expected : "old") << method << ", " << nth;
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 3)
                << method << ", allocation " << nth;
        }
        EXPECT_TRUE(result == clean && clean > 0) << result;
    }
}

// A directive or setting line made long by a filler repeated inside it, at lengths on both sides
// of the reader's 64 KiB block and of megabytes: the map is the reference's, read whole.
TEST(TileMap, LongDirectiveLinesGiveTheReferencesMap) {
    const struct {
        std::string head, filler, tail; // the pattern: head, filler n times, tail (ending in LF)
        int32_t method;
    } rows[] = {
        // clang-format off
        {"/REPEAT(5,", " ", "3)\n", I}, {"/REPEAT(", "0", "7,2)\n", I},
        {"/REPEAT(7,", "0", "2,1)\n", I}, {"/REPEAT(9)", " ", "\n1\n", I},
        {"/", " ", "REPEAT(4,2)\n", I}, {"/REPEAT", "\t", "(3)\n", U},
        {"/REPEAT(3,2)", "x", ")\n2\n", I}, {"/REPEAT(3,2)", "x", "y\n2\n", I},
        {"/REPEAT(1", "9", ",2)\n3\n", I}, {"/REPEAT(-", "9", ")\n3\n", U},
        {"/REPEAT(1,-", "9", ")\n7\n", I}, {"/REPEAT(1,2,3", ",", "4)\n", I},
        {"/REPEAT(", " ", ")\n", I}, {"/REPEAT(5,", " ", "2)\r\n4\n", I},
        {"/REPEAT(3", " ", ",2)\n", I}, {"/REPEAT( 5 ", " ", ",2)\n", I},
        {{"/REPEAT(3\0", 10}, " ", ",2)\n", I}, {"/((", "(", "REPEAT(4)\n", I},
        {"/REPEAT(", "(", "4,2)\n", I}, {"/REPEAT(4)", ")", "\n", I}, {"/REP", "x", "(4)\n5\n", I},
        {"/REPEAT(5,2,1)", "1,", "\n", I}, {"/REPEAT(+", "0", "3,-2)\n", I},
        {"/LOOP(2,", " ", "5)\n1\n", I}, {"/LOOP(", "0", "3,2)\n{\n1,2\n}\n", U},
        {"/LOOP(3,1,", "7", ")\n{\n1\n}\n", I}, {"$SET(REPEAT,", " ", "R)\n/R(6,2)\n", I},
        {"$SET(REPEAT,\"", "\"", "R\")\n/R(6,2)\n", I},
        {"$SET(LOOP,", "A", ")\n/AAAAAAAAAAAAAAAAAAAAAAA(2,1)\n1\n", I},
        {"$SET(LOOP,L", " ", "M)\n/L(2,1)\n1\n", I}, {"$SET(REPEAT,R)", "z", "\n/R(6)\n", I},
        {"$SET(", "(", "REPEAT,R)\n/R(6)\n", I}, {"$SET(REPEAT", ",", "R)\n/R(6)\n", I},
        {"$SET(REPEAT,R", {"\0", 1}, ")\n/R(6)\n", I}, {"$SET", " ", "(REPEAT,R)\n/R(6)\n", I},
        {"  /REPEAT(2,", "0", "3)  \n", I}, {"", " ", "\n7\n", I},
        // A step that is clamped brings -2^31 + 2 to tile 1; a word with text after its blanks.
        {"/LOOP(2,1", "0", ")\n-2147483646\n", I}, {"$SET(REPEAT,R)\n/R", " ", "x(5)\n3\n", I},
        // clang-format on
    };
    TestDir dir;
    for (const auto& row : rows)
        for (int n : {1, 65530, 70000, 3000000}) {
            const std::string text = row.head + Repeat(row.filler, n) + row.tail;
            SCOPED_TRACE(testing::PrintToString(row.head + "|" + row.filler + "|" + row.tail) +
                         " n " + std::to_string(n));
            std::vector<std::string> lines; // as the reader yields them
            std::istringstream in(text);
            for (std::string line; std::getline(in, line);)
                lines.push_back(line + "\n");
            std::vector<uint8_t> want;
            int64_t wanted;
            { // freed before the job, whose memory is measured
                PatternOracle oracle(100000);
                wanted = oracle.Run(lines, 9, 9, row.method, &want);
                ASSERT_FALSE(oracle.overBudget);
            }
            WriteFile(dir / "p", text);
            Mem_FailNth(0);
            const int32_t got = RunJob(dir, 9, 9, row.method);
            EXPECT_LT(Mem_PeakBytes(), 1024u * 1024);
            EXPECT_EQ(got, wanted);
            if (got > 0) {
                EXPECT_EQ(ReadFile(dir / "o"), std::string(want.begin(), want.end()));
            }
        }
    Pattern_ResetKeywords();
}

} // namespace
