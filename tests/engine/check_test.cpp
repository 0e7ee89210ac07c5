// Covers the pattern check: that it makes the job's map on random patterns in both methods (it
// reads through the same interpreter, line by line), and a table of patterns with the
// diagnostics and line numbers expected, each pattern read in every encoding.
#include "engine/check.h"
#include "engine/trace.h"
#include "tests/engine/pattern_oracle.h"
#include "tests/engine/pattern_gen.h"
#include "tests/support/testdir.h"
#include <gtest/gtest.h>
#include <sstream>

namespace {

TEST(Check, MakesTheJobsMapAndNamesItsLines) {
    TestDir dir;
    const std::string p = dir / "p", o = dir / "o";
    PatternOracle oracle(100000);
    for (uint64_t seed = 1; seed <= 150; seed++) {
        PatternGen gen(seed);
        const std::vector<std::string> lines = gen.Lines();
        std::string pattern;
        for (const std::string& line : lines)
            pattern += line;
        WriteFile(p, pattern);
        TileMapJob job = TileMap_StartValues();
        job.inputCount = static_cast<int32_t>(gen.In(1, 300));
        job.outputCount = static_cast<int32_t>(gen.In(1, 300));
        job.method = static_cast<int32_t>(seed % 2);
        Pattern_ResetKeywords();
        const int32_t taken = TileMap_Run("", o.c_str(), p.c_str(), &job);
        Pattern_ResetKeywords();
        CheckResult result;
        MapTrace trace;
        ASSERT_TRUE(MapTrace_Init(&trace, job.inputCount, job.outputCount, nullptr));
        ASSERT_GE(Check_Run(p.c_str(), &job, &result, &trace), 0);
        const std::string map(reinterpret_cast<char*>(result.map), TileMap_MapLength(&job));
        EXPECT_EQ(std::make_pair(result.taken, map),
                  std::make_pair(taken, taken ? ReadFile(o) : map))
            << "seed " << seed << "\n"
            << pattern;
        // The lines each entry came from, as the reference counts them out.
        std::vector<uint8_t> want;
        oracle.ResetKeywords();
        oracle.Run(lines, job.inputCount, job.outputCount, job.method, &want);
        std::vector<std::pair<int32_t, int32_t>> origins;
        for (int32_t k = 0; k < TileMap_MapLength(&job); k++) {
            TraceOrigin o = {0, 0};
            int32_t take;
            MapTrace_Origin(&trace, job.method == EFFECT_MAP_UNDO, k, &o, &take);
            origins.emplace_back(o.first, o.last);
        }
        if (!oracle.overBudget && taken) {
            EXPECT_EQ(origins, oracle.origins) << "seed " << seed << "\n" << pattern;
        }
        MapTrace_Free(&trace);
        Check_Free(&result);
    }
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
        {"1,2,3\n", 3, 3, 0, "| 3 0 0 0"},
        {"1,9,-1,0\n2 x,y2\n", 8, 8, 0, "1:1 1:1 2:3 | 2 6 6 0"},
        {"# a\n300,256~258\n", 300, 4, 0, "2:2 2:2 | 3 1 297 0"},
        {"/REPEAT(5\n/LOOP(2,1\n$SET(X,Y)\n$SET(LOOP,\"\")\n/NOPE(1)\n", 9, 2, 0, "1:4 2:4 3:7 4:7 5:5 | 0 2 9 0"},
        {"/REPEAT(1,x)\n/REPEAT(q)\n/REPEAT(1,2,3,4)\n/REPEAT(2,1)\n", 9, 9, 0, "1:6 2:6 3:6 | 4 5 6 1"},
        {"{\n}\n1\n/LOOP(3,1)\n{\n2\n", 9, 9, 0, "1:8 2:9 4:10 | 1 8 8 0"},
        {"/LOOP(3,4)\n1,2\n", 9, 9, 0, "2:1 | 5 4 4 0"},
        {"1~4\n\n# full\n5\n6\n", 4, 4, 0, "4:11 | 4 0 0 0"},
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
            std::ostringstream got;
            for (int32_t i = 0; i < r.count; i++)
                got << r.list[i].line << ":" << r.list[i].kind << " ";
            got << "| " << r.summary.filled << " " << r.summary.empty << " " << r.summary.unused
                << " " << r.summary.repeated;
            EXPECT_EQ(std::make_pair(got.str(), n), std::make_pair(std::string(expected), r.count))
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
    EXPECT_EQ(Check_Run((dir / "p").c_str(), &job, &r), CHECK_LISTED + 2);
    EXPECT_EQ(std::make_tuple(r.count, r.more, r.list[r.count - 1].kind),
              std::make_tuple(CHECK_LISTED + 1, 1, int32_t{CHECK_OPENLOOP}));
    Check_Free(&r);
    Pattern_ResetKeywords();
}

} // namespace
