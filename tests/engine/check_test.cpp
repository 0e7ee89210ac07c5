// Covers the pattern check: a table of patterns with the diagnostics and line numbers expected,
// each pattern read in every encoding; and the file's own line numbers whatever the reader makes
// of its bytes. On generated patterns it is compared with the reference in pattern_test.cpp.
#include "engine/check.h"
#include "tests/support/testdir.h"
#include <gtest/gtest.h>
#include <sstream>

namespace {

// The check's warnings as "line:kind ", in order.
std::string Listed(const CheckResult& r) {
    std::string s;
    for (int32_t i = 0; i < r.count; i++)
        s += std::to_string(r.list[i].line) + ":" + std::to_string(r.list[i].kind) + " ";
    return s;
}

// The text in an encoding with its byte-order mark (ASCII text only).
std::string Encode(const std::string& text, int encoding) {
    const std::string marks[] = {"", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF", {"\xFF\xFE\0\0", 4}};
    const size_t after[] = {0, 0, 1, 0, 3}; // zero bytes after each character (UTF-16BE: before)
    std::string out = marks[encoding];
    for (char c : text)
        out += std::string(encoding == 3, 0) + c + std::string(after[encoding], 0);
    return out;
}

TEST(Check, DiagnosticsAndLines) {
    // Pattern, inputs, outputs, method; each diagnostic's line:kind | filled empty unused repeated.
    const std::tuple<const char*, int32_t, int32_t, int32_t, const char*> cases[] = {
        // clang-format off
        {"1,2,3\n", 3, 3, 0, "| 3 0 0 0"}, {"1,9,-1,0\n2 x,y2\n", 8, 8, 0, "1:1 1:1 2:12 2:3 | 2 6 6 0"},
        {"# a\n300,256~258\n", 300, 4, 0, "2:2 2:2 | 3 1 297 0"},
        {"/REPEAT(5\n/LOOP(2,1\n$SET(X,Y)\n$SET(LOOP,\"\")\n/NOPE(1)\n", 9, 2, 0, "1:4 2:4 3:7 4:7 5:5 1:18 | 0 2 9 0"},
        {"/REPEAT(1,x)\n/REPEAT(q)\n/REPEAT(1,2,3,4)\n/REPEAT(2,1)\n", 9, 9, 0, "1:6 2:6 3:6 | 4 5 6 1"},
        {"{\n}\n1\n/LOOP(3,1)\n{\n2\n", 9, 9, 0, "1:8 2:9 4:10 | 1 8 8 0"},
        {"/LOOP(3,4)\n1,2\n", 9, 9, 0, "2:1 | 5 4 4 0"}, {"1~4\n\n# full\n5\n6\n", 4, 4, 0, "4:11 | 4 0 0 0"},
        {"4,9,1\n", 4, 4, 1, "1:1 | 2 2 2 0"},
        // clang-format on
    };
    TestDir dir;
    for (const auto& [pattern, inputs, outputs, method, expected] : cases)
        for (int encoding = 0; encoding < 5; encoding++) {
            WriteFile(dir / "p", Encode(pattern, encoding));
            TileMapJob job = TileMap_StartValues();
            job.inputCount = inputs, job.outputCount = outputs, job.method = method;
            Pattern_ResetKeywords();
            CheckResult r;
            const int32_t n = Check_Run((dir / "p").c_str(), &job, &r);
            const std::string got = Listed(r) + "| " + std::to_string(r.summary.filled) + " " +
                                    std::to_string(r.summary.empty) + " " +
                                    std::to_string(r.summary.unused) + " " +
                                    std::to_string(r.summary.repeated);
            EXPECT_EQ(std::make_pair(got, n), std::make_pair(std::string(expected), r.count))
                << pattern << " encoding " << encoding;
            Check_Free(&r);
        }
    // Past the listed limit warnings are counted, and those of the file's end still listed.
    std::string bad = "/LOOP(2,1)\n{\n";
    for (int32_t i = 0; i < CHECK_LISTED + 1; i++)
        bad += "x\n";
    WriteFile(dir / "p", bad);
    TileMapJob job = TileMap_StartValues();
    CheckResult r;
    EXPECT_EQ(Check_Run((dir / "p").c_str(), &job, &r), CHECK_LISTED + 3);
    EXPECT_EQ(std::make_tuple(r.count, r.more, r.list[r.count - 2].kind, r.list[r.count - 1].kind),
              std::make_tuple(CHECK_LISTED + 2, 1, int32_t{CHECK_OPENLOOP}, int32_t{CHECK_EMPTY}));
    Check_Free(&r);
    Pattern_ResetKeywords();
}

// Bytes the reader makes other lines of, or no text: each "line:kind" expected is among the
// warnings (the file's own line numbers), and the map is the job's.
TEST(Check, TheFilesOwnLines) {
    const std::pair<std::string, const char*> cases[] = {
        // clang-format off
        {{"1\0,\0" "2\0\n\0x\0", 10}, "1:16 1:15 2:15"}, // UTF-16LE without its mark
        {{"\0" "1\0,\0" "2\0\n", 8}, "1:16 1:15"}, {{"1\0\0\0,\0\0\0", 8}, "1:16 1:15"},
        {"1,2\xB0\n3\n/NOPE(1)\n", "1:17 3:5"}, // a lead byte takes the line break
        {"1\xB0\n\xB0\n\xB0\n2\n/NOPE(1)\n{ 3\n", "1:17 2:17 3:17 5:5 6:12 6:8"},
        {"1,\xB0\r\n/NOPE(1)\n", "2:5"}, {"1\xB0\rx\r/NOPE(1)\n", "1:17 3:5"},
        {"1,x\r\n2,y\r\n", "1:3 2:3"}, {"x\r2,y\n", "1:3 2:3"}, {"\xEF\xBB\xBF" "1,\xEB\xB0\x98\n/NOPE(1)\n", "1:3 2:5"},
        {{"1\0,2\n3,x\n", 9}, "1:15 2:3"}, {"", "1:18"}, {"# 1\n", "1:18"}, {"0(0)\n", "1:18"},
        {std::string(70000, ' ') + "\n" + std::string(70000, '\t') + "x\n/LOOP(0,1)\n", "2:3 3:14"},
        {"/REPEAT(5," + std::string(70000, ' ') + "x)\n" + std::string(70000, '1') + "y\n", "1:6 2:12"},
        // clang-format on
    };
    TestDir dir;
    TileMapJob job = TileMap_StartValues();
    job.inputCount = 9, job.outputCount = 9;
    for (const auto& [bytes, expected] : cases) {
        SCOPED_TRACE(testing::PrintToString(bytes.substr(0, 40)));
        WriteFile(dir / "p", bytes);
        TileMapJob copy = job; // the job's result, then the check's
        Pattern_ResetKeywords();
        const int32_t taken = TileMap_Run("", (dir / "o").c_str(), (dir / "p").c_str(), &copy);
        Pattern_ResetKeywords();
        CheckResult r;
        ASSERT_GE(Check_Run((dir / "p").c_str(), &job, &r), 0);
        const std::string all = " " + Listed(r);
        std::istringstream want(expected);
        for (std::string item; want >> item;)
            EXPECT_NE(all.find(" " + item + " "), std::string::npos) << item << " not among" << all;
        EXPECT_EQ(r.taken, taken);
        Check_Free(&r);
    }
    Pattern_ResetKeywords();
}

} // namespace
