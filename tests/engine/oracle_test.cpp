// Covers the engine against the literal reference (pattern_oracle.h) on
// thousands of random patterns from the grammar (pattern_gen.h), in both
// methods with random counts, several jobs in a row so that "$SET" words
// carry over: the map, the result and the keyword words must agree exactly.
// Set TILEMAP_SEED to replay a run; the seed is printed on failure.
#include "engine/pattern.h"
#include "engine/tilemap.h"
#include "tests/engine/pattern_gen.h"
#include "tests/engine/pattern_oracle.h"
#include "tests/textlib/testdir.h"
#include <gtest/gtest.h>
#include <cstdlib>
#include <random>

namespace {

struct MemoryLines {
    const std::vector<std::string>* lines;
    size_t next;
};

StrBuf* NextLine(StrBuf* line, void* context) {
    MemoryLines* source = static_cast<MemoryLines*>(context);
    if (source->next >= source->lines->size()) return nullptr;
    const std::string& text = (*source->lines)[source->next++];
    StrBuf_AssignStr(line, "");
    StrBuf_Insert(line, -1, text.data(), static_cast<uint32_t>(text.size()));
    return line;
}

std::string Show(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& l : lines)
        all += "  [" + l + "]\n";
    return all;
}

TEST(Oracle, EngineAgreesOnRandomPatterns) {
    const char* fixed = std::getenv("TILEMAP_SEED");
    const uint64_t seed = fixed ? std::strtoull(fixed, nullptr, 10) : std::random_device{}();
    SCOPED_TRACE("TILEMAP_SEED=" + std::to_string(seed));
    TestDir dir;
    PatternOracle oracle(100000);
    int compared = 0, skipped = 0;
    for (int n = 0; n < 5000; n++) {
        PatternGen gen(seed * 100003 + n);
        Pattern_ResetKeywords();
        oracle.ResetKeywords();
        int64_t jobs = gen.In(1, 3);
        for (int64_t j = 0; j < jobs; j++) {
            std::vector<std::string> lines = gen.Lines();
            TileMapJob job = TileMap_StartValues();
            job.inputCount = static_cast<int32_t>(gen.In(1, 40));
            job.outputCount = static_cast<int32_t>(gen.In(1, 60));
            job.method = static_cast<int32_t>(gen.In(0, 1));
            std::vector<uint8_t> want;
            int64_t wantResult =
                oracle.Run(lines, job.inputCount, job.outputCount, job.method, &want);
            if (oracle.overBudget) { // its answer and words mean nothing now
                skipped++;
                break;
            }
            std::vector<uint8_t> got(static_cast<size_t>(TileMap_MapLength(&job)), 0);
            int32_t gotResult;
            bool viaFile = n % 20 == 0; // now and then the whole job, files and all
            if (viaFile) {
                std::string text = "\xEF\xBB\xBF";
                for (const std::string& l : lines)
                    text += l;
                WriteFile(dir / "p", text);
                std::filesystem::remove(dir / "o");
                gotResult = TileMap_Run("", (dir / "o").c_str(), (dir / "p").c_str(), &job);
                std::string bytes = ReadFile(dir / "o");
                if (gotResult > 0) got.assign(bytes.begin(), bytes.end());
                if (gotResult == 0) {
                    EXPECT_FALSE(FileExists(dir / "o"));
                }
            } else {
                MemoryLines source = {&lines, 0};
                TileMapFailure failure;
                gotResult = TileMap_Fill(&job, NextLine, &source, got.data(), &failure);
                EXPECT_EQ(failure == TILEMAP_FAIL_EMPTY, gotResult == 0);
            }
            compared++;
            bool same = gotResult == wantResult && got == want &&
                        std::string(Pattern_Keywords()[0].text) == oracle.KeywordText(0) &&
                        std::string(Pattern_Keywords()[1].text) == oracle.KeywordText(1);
            if (!same) {
                ADD_FAILURE() << "case " << n << " job " << j << (viaFile ? " (file)" : "")
                              << ": inputs " << job.inputCount << ", outputs " << job.outputCount
                              << ", method " << job.method << "\n"
                              << Show(lines) << "result " << gotResult << ", expected "
                              << wantResult;
                Pattern_ResetKeywords();
                return;
            }
        }
    }
    Pattern_ResetKeywords();
    EXPECT_GT(compared, 5000);
    EXPECT_LT(skipped, compared / 20);
}

} // namespace
