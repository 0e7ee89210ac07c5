// Covers the job runner with real files: the forward and inverse maps and
// their edge cases, patterns in every encoding, numbers far too many or too
// large to count out, each failure reason, and that a failed job (including
// every allocation failure along the way) leaves the output as it was and
// leaves no temporary file behind.
#include "engine/tilemap.h"
#include "engine/pattern.h"
#include "tests/textlib/testdir.h"
#include "textlib/file.h"
#include "textlib/mem.h"
#include <gtest/gtest.h>
#include <filesystem>
#include <string>
#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

struct JobResult {
    int32_t result;
    TileMapReport report;
};

JobResult RunJob(const std::string& output, const std::string& pattern, int32_t inputs,
                 int32_t outputs, int32_t method) {
    TileMapJob job = TileMap_StartValues();
    job.inputCount = inputs;
    job.outputCount = outputs;
    job.method = method;
    JobResult r;
    r.result = TileMap_RunEx("graphic.bin", output.c_str(), pattern.c_str(), &job, &r.report);
    return r;
}

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values)
        s += static_cast<char>(v);
    return s;
}

// Files in the folder other than the ones named: a temporary file left over.
int OtherFiles(const TestDir& dir, std::initializer_list<std::string> known) {
    int others = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir / "")) {
        std::string name = entry.path().filename().string();
        bool isKnown = false;
        for (const std::string& k : known)
            isKnown = isKnown || k == name;
        others += isKnown ? 0 : 1;
    }
    return others;
}

struct MapCase {
    const char* pattern;
    int32_t inputs, outputs, method;
    int32_t result;
    std::string map;
};

TEST(TileMap, Maps) {
    const MapCase cases[] = {
        {"3,1,4,2\n", 4, 4, EFFECT_MAP_IMPORT, 4, Bytes({3, 1, 4, 2})},
        {"3,1,4,2\n", 4, 4, EFFECT_MAP_UNDO, 4, Bytes({2, 4, 1, 3})},
        {"1,2,3,4,5\n", 10, 3, EFFECT_MAP_IMPORT, 3, Bytes({1, 2, 3})},
        {"0,10,11,-1\n", 10, 4, EFFECT_MAP_IMPORT, 4, Bytes({0, 10, 0, 0})},
        {"2,0,3,7,2\n", 3, 5, EFFECT_MAP_UNDO, 4, Bytes({0, 4, 3})},
        {"2\n1", 5, 4, EFFECT_MAP_IMPORT, 2, Bytes({2, 1, 0, 0})},
        {"256,257,255\n", 300, 3, EFFECT_MAP_IMPORT, 3, Bytes({0, 1, 255})},
        {"0(300),1\n", 2, 301, EFFECT_MAP_UNDO, 301, Bytes({45, 0})}, // slot 301 is byte 45
        // Far too many numbers to count out, or far too large: the map
        // takes only what it can use.
        {"1~2147483647\n", 255, 188, EFFECT_MAP_IMPORT, 188, ""},
        {"/REPEAT(0,2000000000,1)\n", 255, 5, EFFECT_MAP_IMPORT, 5, Bytes({0, 1, 2, 3, 4})},
        {"/REPEAT(0,2000000000,1)\n", 4, 5, EFFECT_MAP_UNDO, 5, Bytes({2, 3, 4, 5})},
        {"/LOOP(2147483647,1)\n{\n1\n}\n", 255, 3, EFFECT_MAP_IMPORT, 3, Bytes({1, 2, 3})},
        {"/LOOP(2147483647,1)\n{\n-2000000000~2000000000\n}\n", 3, 4, EFFECT_MAP_UNDO, 4,
         Bytes({2, 3, 4})},
        {"-2147483648~2147483647\n", 3, 3, EFFECT_MAP_UNDO, 3, Bytes({2, 3, 0})},
        {"/LOOP(2147483647,2147483647)\n/REPEAT(2147483647,2147483647,2147483647)\n", 9, 4,
         EFFECT_MAP_IMPORT, 4, Bytes({0, 0, 0, 0})},
        // Passes 2..202 bring -2 + p to 0..200, passes from 10^9 + 1 on bring
        // -1000000001 + p there: the passes between deliver nothing.
        {"/LOOP(2147483647,1)\n/REPEAT(-2000000000,3,999999999)\n", 200, 210, EFFECT_MAP_UNDO, 210,
         ""},
    };
    for (const MapCase& c : cases) {
        SCOPED_TRACE(c.pattern);
        Pattern_ResetKeywords();
        TestDir dir;
        WriteFile(dir / "p.txt", c.pattern);
        JobResult r = RunJob(dir / "out.bbl", dir / "p.txt", c.inputs, c.outputs, c.method);
        EXPECT_EQ(r.result, c.result);
        EXPECT_EQ(r.report.failure, TILEMAP_OK);
        std::string map = ReadFile(dir / "out.bbl");
        ASSERT_EQ(map.size(), size_t(c.method == EFFECT_MAP_UNDO ? c.inputs : c.outputs));
        if (!c.map.empty()) {
            EXPECT_EQ(map, c.map);
        }
        EXPECT_EQ(OtherFiles(dir, {"p.txt", "out.bbl"}), 0);
    }
}

TEST(TileMap, LargeMapsHoldTheirNumbers) {
    Pattern_ResetKeywords();
    TestDir dir;
    WriteFile(dir / "p.txt", "1~2147483647\n");
    ASSERT_EQ(RunJob(dir / "o", dir / "p.txt", 255, 188, EFFECT_MAP_IMPORT).result, 188);
    std::string map = ReadFile(dir / "o");
    for (int i = 0; i < 188; i++)
        ASSERT_EQ(uint8_t(map[i]), i + 1);

    WriteFile(dir / "p.txt", "/LOOP(2147483647,1)\n/REPEAT(-2000000000,3,999999999)\n");
    ASSERT_EQ(RunJob(dir / "o", dir / "p.txt", 200, 210, EFFECT_MAP_UNDO).result, 210);
    map = ReadFile(dir / "o");
    // Tile v was last placed in slot 202 + v (v = 1..8) or else v + 1.
    for (int i = 0; i < 200; i++)
        ASSERT_EQ(uint8_t(map[i]), uint8_t(i < 8 ? 203 + i : i + 2)) << i;
}

TEST(TileMap, EveryEncodingReadsAlike) {
    // "$SET(LOOP,<Korean word>)", then a loop over 1,2 under that word.
    const std::string utf8 =
        "$SET(LOOP,\xEB\xB0\x98\xEB\xB3\xB5)\r\n/\xEB\xB0\x98\xEB\xB3\xB5(2,3)\r\n1,2\r\n";
    const std::string ansi = "$SET(LOOP,\xB9\xDD\xBA\xB9)\r\n/\xB9\xDD\xBA\xB9(2,3)\r\n1,2\r\n";
    std::string utf16le = "\xFF\xFE", utf16be = "\xFE\xFF";
    // The UTF-16 forms, from the UTF-8 text (ASCII plus two Hangul syllables).
    for (size_t i = 0; i < utf8.size();) {
        unsigned c = uint8_t(utf8[i]);
        if (c < 0x80) {
            i += 1;
        } else {
            c = ((c & 0x0F) << 12) | ((uint8_t(utf8[i + 1]) & 0x3F) << 6) |
                (uint8_t(utf8[i + 2]) & 0x3F);
            i += 3;
        }
        utf16le += static_cast<char>(c & 0xFF);
        utf16le += static_cast<char>(c >> 8);
        utf16be += static_cast<char>(c >> 8);
        utf16be += static_cast<char>(c & 0xFF);
    }
    for (const std::string& text : {"\xEF\xBB\xBF" + utf8, ansi, utf16le, utf16be}) {
        Pattern_ResetKeywords();
        TestDir dir;
        WriteFile(dir / "p.map", text);
        EXPECT_EQ(RunJob(dir / "o.bbl", dir / "p.map", 10, 4, EFFECT_MAP_IMPORT).result, 4);
        EXPECT_EQ(ReadFile(dir / "o.bbl"), Bytes({1, 2, 4, 5}));
    }
    Pattern_ResetKeywords();
}

TEST(TileMap, LinesAfterAFullMapAreNotRead) {
    Pattern_ResetKeywords();
    TestDir dir;
    WriteFile(dir / "p", "1,2,3\n$SET(LOOP,Z)\n");
    EXPECT_EQ(RunJob(dir / "o", dir / "p", 9, 3, EFFECT_MAP_IMPORT).result, 3);
    EXPECT_STREQ(Pattern_Keywords()[0].text, "LOOP");
    EXPECT_EQ(RunJob(dir / "o", dir / "p", 9, 4, EFFECT_MAP_IMPORT).result, 3);
    EXPECT_STREQ(Pattern_Keywords()[0].text, "Z");
    Pattern_ResetKeywords();
}

TEST(TileMap, MakesFoldersAndReplacesTheOutput) {
    Pattern_ResetKeywords();
    TestDir dir;
    WriteFile(dir / "p", "1,2\n");
    EXPECT_EQ(RunJob(dir / "a/b/o.bbl", dir / "p", 9, 2, EFFECT_MAP_IMPORT).result, 2);
    EXPECT_EQ(ReadFile(dir / "a/b/o.bbl"), Bytes({1, 2}));
    WriteFile(dir / "o", "a much longer old file");
    EXPECT_EQ(RunJob(dir / "o", dir / "p", 9, 2, EFFECT_MAP_IMPORT).result, 2);
    EXPECT_EQ(ReadFile(dir / "o"), Bytes({1, 2}));
    // A file that happens to have the first temporary name is left alone.
    WriteFile(dir / "o.~tmp", "keep");
    EXPECT_EQ(RunJob(dir / "o", dir / "p", 9, 1, EFFECT_MAP_IMPORT).result, 1);
    EXPECT_EQ(ReadFile(dir / "o.~tmp"), "keep");
    EXPECT_EQ(OtherFiles(dir, {"p", "o", "o.~tmp", "a"}), 0);
}

struct FailCase {
    const char* name;
    const char* pattern; // null: no pattern file
    int32_t inputs, outputs, method;
    bool outputIsFolder;
    TileMapFailure failure;
    uint32_t fileCode; // 0: not checked
};

TEST(TileMap, FailuresLeaveTheOutputAlone) {
    const FailCase cases[] = {
        {"no inputs", "1\n", 0, 5, 0, false, TILEMAP_FAIL_COUNTS, 0},
        {"negative outputs", "1\n", 5, -1, 0, false, TILEMAP_FAIL_COUNTS, 0},
        {"no pattern", nullptr, 5, 5, 0, false, TILEMAP_FAIL_PATTERN, FILE_NOTFOUND},
        {"empty pattern", "", 5, 5, 0, false, TILEMAP_FAIL_EMPTY, 0},
        {"comments only", "# 1,2\n/LOOP(2,1)\n", 5, 5, 0, false, TILEMAP_FAIL_EMPTY, 0},
        {"all skipped", "7,8,-1\n", 5, 5, EFFECT_MAP_UNDO, false, TILEMAP_FAIL_EMPTY, 0},
        {"output is a folder", "1\n", 5, 5, 0, true, TILEMAP_FAIL_OUTPUT, 0},
    };
    for (const FailCase& c : cases) {
        SCOPED_TRACE(c.name);
        Pattern_ResetKeywords();
        TestDir dir;
        if (c.pattern) WriteFile(dir / "p", c.pattern);
        if (c.outputIsFolder)
            std::filesystem::create_directories(dir / "o");
        else
            WriteFile(dir / "o", "old");
        JobResult r = RunJob(dir / "o", dir / "p", c.inputs, c.outputs, c.method);
        EXPECT_EQ(r.result, 0);
        EXPECT_EQ(r.report.failure, c.failure);
        if (c.fileCode) {
            EXPECT_EQ(r.report.fileCode, c.fileCode);
        }
        EXPECT_EQ(OtherFiles(dir, {"p", "o"}), 0);
        if (c.outputIsFolder) continue;
        EXPECT_EQ(ReadFile(dir / "o"), "old");
        // With no output file at all, none is made.
        std::filesystem::remove(dir / "o");
        EXPECT_EQ(RunJob(dir / "o", dir / "p", c.inputs, c.outputs, c.method).result, 0);
        EXPECT_FALSE(FileExists(dir / "o"));
    }
}

// Makes each allocation of a job fail in turn: the job either fails, leaving
// the old output and no temporary file, or succeeds with the right map.
TEST(TileMap, RunningOutOfMemoryLosesNoFile) {
    TestDir dir;
    std::string pattern;
    for (int i = 0; i < 300; i++)
        pattern += std::to_string(i % 9) + ",";
    pattern += "\n# rows\n/LOOP(3,4)\n{\n1~4\n/REPEAT(0,2,0)\n}\n";
    WriteFile(dir / "p", pattern);
    for (int32_t method : {EFFECT_MAP_IMPORT, EFFECT_MAP_UNDO}) {
        SCOPED_TRACE(method);
        Pattern_ResetKeywords();
        JobResult clean = RunJob(dir / "o", dir / "p", 9, 310, method);
        ASSERT_GT(clean.result, 0);
        const std::string expected = ReadFile(dir / "o");
        bool succeeded = false;
        for (int64_t nth = 1; nth < 400 && !succeeded; nth++) {
            SCOPED_TRACE(nth);
            WriteFile(dir / "o", "old");
            Mem_FailNth(nth);
            JobResult r = RunJob(dir / "o", dir / "p", 9, 310, method);
            Mem_FailNth(0);
            if (r.result == 0) {
                EXPECT_EQ(ReadFile(dir / "o"), "old");
                EXPECT_NE(r.report.failure, TILEMAP_OK);
            } else {
                EXPECT_EQ(r.result, clean.result);
                EXPECT_EQ(ReadFile(dir / "o"), expected);
                succeeded = true;
            }
            EXPECT_EQ(OtherFiles(dir, {"p", "o"}), 0);
        }
        EXPECT_TRUE(succeeded);
    }
}

#ifndef _WIN32
// A file size limit makes the write of the map come up short.
TEST(TileMap, AShortWriteLosesNoFile) {
    Pattern_ResetKeywords();
    TestDir dir;
    WriteFile(dir / "p", "1~5000\n");
    WriteFile(dir / "o", "old");
    rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 1000;
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    JobResult r = RunJob(dir / "o", dir / "p", 5000, 5000, EFFECT_MAP_IMPORT);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.report.failure, TILEMAP_FAIL_WRITE);
    EXPECT_EQ(ReadFile(dir / "o"), "old");
    EXPECT_EQ(OtherFiles(dir, {"p", "o"}), 0);
}
#endif

TEST(TileMap, StartValues) {
    TileMapJob job = TileMap_StartValues();
    EXPECT_EQ(job.inputCount, 255);
    EXPECT_EQ(job.outputCount, 188);
    EXPECT_EQ(job.method, EFFECT_MAP_IMPORT);
    EXPECT_EQ(job.inputColumns * job.inputRows, 154);
    EXPECT_EQ(job.secondSetting, 1);
    EXPECT_EQ(job.format.width, 8);
    EXPECT_EQ(job.format.bitsPerPixel, 4);
    EXPECT_EQ(job.format.formatId, 6u);
    EXPECT_EQ(job.format.tileBytes, 0u);
    EXPECT_EQ(TileMap_Job()->outputCount, 188);
}

} // namespace
