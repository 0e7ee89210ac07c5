// UTF-8 and UTF-16 decoders and the UTF-8 encoder: table-driven malformed
// and boundary cases, and a round trip over every code point.
#include "textlib/utf.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

TEST(Utf8, DecodeTable) {
    struct Case {
        std::vector<uint8_t> bytes;
        int used;
        uint32_t cp;
    } cases[] = {
        {{}, 0, 0},
        {{0x41}, 1, 0x41},
        {{0x00}, 1, 0},
        {{0xC2, 0xA9}, 2, 0xA9},
        {{0xEA, 0xB0, 0x80}, 3, 0xAC00},
        {{0xF4, 0x8F, 0xBF, 0xBF}, 4, 0x10FFFF},
        {{0xED, 0xA0, 0x80}, 3, 0xD800},         // surrogates pass the decoder
        {{0xF4, 0x90, 0x80, 0x80}, 4, 0x110000}, // so do values past U+10FFFF
        {{0xF8, 0x88, 0x80, 0x80, 0x80}, 5, 0x200000},
        {{0xFD, 0xBF, 0xBF, 0xBF, 0xBF, 0xBF}, 6, 0x7FFFFFFF},
        {{0xC0, 0x80}, -1, 0},                   // overlong zero
        {{0xE0, 0x80, 0xAF}, -1, 0},             // overlong slash
        {{0xF8, 0x80, 0x80, 0x80, 0x80}, -1, 0}, // overlong five-byte form
        {{0x80}, -1, 0},
        {{0xBF}, -1, 0},
        {{0xFE}, -1, 0},
        {{0xFF}, -1, 0},
        {{0xEA, 0xB0}, -1, 0},       // cut
        {{0xEA, 0x41, 0x80}, -1, 0}, // bad continuation
    };
    for (const Case& c : cases) {
        uint32_t cp = 0;
        const int used = Utf8_Decode(&cp, c.bytes.data(), static_cast<uint32_t>(c.bytes.size()));
        EXPECT_EQ(used, c.used) << "case of " << c.bytes.size() << " bytes, first "
                                << (c.bytes.empty() ? 0 : c.bytes[0]);
        if (used > 0) {
            EXPECT_EQ(cp, c.cp);
        }
    }
}

TEST(Utf16, DecodeTable) {
    struct Case {
        std::vector<uint16_t> units;
        uint32_t count;
        int used;
        uint32_t cp;
    } cases[] = {
        {{0x0041}, 1, 1, 0x41},
        {{0xAC00}, 1, 1, 0xAC00},
        {{0xD83D, 0xDE00}, 2, 2, 0x1F600},
        {{0xDBFF, 0xDFFF}, 2, 2, 0x10FFFF},
        {{0xDE00}, 1, -1, 0},
        {{0xD83D}, 1, -1, 0},
        {{0xD83D, 0xDE00}, 1, -1, 0},
        {{0xD83D, 0x0041}, 2, -1, 0},
        {{0x0041}, 0, 0, 0},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> le, be;
        for (uint16_t u : c.units) {
            le.push_back(u & 0xFF), le.push_back(u >> 8);
            be.push_back(u >> 8), be.push_back(u & 0xFF);
        }
        uint32_t a = 0, b = 0;
        EXPECT_EQ(Utf16_DecodeLE(&a, le.data(), c.count), c.used) << std::hex << c.units[0];
        EXPECT_EQ(Utf16_DecodeBE(&b, be.data(), c.count), c.used) << std::hex << c.units[0];
        if (c.used > 0) {
            EXPECT_EQ(a, c.cp);
            EXPECT_EQ(b, c.cp);
        }
    }
}

TEST(Utf8, EncodeRefusesWhatUtf8MustNotCarry) {
    uint8_t out[4];
    EXPECT_EQ(Utf8_Encode(out, 4, 0xD800), -1);
    EXPECT_EQ(Utf8_Encode(out, 4, 0xDFFF), -1);
    EXPECT_EQ(Utf8_Encode(out, 4, 0x110000), -1);
    EXPECT_EQ(Utf8_Encode(out, 2, 0xAC00), -1); // too little room
    EXPECT_EQ(Utf8_Encode(out, 0, 0x41), -1);
    EXPECT_EQ(Utf8_Encode(out, 3, 0x10000), -1);
}

TEST(Utf8, RoundTripEveryCodePoint) {
    int lengths[5] = {};
    for (uint32_t cp = 0; cp < 0x110000; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        uint8_t out[4];
        const int n = Utf8_Encode(out, 4, cp);
        ASSERT_GT(n, 0) << std::hex << cp;
        uint32_t back = 0;
        ASSERT_EQ(Utf8_Decode(&back, out, static_cast<uint32_t>(n)), n) << std::hex << cp;
        ASSERT_EQ(back, cp);
        ++lengths[n];
    }
    EXPECT_EQ(lengths[1], 0x80);
    EXPECT_EQ(lengths[2], 0x800 - 0x80);
    EXPECT_EQ(lengths[3], 0x10000 - 0x800 - 0x800);
    EXPECT_EQ(lengths[4], 0x100000);
}

} // namespace
