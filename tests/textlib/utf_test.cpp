// UTF-8 and UTF-16 decoders and the UTF-8 encoder: malformed and boundary
// cases by table, and a round trip over every code point.
#include "textlib/utf.h"

#include <gtest/gtest.h>
#include <tuple>
#include <vector>

namespace {

TEST(Utf, DecodeTablesAndEncodeRoundTrip) {
    // Bytes, used or -1, code point; valid forms up to four bytes: see the round trip below.
    // clang-format off
    const std::tuple<std::vector<uint8_t>, int, uint32_t> cases[] = {
        {{}, 0, 0}, {{0xED, 0xA0, 0x80}, 3, 0xD800}, {{0xF4, 0x90, 0x80, 0x80}, 4, 0x110000},
        {{0xF8, 0x88, 0x80, 0x80, 0x80}, 5, 0x200000}, {{0xC0, 0x80}, -1, 0},
        {{0xFD, 0xBF, 0xBF, 0xBF, 0xBF, 0xBF}, 6, 0x7FFFFFFF}, {{0xE0, 0x80, 0xAF}, -1, 0},
        {{0xF8, 0x80, 0x80, 0x80, 0x80}, -1, 0}, {{0x80}, -1, 0}, {{0xFE}, -1, 0}, {{0xFF}, -1, 0},
        {{0xEA, 0xB0}, -1, 0}, {{0xEA, 0x41, 0x80}, -1, 0}, {{0xBF}, -1, 0}};
    const std::tuple<std::vector<uint16_t>, uint32_t, int, uint32_t> utf16[] = { // count, used, cp
        {{0x0041}, 1, 1, 0x41}, {{0xAC00}, 1, 1, 0xAC00}, {{0xD83D, 0xDE00}, 2, 2, 0x1F600},
        {{0xDBFF, 0xDFFF}, 2, 2, 0x10FFFF}, {{0xDE00}, 1, -1, 0}, {{0xD83D}, 1, -1, 0},
        {{0xD83D, 0xDE00}, 1, -1, 0}, {{0xD83D, 0x0041}, 2, -1, 0}, {{0x0041}, 0, 0, 0}};
    // clang-format on
    for (const auto& [bytes, used, cp] : cases) {
        uint32_t got = 0;
        const int n = Utf8_Decode(&got, bytes.data(), uint32_t(bytes.size()));
        EXPECT_EQ(std::make_tuple(n, n > 0 ? got : 0), std::make_tuple(used, cp))
            << ::testing::PrintToString(bytes);
    }
    for (const auto& [units, count, used, cp] : utf16) { // in both byte orders
        std::vector<uint8_t> le, be;
        for (uint16_t u : units)
            le.insert(le.end(), {uint8_t(u), uint8_t(u >> 8)}),
                be.insert(be.end(), {uint8_t(u >> 8), uint8_t(u)});
        uint32_t a = 0, b = 0;
        const int n = Utf16_DecodeLE(&a, le.data(), count),
                  m = Utf16_DecodeBE(&b, be.data(), count);
        EXPECT_EQ(std::make_tuple(n, m, n > 0 ? a : 0, m > 0 ? b : 0),
                  std::make_tuple(used, used, cp, cp))
            << std::hex << units[0];
    }
    // Every scalar value in the shortest form (a byte less is too little room); no surrogate
    // nor any value past U+10FFFF.
    uint8_t out[4];
    for (uint32_t cp = 0; cp <= 0x110000; ++cp) {
        const bool refused = (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF;
        const int n = Utf8_Encode(out, 4, cp);
        ASSERT_EQ(n > 0, !refused) << std::hex << cp;
        if (refused) continue;
        ASSERT_EQ(Utf8_Encode(out, uint32_t(n - 1), cp), -1) << std::hex << cp;
        uint32_t back = 0;
        ASSERT_EQ(Utf8_Decode(&back, out, uint32_t(n)), n) << std::hex << cp;
        ASSERT_EQ(back, cp);
    }
}

} // namespace
