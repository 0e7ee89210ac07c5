// Fuzz target: the engine against the literal reference on patterns made
// from the fuzzer's bytes, either taken as text or used to seed the grammar
// generator. Aborts when map or result differ; patterns too large for the
// reference still run through the engine, which must neither crash nor hang.
// Half the inputs go through TileMap_FillText instead, as one text in blocks
// of 1 to 16 bytes with lines held whole up to a few bytes, so that nearly
// every line is read as a line too long to hold.
#include "fuzz/fuzz_job.h"
#include "engine/pattern.h"
#include "engine/tilemap.h"
#include "tests/engine/pattern_gen.h"
#include "tests/engine/pattern_oracle.h"
#include <cstdio>
#include <algorithm>
#include <cstdlib>

namespace {

struct MemoryLines {
    const std::vector<std::string>* lines;
    size_t next;
};

struct MemoryText {
    std::string text;
    size_t next;
    uint8_t block;
};

uint32_t NextText(char* out, uint32_t room, void* context) {
    MemoryText* source = static_cast<MemoryText*>(context);
    size_t n = std::min<size_t>(room, source->text.size() - source->next);
    n = std::min<size_t>(n, source->block % 16 + 1);
    source->text.copy(out, n, source->next);
    source->next += n;
    source->block = static_cast<uint8_t>(source->block * 5 + 3);
    return static_cast<uint32_t>(n);
}

StrBuf* NextLine(StrBuf* line, void* context) {
    MemoryLines* source = static_cast<MemoryLines*>(context);
    if (source->next >= source->lines->size()) return nullptr;
    const std::string& text = (*source->lines)[source->next++];
    StrBuf_AssignStr(line, "");
    StrBuf_Insert(line, -1, text.data(), static_cast<uint32_t>(text.size()));
    return line;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    TileMapJob job = Fuzz_Job(data);
    std::vector<std::string> lines;
    if (data[3] & 2) { // the bytes seed the grammar
        uint64_t seed = 1469598103934665603u;
        for (size_t i = 4; i < size; i++)
            seed = (seed ^ data[i]) * 1099511628211u;
        PatternGen gen(seed);
        lines = seed % 4 == 3 ? gen.LoopBlock() : gen.Lines();
    } else { // the bytes are the text
        std::string line;
        for (size_t i = 4; i < size; i++) {
            line += static_cast<char>(data[i]);
            if (data[i] == '\n') {
                lines.push_back(line);
                line.clear();
            }
        }
        if (!line.empty()) lines.push_back(line);
    }

    static PatternOracle oracle(50000);
    oracle.ResetKeywords();
    Pattern_ResetKeywords();
    std::vector<uint8_t> want;
    int64_t wantResult = oracle.Run(lines, job.inputCount, job.outputCount, job.method, &want);

    std::vector<uint8_t> got(static_cast<size_t>(TileMap_MapLength(&job)), 0);
    MemoryLines source = {&lines, 0};
    TileMapFailure failure;
    int32_t gotResult;
    if (data[3] & 4) {
        MemoryText text = {"", 0, data[1]};
        const int32_t hold = data[2] % 8 + 1;
        for (const std::string& line : lines) {
            text.text += line;
            if (text.text.back() == '\r') text.text.back() = '\n'; // as the reader hands it out
            if (text.text.back() != '\n' && &line != &lines.back()) text.text += '\n';
        }
        gotResult = TileMap_FillText(&job, NextText, &text, hold, got.data(), &failure);
    } else {
        gotResult = TileMap_Fill(&job, NextLine, &source, got.data(), &failure);
    }
    if (failure == TILEMAP_FAIL_NOMEM) abort();
    if (!oracle.overBudget && (gotResult != wantResult || got != want)) {
        fprintf(stderr, "engine %d, reference %lld\n", gotResult,
                static_cast<long long>(wantResult));
        abort();
    }
    return 0;
}
