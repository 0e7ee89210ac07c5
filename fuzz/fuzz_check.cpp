// Fuzz target: the pattern check against the job on patterns made from the
// fuzzer's bytes, either taken as the file's bytes (any encoding, NUL bytes,
// lead bytes before line breaks) or used to seed the grammar generator with
// lines the job passes over mixed in. Aborts when the check fails to read
// what the job reads, makes another map, says nothing of a job that fails,
// or has no warning on a line where the reference finds text passed over.
#include "fuzz/fuzz_job.h"
#include "engine/check.h"
#include "engine/pattern.h"
#include "textlib/textstream.h"
#include "tests/engine/pattern_gen.h"
#include "tests/engine/pattern_oracle.h"
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <unistd.h>

namespace {

const std::string& Scratch(const char* what) {
    static std::string names[2] = {"/tmp/fuzz_check." + std::to_string(getpid()) + ".p",
                                   "/tmp/fuzz_check." + std::to_string(getpid()) + ".o"};
    return names[what[0] == 'o'];
}

[[noreturn]] void Crash(const char* why, const std::string& pattern) {
    fprintf(stderr, "fuzz_check: %s\n%s\n", why, pattern.substr(0, 400).c_str());
    abort();
}

// The lines as the job's reader yields them, and whether it hid a line break.
std::vector<std::string> ReaderLines(const std::string& name, bool* hidden) {
    std::vector<std::string> lines;
    TextStream* s = nullptr;
    if (TextStream_Open(name.c_str(), FILE_READ, &s) != FILE_OK) abort();
    StrBuf* line = StrBuf_New();
    while (TextStream_ReadLine(line, s))
        lines.emplace_back(line->data, static_cast<size_t>(line->length));
    *hidden = s->hiddenBreaks > 0;
    StrBuf_Free(line);
    TextStream_Close(s);
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    TileMapJob job = Fuzz_Job(data);
    std::string pattern;
    if (data[3] & 2) { // the bytes seed the grammar
        static const char* const hostile[] = {"{ 1,2",
                                              "} 3",
                                              "/LOOP(0,5)",
                                              "/REPEAT(0x10)",
                                              "/REPEAT(5) 7)",
                                              "/LOOP(2,1,5)",
                                              "/REPEAT(5 3)",
                                              "$SET(LOOP,ABCDEFGHIJKLMNOPQRSTUVWXYZ)",
                                              "12abc",
                                              "7(2)x",
                                              "# 1"};
        uint64_t seed = 1469598103934665603u;
        for (size_t i = 4; i < size; i++)
            seed = (seed ^ data[i]) * 1099511628211u;
        PatternGen gen(seed);
        std::vector<std::string> lines = gen.Lines();
        for (int64_t i = 0, n = gen.In(0, 3); i < n; i++)
            lines.insert(lines.begin() + gen.In(0, static_cast<int64_t>(lines.size())),
                         std::string(gen.Pick(hostile)) + "\n");
        for (std::string& line : lines)
            pattern += line.back() == '\n' || &line == &lines.back() ? line : line + "\n";
    } else { // the bytes are the file
        pattern.assign(reinterpret_cast<const char*>(data) + 4, size - 4);
    }
    {
        std::ofstream out(Scratch("p"), std::ios::binary | std::ios::trunc);
        out << pattern;
    }
    Pattern_ResetKeywords();
    const int32_t taken = TileMap_Run("", Scratch("o").c_str(), Scratch("p").c_str(), &job);
    std::string map;
    if (taken > 0) {
        std::ifstream in(Scratch("o"), std::ios::binary);
        map.assign(std::istreambuf_iterator<char>(in), {});
    }
    Pattern_ResetKeywords();
    CheckResult result;
    if (Check_Run(Scratch("p").c_str(), &job, &result) < 0)
        Crash("the check could not read", pattern);
    std::set<int32_t> warned;
    bool empty = false;
    for (int32_t i = 0; i < result.count; i++) {
        warned.insert(result.list[i].line);
        empty = empty || result.list[i].kind == CHECK_EMPTY;
    }
    if (result.taken != taken) Crash("the check took other numbers than the job", pattern);
    if (taken > 0 && map != std::string(reinterpret_cast<char*>(result.map), map.size()))
        Crash("the check made another map", pattern);
    if (taken == 0 && !empty) Crash("the job fails and the check says nothing of it", pattern);

    bool hidden = false;
    const std::vector<std::string> lines = ReaderLines(Scratch("p"), &hidden);
    static PatternOracle oracle(50000);
    oracle.ResetKeywords();
    std::vector<uint8_t> want;
    oracle.Run(lines, job.inputCount, job.outputCount, job.method, &want);
    // Where a lead byte hid a line break the reader's lines are not the file's.
    if (!oracle.overBudget && !hidden && result.more == 0)
        for (int32_t line : oracle.passedOver)
            if (!warned.count(line)) {
                fprintf(stderr, "line %d\n", line);
                Crash("no warning on a line the job passes over", pattern);
            }
    Check_Free(&result);
    Pattern_ResetKeywords();
    return 0;
}
