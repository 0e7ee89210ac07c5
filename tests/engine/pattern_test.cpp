// Covers the pattern language, the map filler and the run arithmetic: a loop's next pass with a
// number in a window against counting; worked examples and edge cases of lists, directives, braces
// and settings; the engine against the literal reference (pattern_oracle.h) on thousands of random
// patterns (pattern_gen.h), some with lines the job passes over mixed in, in several jobs in a row,
// where map, result and keywords must agree; and the pattern check on the first job of each, which
// must make the job's map, name the lines each entry came from and warn wherever the job passes
// text over or fails, as the reference finds them.
#include "engine/check.h"
#include "engine/pattern.h"
#include "engine/runs.h"
#include "engine/tilemap.h"
#include "engine/trace.h"
#include "tests/engine/pattern_gen.h"
#include "tests/engine/pattern_oracle.h"
#include "tests/support/testdir.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <random>
#include <sstream>

namespace {

TEST(Runs, NextPassAgreesWithCounting) {
    const uint32_t seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937_64 rng(seed);
    auto in = [&](int64_t lo, int64_t hi) { return lo + int64_t(rng() % uint64_t(hi - lo + 1)); };
    for (int round = 0; round < 30000; round++) {
        bool wide = round % 3 == 0; // sparse runs with big steps, many passes
        int64_t span = wide ? 2000000 : 60, stepSpan = wide ? 100000 : 20;
        NumberRun run = {in(-span, span), in(1, wide ? 50 : 8), in(-stepSpan, stepSpan)};
        int64_t t = wide ? in(-10000, 10000) : in(-15, 15), lo = in(-2, 4), hi = lo + in(0, 11);
        int64_t passes = in(0, wide ? 4999 : 39), from = in(0, 11), expected = -1, i0, i1;
        for (int64_t p = from; p < passes && expected < 0; p++)
            if (Run_Clip(&run, p * t, lo, hi, &i0, &i1)) expected = p;
        ASSERT_EQ(Run_NextPass(&run, t, lo, hi, from, passes), expected)
            << run.start << "," << run.count << "," << run.step << " t " << t << " " << lo << ".."
            << hi << " " << from << "/" << passes;
    }
}

// Runs lines as one job into *map; returns the result. Without rng through TileMap_Fill; with it
// through TileMap_FillText on text, the lines as the reader hands them out, in blocks of 1 to 40
// bytes, held whole up to a few bytes (so nearly every line is read as too long).
int32_t Fill(const std::vector<std::string>& lines, const TileMapJob& job,
             std::vector<uint8_t>* map, std::mt19937* rng = nullptr, const std::string& text = "") {
    map->assign(static_cast<size_t>(TileMap_MapLength(&job)), 0);
    TileMapFailure failure;
    int32_t result;
    if (!rng) {
        std::pair<const std::vector<std::string>*, size_t> source = {&lines, 0}; // and the next
        TileMapLineSource next = [](StrBuf* line, void* context) -> StrBuf* {
            auto* s = static_cast<decltype(source)*>(context);
            if (s->second >= s->first->size()) return nullptr;
            const std::string& text = (*s->first)[s->second++];
            return StrBuf_Insert(StrBuf_AssignStr(line, ""), -1, text.data(),
                                 uint32_t(text.size()));
        };
        result = TileMap_Fill(&job, next, &source, map->data(), &failure);
    } else {
        std::pair<std::string, size_t> source = {text, 0}; // and where the next block starts
        const int32_t hold = int32_t((*rng)() % 12 + 1);
        TileMapTextSource next = [](char* out, uint32_t room, void* context) -> uint32_t {
            auto* t = static_cast<decltype(source)*>(context);
            const size_t n = std::min<size_t>(
                {room, t->first.size() - t->second, (t->second * 13 + 5) % 40 + 1});
            t->first.copy(out, n, t->second);
            t->second += n;
            return uint32_t(n);
        };
        result = TileMap_FillText(&job, next, &source, hold, map->data(), &failure);
    }
    EXPECT_EQ(failure == TILEMAP_FAIL_EMPTY, result == 0); // and never out of memory
    return result;
}

// The numbers that lines (separated by '|') deliver, as a forward map shows them (else 0).
TEST(Pattern, Lines) {
    const std::pair<const char*, std::vector<int64_t>> cases[] = {
        // clang-format off
        // The worked examples; list items.
        {"1,2,3|5~8|0(2)", {1, 2, 3, 5, 6, 7, 8, 0, 0}}, {"9~6", {9, 8, 7, 6}}, {"  # 1,2", {2}}, {"/LOOP(4,1)||7", {7}},
        {"/LOOP(3,16)|{|1~4|}", {1, 2, 3, 4, 17, 18, 19, 20, 33, 34, 35, 36}}, {"7(0),7(-1),7(3)", {7, 7, 7}},
        {"/LOOP(2,8)|1,0,3", {1, 0, 3, 9, 0, 11}}, {"/LOOP(2,3)|-1,0,1", {0, 0, 1, 2, 0, 4}}, {"1 2, 1 ~ 3", {12, 1, 2, 3}},
        {"/LOOP(2,10)|{|/REPEAT(1,2,1)|{|5|}|}", {1, 2, 5, 11, 12, 15}}, {"5~5,3~1,-2~1", {5, 3, 2, 1, 0, 0, 0, 1}},
        // Directives (inside a loop: start, count, step; the comma must follow the number), braces;
        // settings (the loop row is searched first).
        {"/loop(2,1)|5|/ LOOP (2,1)|6", {5, 6, 6, 7}}, {"/LOOP(0,5)|{|1,2|}|9", {9}}, {"/LOOP( 3 , 5)|1", {1, 1, 1}},
        {"/REPEAT(5)|/REPEAT(5,3)|/REPEAT(1,4,2)", {5, 5, 5, 5, 1, 3, 5, 7}}, {"/REPEAT()|/REPEAT(3,0)|/REPEAT(3,-1)", {0}},
        {"/REPEAT(1,2,1) trailing)|/UNKNOWN(1)|/(1)|/REPEAT", {1, 2}}, {"/LOOP(2,1)|/LOOP(5,3)|1", {5, 5, 5, 1, 6, 6, 6, 2}}, {"}|5|{|6", {5, 6}}, {"/LOOP(2,100)|{|{|1|}|2|}", {1, 2, 101, 102}}, {"00000000007,-000000000003", {7, 0}}, // over ten digits
        {"$SET(REPEAT,R)|/R(1,4,1)|/REPEAT(1,4,1)", {1, 2, 3, 4}}, {"$set(repeat, \"R\")|/r(7)", {7}}, {"$SET(REPEAT,LOOP)|/LOOP(2,1)|1", {1, 2}},
        {"$SET (LOOP,X)|$SET( LOOP,X)|$SET(LOOP X)|/X(2,1)|5", {5}}, {"$SET(LOOP,)|$SET(LOOP,\" \" \")|$SET(LOOP,X|/LOOP(2,1)|5", {5, 6}},
        {"$SET(LOOP,ABCDEFGHIJKLMNOPQRSTUVWXYZ)|/abcdefghijklmnopqrstuvw(2,1)|5", {5, 6}},
        // clang-format on
    };
    TileMapJob job = TileMap_StartValues();
    job.inputCount = 255, job.outputCount = 1000;
    for (const auto& [text, numbers] : cases) {
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line, '|');)
            lines.push_back(line + "\n");
        Pattern_ResetKeywords();
        std::vector<uint8_t> map;
        map.resize(size_t(Fill(lines, job, &map)));
        EXPECT_EQ(std::vector<int64_t>(map.begin(), map.end()), numbers) << text;
    }
}

// Lines the job passes over, mixed into a quarter of the generated patterns.
// clang-format off
const std::string HOSTILE[] = {
    "{ 1,2", "} 3", "/LOOP(0,5)", "/LOOP(-1,2)", "/REPEAT(0x10)", "/REPEAT(5) 7)", "/LOOP(2,1,5)",
    "/REPEAT(5 3)", "$SET(LOOP,ABCDEFGHIJKLMNOPQRSTUVWXYZ)", "12abc,3", "0x1F", {"4\0,5", 4},
    "/REPEAT(1,2,)", "$SET(REPEAT,R) x)", "7(2)x", "", "# 1"};
// clang-format on

// The check of the pattern file makes the job's map (of result wanted) and, as the reference
// found, names the lines each entry came from and warns on every line the job passes over.
void ExpectCheckAgrees(const std::string& file, const TileMapJob& job, const PatternOracle& oracle,
                       const std::vector<uint8_t>& want, int64_t wanted) {
    CheckResult r;
    MapTrace trace;
    ASSERT_TRUE(MapTrace_Init(&trace, job.inputCount, job.outputCount, nullptr));
    Pattern_ResetKeywords();
    ASSERT_GE(Check_Run(file.c_str(), &job, &r, &trace), 0);
    Pattern_ResetKeywords(); // for the job, which starts where the check did
    std::vector<std::pair<int32_t, int32_t>> origins;
    for (int32_t k = 0; k < TileMap_MapLength(&job); k++) {
        TraceOrigin o = {0, 0};
        int32_t take;
        MapTrace_Origin(&trace, job.method == EFFECT_MAP_UNDO, k, &o, &take);
        origins.emplace_back(o.first, o.last);
    }
    std::set<int32_t> missed = oracle.passedOver; // lines passed over without a warning
    for (int32_t i = 0; i < r.count; i++)
        missed.erase(r.list[i].line);
    EXPECT_EQ(std::make_pair(r.taken, missed),
              std::make_pair(int32_t(wanted), std::set<int32_t>{}));
    if (wanted > 0) {
        EXPECT_EQ(std::make_pair(std::vector<uint8_t>(r.map, r.map + want.size()), origins),
                  std::make_pair(want, oracle.origins));
    }
    MapTrace_Free(&trace);
    Check_Free(&r);
}

TEST(Pattern, AgreesWithTheReferenceOnRandomPatterns) {
    const char* fixed = std::getenv("TILEMAP_SEED");
    const uint64_t seed = fixed ? std::strtoull(fixed, nullptr, 10) : std::random_device{}();
    SCOPED_TRACE("TILEMAP_SEED=" + std::to_string(seed));
    PatternOracle oracle(100000);
    std::mt19937 rng(static_cast<uint32_t>(seed));
    TestDir dir;
    int compared = 0, skipped = 0, passedOver = 0;
    for (int n = 0; n < 5000; n++) {
        PatternGen gen(seed * 100003 + n);
        Pattern_ResetKeywords();
        oracle.ResetKeywords();
        for (int64_t j = 0, jobs = gen.In(1, 3); j < jobs; j++) {
            std::vector<std::string> lines = n % 4 == 3 ? gen.LoopBlock() : gen.Lines();
            for (int64_t i = 0, k = n % 4 == 1 ? gen.In(1, 3) : 0; i < k; i++)
                lines.insert(lines.begin() + gen.In(0, int64_t(lines.size())),
                             gen.Pick(HOSTILE) + "\n");
            std::string text; // the lines as a file holds them, a lone CR at the end as LF
            for (std::string& line : lines) {
                if (line.back() != '\n' && &line != &lines.back()) line += '\n';
                text += line;
            }
            if (!text.empty() && text.back() == '\r') text.back() = '\n';
            TileMapJob job = TileMap_StartValues();
            job.inputCount = int32_t(gen.In(1, 40)),
            job.outputCount = int32_t(gen.In(1, n % 4 == 3 ? 12 : 60)),
            job.method = int32_t(gen.In(0, 1));
            std::vector<uint8_t> want, got;
            int64_t wanted = oracle.Run(lines, job.inputCount, job.outputCount, job.method, &want);
            skipped += oracle.overBudget; // its answer and words mean nothing then
            if (oracle.overBudget) break;
            if (j == 0) {
                WriteFile(dir / "p", text);
                ExpectCheckAgrees(dir / "p", job, oracle, want, wanted);
                ASSERT_FALSE(HasFailure()) << "case " << n << ": " << testing::PrintToString(lines);
                passedOver += int(oracle.passedOver.size());
            }
            int32_t gotResult = Fill(lines, job, &got, n % 2 ? &rng : nullptr, text);
            compared++;
            ASSERT_TRUE(gotResult == wanted && got == want &&
                        Pattern_Keywords()[0].text == oracle.KeywordText(0) &&
                        Pattern_Keywords()[1].text == oracle.KeywordText(1))
                << "case " << n << " job " << j << ": " << gotResult << " for " << wanted
                << testing::PrintToString(lines);
        }
    }
    EXPECT_GT(compared, 5000);
    EXPECT_LT(skipped, compared / 20);
    EXPECT_GT(passedOver, 10000);
}

} // namespace
