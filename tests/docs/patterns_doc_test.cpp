// Every example of the pattern guides, English and Korean: each fenced
// "pattern" block (its info line may carry -i, -o and -m as the command
// takes them, and -e utf-16le) is run through the engine and its map
// compared with the "map" block after it, so the guides cannot drift from
// the program. Examples with Korean text are saved as UTF-8 with its mark,
// as the guides tell.
#include <gtest/gtest.h>
#include <sstream>
#include "engine/pattern.h"
#include "engine/tilemap.h"
#include "tests/textlib/testdir.h"

namespace {

class Guide : public ::testing::TestWithParam<const char*> {};

TEST_P(Guide, EveryExampleMakesTheMapShown) {
    std::istringstream guide(ReadFile(std::string(DOCS_DIR) + "/" + GetParam()));
    std::string line, options, pattern, *into = nullptr;
    TestDir dir;
    int examples = 0;
    for (int n = 1; std::getline(guide, line); ++n) {
        if (line.rfind("```pattern", 0) == 0) {
            options = line.substr(10);
            pattern.clear();
            into = &pattern;
        } else if (line == "```map") {
            into = nullptr;
            std::getline(guide, line);
            std::vector<int> expected, map;
            std::istringstream numbers(line);
            for (int v; numbers >> v;)
                expected.push_back(v);
            TileMapJob job = TileMap_StartValues();
            job.outputCount = static_cast<int32_t>(expected.size());
            std::istringstream words(options);
            std::string bytes = pattern, option, value;
            for (char c : pattern)
                if (c & 0x80) bytes = "\xEF\xBB\xBF" + pattern;
            while (words >> option >> value) {
                if (option == "-i") job.inputCount = std::stoi(value);
                if (option == "-o") job.outputCount = std::stoi(value);
                if (option == "-m")
                    job.method = value == "undo" ? EFFECT_MAP_UNDO : EFFECT_MAP_IMPORT;
                if (option == "-e") { // ASCII text as UTF-16LE with its mark
                    bytes = "\xFF\xFE";
                    for (char c : pattern)
                        bytes += std::string{c, '\0'};
                }
            }
            WriteFile(dir / "p.map", bytes);
            Pattern_ResetKeywords(); // a $SET example lasts for the run
            EXPECT_GT(TileMap_Run("", (dir / "out.bbl").c_str(), (dir / "p.map").c_str(), &job), 0);
            for (unsigned char b : ReadFile(dir / "out.bbl"))
                map.push_back(b);
            EXPECT_EQ(map, expected) << GetParam() << " line " << n;
            ++examples;
        } else if (line == "```") {
            into = nullptr;
        } else if (into) {
            *into += line + "\n";
        }
    }
    EXPECT_GE(examples, 15);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, Guide, ::testing::Values("patterns.md", "patterns.ko.md"));

} // namespace
