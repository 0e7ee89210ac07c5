// Every example of the pattern guides, English and Korean: each fenced
// "pattern" block (its info line may carry -i, -o, -m and -e as the command
// takes them) is run through the engine and its map compared with the
// "map" block that follows it, so the guides cannot drift from the program.
#include <gtest/gtest.h>
#include <sstream>
#include "engine/pattern.h"
#include "engine/tilemap.h"
#include "tests/textlib/testdir.h"

namespace {

struct Example {
    std::string options, pattern, map;
    int line;
};

std::vector<Example> ReadExamples(const std::string& guide) {
    std::istringstream in(ReadFile(guide));
    std::vector<Example> found;
    std::string line, *into = nullptr;
    for (int n = 1; std::getline(in, line); ++n) {
        if (line.rfind("```pattern", 0) == 0) {
            found.push_back({line.substr(10), "", "", n});
            into = &found.back().pattern;
        } else if (line == "```map" && !found.empty()) {
            into = &found.back().map;
        } else if (line == "```") {
            into = nullptr;
        } else if (into) {
            *into += line + "\n";
        }
    }
    return found;
}

// UTF-8 text (letters of the basic plane) as UTF-16LE with its mark.
std::string Utf16(const std::string& text) {
    std::string out = "\xFF\xFE";
    for (size_t i = 0; i < text.size();) {
        unsigned c = static_cast<unsigned char>(text[i]), n = c < 0x80 ? 1 : c < 0xE0 ? 2 : 3;
        unsigned u = n == 1 ? c : c & (n == 2 ? 0x1F : 0x0F);
        for (unsigned k = 1; k < n; ++k)
            u = u << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out += char(u & 0xFF);
        out += char(u >> 8);
        i += n;
    }
    return out;
}

class Guide : public ::testing::TestWithParam<const char*> {};

TEST_P(Guide, EveryExampleMakesTheMapShown) {
    const std::vector<Example> examples = ReadExamples(std::string(DOCS_DIR) + "/" + GetParam());
    ASSERT_GE(examples.size(), 15u);
    TestDir dir;
    for (const Example& e : examples) {
        std::vector<int> expected;
        std::istringstream numbers(e.map);
        for (int v; numbers >> v;)
            expected.push_back(v);
        TileMapJob job = TileMap_StartValues();
        job.outputCount = static_cast<int32_t>(expected.size());
        std::istringstream options(e.options);
        std::string option, value, encoding;
        while (options >> option >> value) {
            if (option == "-i") job.inputCount = std::stoi(value);
            if (option == "-o") job.outputCount = std::stoi(value);
            if (option == "-m") job.method = value == "undo" ? EFFECT_MAP_UNDO : EFFECT_MAP_IMPORT;
            if (option == "-e") encoding = value;
        }
        WriteFile(dir / "p.map", encoding == "utf-16le" ? Utf16(e.pattern) : e.pattern);
        Pattern_ResetKeywords(); // a $SET example lasts for the run
        EXPECT_GT(TileMap_Run("", (dir / "out.bbl").c_str(), (dir / "p.map").c_str(), &job), 0);
        std::vector<int> map;
        for (unsigned char b : ReadFile(dir / "out.bbl"))
            map.push_back(b);
        EXPECT_EQ(map, expected) << GetParam() << " line " << e.line;
    }
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, Guide, ::testing::Values("patterns.md", "patterns.ko.md"));

} // namespace
