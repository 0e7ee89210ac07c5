// Covers tile formats and pixels (plain and inverted bit order, 3-bit pixels across bytes), and
// a map applied to tiles: for every tile format, random graphics rearranged by a random pattern's
// forward map and put back by its undo map (patterns without numbers outside the tiles), written
// into a copy of the first graphic so that the bytes around the tiles must stay; and the refusals,
// which write nothing.
#include "engine/check.h"
#include "engine/tile.h"
#include "tests/engine/pattern_gen.h"
#include "tests/textlib/testdir.h"
#include <gtest/gtest.h>
#include <algorithm>

namespace {

TEST(Tile, FormatsAndPixels) {
    const struct {
        const char* spec;
        uint32_t bytes, stride, id;
    } formats[] = {{"5x5:3", 10, 12, 4},       {"8x8:3", 24, 24, 4}, {"8x8:4i", 32, 32, 6},
                   {"64x64:8", 4096, 4096, 7}, {"3x1:1", 1, 1, 0},   {"0x8:4", 0, 0, 0},
                   {"8x8:5", 0, 0, 0},         {"8x8:3i", 0, 0, 0},  {"65x1:1", 0, 0, 0},
                   {"8x8:4x", 0, 0, 0},        {"8x8", 0, 0, 0}};
    for (const auto& f : formats) {
        TileFormat t = {};
        EXPECT_EQ(Tile_ParseFormat(f.spec, &t), f.bytes != 0) << f.spec;
        EXPECT_EQ(std::make_tuple(t.tileBytes, uint32_t{t.stride}, t.formatId),
                  std::make_tuple(f.bytes, f.stride, f.bytes ? f.id : 0))
            << f.spec;
    }
    // 0xB4 0x1E: bits 1011 0100 0001 1110, read from the high bit or from the low bit.
    const uint8_t tile[2] = {0xB4, 0x1E};
    const struct {
        const char* spec;
        uint32_t x, y, value;
    } pixels[] = {{"8x2:1", 0, 0, 1},   {"8x2:1", 1, 0, 0},  {"8x2:1", 3, 1, 1},
                  {"8x2:1i", 0, 0, 0},  {"8x2:1i", 2, 0, 1}, {"4x2:2", 1, 0, 3},
                  {"4x2:2i", 1, 0, 1},  {"2x2:4", 0, 0, 11}, {"2x2:4i", 0, 0, 4},
                  {"2x2:4i", 1, 0, 11}, {"5x1:3", 1, 0, 5},  {"5x1:3", 2, 0, 0},
                  {"5x1:3", 3, 0, 1},   {"5x1:3", 4, 0, 7},  {"2x1:8", 1, 0, 0x1E}};
    for (const auto& p : pixels) {
        TileFormat t;
        ASSERT_TRUE(Tile_ParseFormat(p.spec, &t));
        EXPECT_EQ(Tile_Pixel(&t, tile, p.x, p.y), p.value) << p.spec << " " << p.x << "," << p.y;
    }
}

std::string Random(PatternGen& gen, size_t n) {
    std::string s(n, 0);
    for (char& c : s)
        c = static_cast<char>(gen.Next());
    return s;
}

TEST(Tile, ForwardThenUndoRestoresEveryPlacedTile) {
    TestDir dir;
    const std::string f = dir / "f", u = dir / "u", g = dir / "g", o = dir / "o", r = dir / "r";
    const char* formats[] = {"8x8:1", "8x8:1i", "8x8:2", "8x8:2i", "5x5:3",
                             "8x8:4", "8x8:4i", "8x8:8", "3x7:3"};
    int rounds = 0, placed = 0;
    for (uint64_t seed = 1; rounds < 45; seed++) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        PatternGen gen(seed);
        std::string pattern;
        for (const std::string& line : gen.Lines())
            pattern += line;
        WriteFile(dir / "p", pattern);
        TileMapJob job = TileMap_StartValues();
        job.inputCount = static_cast<int32_t>(gen.In(1, 40));
        job.outputCount = static_cast<int32_t>(gen.In(1, 40));
        Pattern_ResetKeywords();
        if (!TileMap_Run("", f.c_str(), (dir / "p").c_str(), &job)) continue;
        job.method = EFFECT_MAP_UNDO;
        Pattern_ResetKeywords();
        if (!TileMap_Run("", u.c_str(), (dir / "p").c_str(), &job)) continue;
        // A number outside the tiles uses up a forward slot but no undo slot, so the undo map
        // puts tiles back only for patterns that the check finds no such number in.
        Pattern_ResetKeywords();
        CheckResult check;
        Check_Run((dir / "p").c_str(), &job, &check);
        const bool outside =
            std::any_of(check.list, check.list + check.count,
                        [](const CheckDiagnostic& d) { return d.kind == CHECK_RANGE; });
        Check_Free(&check);
        if (outside) continue;
        TileFormat t;
        ASSERT_TRUE(Tile_ParseFormat(formats[rounds++ % 9], &t));
        const size_t offset = static_cast<size_t>(gen.In(0, 9)), s = t.stride;
        const size_t most = static_cast<size_t>(std::max(job.inputCount, job.outputCount));
        const std::string graphic = Random(gen, offset + most * s + gen.In(0, 20));
        WriteFile(g, graphic);
        TileApplyReport report;
        ASSERT_TRUE(
            TileApply_Run(f.c_str(), g.c_str(), o.c_str(), g.c_str(), t.stride, offset, &report));
        ASSERT_TRUE(
            TileApply_Run(u.c_str(), o.c_str(), r.c_str(), g.c_str(), t.stride, offset, &report));
        const std::string back = ReadFile(r), undo = ReadFile(u);
        ASSERT_EQ(back.size(), graphic.size());
        for (size_t i = 0; i < graphic.size(); i++) {
            const size_t tile = (i - offset) / s;
            const bool inside = i >= offset && tile < static_cast<size_t>(job.inputCount);
            // A tile that no slot holds comes back as zero bytes.
            const char want = inside && undo[tile] == 0 ? 0 : graphic[i];
            ASSERT_EQ(back[i], want) << "byte " << i;
            placed += inside && undo[tile] != 0 && (i - offset) % s == 0;
        }
    }
    EXPECT_GT(placed, 100); // the patterns did place tiles
}

TEST(Tile, RefusalsWriteNothing) {
    TestDir dir;
    WriteFile(dir / "m", "\1\3");
    WriteFile(dir / "g", std::string(12, 'g')); // 3 tiles of 4 bytes, 2 from offset 2
    WriteFile(dir / "i", std::string(7, 'i'));
    WriteFile(dir / "o", "old");
    const struct {
        uint64_t offset;
        const char* into;
        TileApplyFailure failure;
        uint32_t entry;
    } cases[] = {{2, nullptr, TILEAPPLY_FAIL_TILE, 2},
                 {13, nullptr, TILEAPPLY_FAIL_OFFSET, 0},
                 {0, "i", TILEAPPLY_FAIL_INTOSHORT, 0},
                 {0, "none", TILEAPPLY_FAIL_INTO, 0},
                 {0, nullptr, TILEAPPLY_OK, 0}};
    for (const auto& c : cases) {
        TileApplyReport report;
        const std::string into = c.into ? dir / c.into : "";
        const int32_t done =
            TileApply_Run((dir / "m").c_str(), (dir / "g").c_str(), (dir / "o").c_str(),
                          c.into ? into.c_str() : nullptr, 4, c.offset, &report);
        EXPECT_EQ(std::make_tuple(done, report.failure, report.entry),
                  std::make_tuple(c.failure == TILEAPPLY_OK, c.failure, c.entry));
        EXPECT_EQ(ReadFile(dir / "o"), c.failure ? "old" : "gggggggg");
    }
}

} // namespace
