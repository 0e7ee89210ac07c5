// Covers tile formats and pixels (plain and inverted bit order, 3-bit pixels across bytes), maps
// applied to tiles (random graphics in every format rearranged by a random map and put back by its
// inverse), the memory that takes, and the refusals, which write nothing.
#include "engine/tile.h"
#include "tests/engine/pattern_gen.h"
#include "tests/support/testdir.h"
#include "textlib/mem.h"
#include <gtest/gtest.h>
#include <algorithm>

namespace {

TEST(Tile, FormatsAndPixels) {
    const std::tuple<const char*, uint32_t, uint32_t, uint32_t> formats[] = {
        // bytes, stride, id
        {"5x5:3", 10, 12, 4},       {"8x8:3", 24, 24, 4}, {"8x8:4i", 32, 32, 6},
        {"64x64:8", 4096, 4096, 7}, {"3x1:1", 1, 1, 0},   {"0x8:4", 0, 0, 0},
        {"8x8:5", 0, 0, 0},         {"8x8:3i", 0, 0, 0},  {"65x1:1", 0, 0, 0},
        {"8x8:4x", 0, 0, 0},        {"8x8", 0, 0, 0}};
    for (const auto& [name, bytes, stride, id] : formats) {
        TileFormat t = {};
        EXPECT_EQ(Tile_ParseFormat(name, &t), bytes != 0) << name;
        EXPECT_EQ(std::make_tuple(t.tileBytes, uint32_t{t.stride}, t.formatId),
                  std::make_tuple(bytes, stride, bytes ? id : 0))
            << name;
    }
    // 0xB4 0x1E: bits 1011 0100 0001 1110, read from the high bit or from the low bit.
    const uint8_t tile[2] = {0xB4, 0x1E};
    const std::tuple<const char*, uint32_t, uint32_t, uint32_t> pixels[] = {
        // x, y, value
        {"8x2:1", 0, 0, 1},  {"8x2:1", 1, 0, 0},   {"8x2:1", 3, 1, 1},   {"8x2:1i", 0, 0, 0},
        {"8x2:1i", 2, 0, 1}, {"4x2:2", 1, 0, 3},   {"4x2:2i", 1, 0, 1},  {"2x2:4", 0, 0, 11},
        {"2x2:4i", 0, 0, 4}, {"2x2:4i", 1, 0, 11}, {"5x1:3", 1, 0, 5},   {"5x1:3", 2, 0, 0},
        {"5x1:3", 3, 0, 1},  {"5x1:3", 4, 0, 7},   {"2x1:8", 1, 0, 0x1E}};
    for (const auto& [name, x, y, value] : pixels) {
        TileFormat t;
        ASSERT_TRUE(Tile_ParseFormat(name, &t));
        EXPECT_EQ(Tile_Pixel(&t, tile, x, y), value) << name << " " << x << "," << y;
    }
}

// A slot holds a tile or none, each tile at most once; both maps write into a copy of the first
// graphic: the bytes around the tiles stay, and a tile that no slot holds comes back as zeros.
TEST(Tile, ForwardThenUndoRestoresEveryPlacedTile) {
    TestDir dir;
    const std::string f = dir / "f", u = dir / "u", g = dir / "g", o = dir / "o", r = dir / "r";
    const char* formats[] = {"8x8:1", "8x8:1i", "8x8:2", "8x8:2i", "5x5:3",
                             "8x8:4", "8x8:4i", "8x8:8", "3x7:3"};
    int placed = 0;
    for (uint64_t round = 0; round < 45; round++) {
        SCOPED_TRACE("round " + std::to_string(round));
        PatternGen gen(round + 1);
        const size_t tiles = gen.In(1, 40), slots = gen.In(1, 40);
        std::string forward(slots, 0), undo(tiles, 0);
        for (size_t slot = 0; slot < slots; slot++) {
            const size_t tile = gen.In(0, tiles); // 1-based, 0 for none
            if (tile && !undo[tile - 1])
                forward[slot] = char(tile), undo[tile - 1] = char(slot + 1);
        }
        WriteFile(f, forward);
        WriteFile(u, undo);
        TileFormat t;
        ASSERT_TRUE(Tile_ParseFormat(formats[round % 9], &t));
        const size_t offset = gen.In(0, 9), s = t.stride;
        std::string graphic(offset + std::max(tiles, slots) * s + gen.In(0, 20), 0);
        for (char& c : graphic)
            c = char(gen.Next());
        WriteFile(g, graphic);
        TileApplyReport report;
        ASSERT_TRUE(
            TileApply_Run(f.c_str(), g.c_str(), o.c_str(), g.c_str(), t.stride, offset, &report));
        ASSERT_TRUE(
            TileApply_Run(u.c_str(), o.c_str(), r.c_str(), g.c_str(), t.stride, offset, &report));
        const std::string back = ReadFile(r);
        ASSERT_EQ(back.size(), graphic.size());
        for (size_t i = 0; i < graphic.size(); i++) {
            const size_t tile = (i - offset) / s;
            const bool inside = i >= offset && tile < tiles;
            ASSERT_EQ(back[i], inside && undo[tile] == 0 ? 0 : graphic[i]) << "byte " << i;
            placed += inside && undo[tile] != 0 && (i - offset) % s == 0;
        }
    }
    EXPECT_GT(placed, 100); // the maps did place tiles
}

// Of a graphic only the tiles the map names are held, and the result is written as it is made: 64
// MiB of sparse graphic, by itself or into a copy of itself, costs a few blocks. A refusal writes
// nothing.
TEST(Tile, MemoryBoundedByTheMapNotTheFilesRefusalsWriteNothing) {
    TestDir dir;
    const std::string m = dir / "m", g = dir / "g", o = dir / "o",
                      tiles("abcdijkl\0\0\0\0efgh", 16);
    const uint64_t size = 64u << 20;
    WriteFile(m, std::string("\1\3\0\2", 4)), WriteFile(g, "abcdefghijkl");
    std::filesystem::resize_file(g, size); // sparse
    // clang-format off
    const std::tuple<const char*, uint64_t, TileApplyFailure, uint64_t> cases[] = { // into, offset, failure, the output's size
        {"none", 0, TILEAPPLY_FAIL_INTO, 3}, {nullptr, size + 1, TILEAPPLY_FAIL_OFFSET, 3}, {nullptr, size - 8, TILEAPPLY_FAIL_TILE, 3}, {nullptr, 0, TILEAPPLY_OK, 16}, {"g", 0, TILEAPPLY_OK, size}};
    // clang-format on
    for (const auto& [into, offset, failure, length] : cases) {
        WriteFile(o, "old"), Mem_FailNth(0);
        TileApplyReport report;
        const std::string i = into ? dir / into : "";
        const int32_t done = TileApply_Run(m.c_str(), g.c_str(), o.c_str(),
                                           into ? i.c_str() : nullptr, 4, offset, &report);
        EXPECT_EQ(std::make_tuple(done, report.failure, Mem_PeakBytes() < (1u << 20),
                                  std::filesystem::file_size(o), ReadFile(o).substr(0, 16)),
                  std::make_tuple(int32_t(failure == TILEAPPLY_OK), failure, true, length,
                                  failure ? std::string("old") : tiles));
    }
}

} // namespace
