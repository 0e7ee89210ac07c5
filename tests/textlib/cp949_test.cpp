// Tests of the project's own code page 949 tables (textlib/cp949.h).
// - Known mappings, both directions: Hangul, Hanja, symbols, the extended
//   Hangul of the Unified Hangul Code, the user-defined rows C9 and FE (which
//   Windows maps to U+E000..U+E0BB), the single bytes 0x80 and 0xFF, and what
//   malformed sequences give (lone lead bytes, a lead byte before 0x00, pairs
//   without a mapping).
// - A round trip over every mapped sequence, and the number of carried units.
// - Windows build only, run under Wine with code page 949: the exhaustive
//   agreement with the platform, MultiByteToWideChar(949) for every single
//   byte and every lead byte 0x81..0xFE with every trail byte 0x00..0xFF,
//   IsDBCSLeadByteEx(949) for every byte and WideCharToMultiByte(949) for
//   every UTF-16 unit.
#include "textlib/cp949.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// Every unit the bytes decode to, one Cp949_DecodeChar after another.
std::vector<uint16_t> DecodeAll(const std::vector<uint8_t>& bytes) {
    std::vector<uint16_t> units;
    uint32_t at = 0;
    while (at < bytes.size()) {
        uint16_t unit = 0xBEEF;
        const int used = Cp949_DecodeChar(&unit, bytes.data() + at, uint32_t(bytes.size() - at));
        if (used <= 0) break;
        units.push_back(unit);
        at += uint32_t(used);
    }
    return units;
}

std::string Hex(const std::vector<uint8_t>& bytes) {
    std::string text;
    char piece[4];
    for (uint8_t b : bytes) {
        std::snprintf(piece, sizeof piece, "%02X ", b);
        text += piece;
    }
    return text;
}

struct DecodeCase {
    std::vector<uint8_t> bytes;
    int used;
    uint16_t unit;
};

// clang-format off
const DecodeCase DECODE_CASES[] = {
    {{0x41}, 1, 0x0041},
    {{0x00}, 1, 0x0000},
    {{0x7F}, 1, 0x007F},
    {{0x80}, 1, 0x0080},             // not a lead byte; passes through
    {{0xFF}, 1, 0xF8F7},             // not a lead byte; a private-use character
    {{0xB0, 0xA1}, 2, 0xAC00},       // the first Hangul syllable of KS X 1001
    {{0xC8, 0xFE}, 2, 0xD79D},       // the last one
    {{0x81, 0x41}, 2, 0xAC02},       // the first extended syllable
    {{0xC6, 0x52}, 2, 0xD7A3},       // the last syllable of all, extended
    {{0xA0, 0xFE}, 2, 0xC8A4},
    {{0xC7, 0xD1}, 2, 0xD55C},
    {{0xA1, 0xA1}, 2, 0x3000},       // ideographic space
    {{0xA2, 0xE6}, 2, 0x20AC},       // euro sign
    {{0xA2, 0xE7}, 2, 0x00AE},
    {{0xA4, 0xA1}, 2, 0x3131},
    {{0xA1, 0xCB}, 2, 0xFFE0},
    {{0xCA, 0xA1}, 2, 0x4F3D},       // the first Hanja
    {{0xFD, 0xFE}, 2, 0x8A70},       // the last Hanja
    {{0xC9, 0xA1}, 2, 0xE000},       // user-defined rows, which iconv rejects
    {{0xC9, 0xFE}, 2, 0xE05D},
    {{0xFE, 0xA1}, 2, 0xE05E},
    {{0xFE, 0xFE}, 2, 0xE0BB},
    {{0xB0}, 1, 0x003F},             // lone lead byte at the end
    {{0xB0, 0x00}, 1, 0x003F},       // a NUL is never a trail byte
    {{0xB0, 0x20}, 2, 0x003F},       // a trail byte without a mapping is consumed
    {{0x81, 0x01}, 2, 0x003F},
    {{0xA1, 0xFF}, 2, 0x003F},
    {{0xA2, 0xE8}, 2, 0x003F},       // a hole in a symbol row
    {{0xC9, 0x41}, 2, 0x003F},       // user-defined rows have no extended part
    {{0xC7, 0x41}, 2, 0x003F},       // rows from C7 on have no extended part
    {{0xFE, 0xFF}, 2, 0x003F},
};
// clang-format on

TEST(Cp949, DecodesKnownSequences) {
    for (const DecodeCase& c : DECODE_CASES) {
        SCOPED_TRACE(Hex(c.bytes));
        uint16_t unit = 0xBEEF;
        EXPECT_EQ(c.used, Cp949_DecodeChar(&unit, c.bytes.data(), uint32_t(c.bytes.size())));
        EXPECT_EQ(c.unit, unit);
    }
}

// Character after character, as MultiByteToWideChar(949) walks a text.
TEST(Cp949, DecodesTextsCharacterByCharacter) {
    EXPECT_EQ((std::vector<uint16_t>{0xAC00, 0x0041, 0x003F}), DecodeAll({0xB0, 0xA1, 0x41, 0xB0}));
    EXPECT_EQ((std::vector<uint16_t>{0x003F, 0x0000, 0x0041}), DecodeAll({0xB0, 0x00, 0x41}));
    EXPECT_EQ((std::vector<uint16_t>{0x003F, 0x0041}), DecodeAll({0xB0, 0x20, 0x41}));
    EXPECT_EQ((std::vector<uint16_t>{0x0080, 0xF8F7, 0xE05E}), DecodeAll({0x80, 0xFF, 0xFE, 0xA1}));
}

TEST(Cp949, DecodesNothingFromNoBytes) {
    uint16_t unit = 0xBEEF;
    const uint8_t byte = 0x41;
    EXPECT_EQ(0, Cp949_DecodeChar(&unit, &byte, 0));
    EXPECT_EQ(0xBEEF, unit);
}

TEST(Cp949, LeadBytesAre81ToFE) {
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(b >= 0x81 && b <= 0xFE, Cp949_IsLeadByte(uint8_t(b))) << b;
}

struct EncodeCase {
    uint16_t unit;
    std::vector<uint8_t> bytes; // empty: the code page lacks it
};

// clang-format off
const EncodeCase ENCODE_CASES[] = {
    {0x0000, {0x00}},
    {0x0041, {0x41}},
    {0x003F, {0x3F}},
    {0x0080, {0x80}},
    {0xF8F7, {0xFF}},
    {0xAC00, {0xB0, 0xA1}},
    {0xAC02, {0x81, 0x41}},
    {0xD7A3, {0xC6, 0x52}},
    {0xD55C, {0xC7, 0xD1}},
    {0x20AC, {0xA2, 0xE6}},
    {0x4F3D, {0xCA, 0xA1}},
    {0xE000, {0xC9, 0xA1}},
    {0xE0BB, {0xFE, 0xFE}},
    {0x00E9, {}},  // Windows writes 'e', a best-fit character
    {0x00C0, {}},  // Windows writes 'A'
    {0x00A0, {}},
    {0x0081, {}},
    {0xE0BC, {}},  // just past the user-defined rows
    {0xF8F8, {}},
    {0xD800, {}},  // surrogates
    {0xDFFF, {}},
    {0xFFFD, {}},
    {0xFFFF, {}},
};
// clang-format on

TEST(Cp949, EncodesKnownUnits) {
    for (const EncodeCase& c : ENCODE_CASES) {
        SCOPED_TRACE(c.unit);
        uint8_t out[2] = {0xEE, 0xEE};
        const int written = Cp949_EncodeChar(out, c.unit);
        ASSERT_EQ(int(c.bytes.size()), written);
        EXPECT_EQ(c.bytes, std::vector<uint8_t>(out, out + written));
    }
}

// Every sequence with a mapping comes back from its unit, and no other unit
// is carried: 130 single bytes (0x00..0x80, 0xFF) and 17236 pairs.
TEST(Cp949, RoundTripsEveryMappedSequence) {
    std::vector<bool> decoded(0x10000, false);
    int singles = 0;
    int pairs = 0;
    for (int b = 0; b < 256; ++b) {
        if (Cp949_IsLeadByte(uint8_t(b))) continue;
        const uint8_t byte = uint8_t(b);
        uint16_t unit;
        ASSERT_EQ(1, Cp949_DecodeChar(&unit, &byte, 1));
        uint8_t out[2];
        ASSERT_EQ(1, Cp949_EncodeChar(out, unit)) << b;
        EXPECT_EQ(byte, out[0]);
        EXPECT_FALSE(decoded[unit]) << "decoded twice: " << unit;
        decoded[unit] = true;
        ++singles;
    }
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 1; trail < 256; ++trail) {
            const uint8_t pair[2] = {uint8_t(lead), uint8_t(trail)};
            uint16_t unit;
            ASSERT_EQ(2, Cp949_DecodeChar(&unit, pair, 2));
            if (unit == CP949_DEFAULT_UNIT) continue;
            uint8_t out[2] = {0, 0};
            ASSERT_EQ(2, Cp949_EncodeChar(out, unit)) << lead << " " << trail;
            EXPECT_EQ(pair[0], out[0]);
            EXPECT_EQ(pair[1], out[1]);
            EXPECT_FALSE(decoded[unit]) << "decoded twice: " << unit;
            decoded[unit] = true;
            ++pairs;
        }
    }
    EXPECT_EQ(130, singles);
    EXPECT_EQ(17236, pairs);
    int carried = 0;
    for (int u = 0; u < 0x10000; ++u) {
        uint8_t out[2];
        const bool encodes = Cp949_EncodeChar(out, uint16_t(u)) != 0;
        EXPECT_EQ(bool(decoded[u]), encodes) << u;
        carried += encodes;
    }
    EXPECT_EQ(17366, carried);
}

#ifdef _WIN32

const UINT CP_KOREAN = 949;

std::vector<uint16_t> WindowsDecode(const std::vector<uint8_t>& bytes) {
    WCHAR units[8];
    const int n = MultiByteToWideChar(CP_KOREAN, 0, reinterpret_cast<const char*>(bytes.data()),
                                      int(bytes.size()), units, 8);
    return std::vector<uint16_t>(units, units + (n > 0 ? n : 0));
}

// Stops the flood after a few mismatches; the count says how bad it is.
class Mismatches {
  public:
    void Add(const std::string& what) {
        if (++count_ <= 10) ADD_FAILURE() << what;
    }
    int count() const { return count_; }

  private:
    int count_ = 0;
};

std::string Units(const std::vector<uint16_t>& units) {
    std::string text;
    char piece[8];
    for (uint16_t u : units) {
        std::snprintf(piece, sizeof piece, "%04X ", u);
        text += piece;
    }
    return text;
}

TEST(Cp949Windows, LeadBytesAgree) {
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(bool(IsDBCSLeadByteEx(CP_KOREAN, BYTE(b))), Cp949_IsLeadByte(uint8_t(b))) << b;
}

// Every single byte and every lead byte with every trail byte: the same
// units as MultiByteToWideChar(949), also where the sequence is malformed.
TEST(Cp949Windows, DecodingAgreesForEverySequence) {
    Mismatches mismatches;
    int sequences = 0;
    auto check = [&](const std::vector<uint8_t>& bytes) {
        ++sequences;
        const std::vector<uint16_t> windows = WindowsDecode(bytes);
        const std::vector<uint16_t> ours = DecodeAll(bytes);
        if (windows != ours)
            mismatches.Add(Hex(bytes) + "-> Windows " + Units(windows) + ", ours " + Units(ours));
    };
    for (int b = 0; b < 256; ++b)
        check({uint8_t(b)});
    for (int lead = 0x81; lead <= 0xFE; ++lead)
        for (int trail = 0; trail < 256; ++trail)
            check({uint8_t(lead), uint8_t(trail)});
    EXPECT_EQ(256 + 126 * 256, sequences);
    EXPECT_EQ(0, mismatches.count());
}

// Every UTF-16 unit: where WideCharToMultiByte(949) writes a sequence that
// decodes back to the unit, ours writes the same; for every other unit ours
// writes nothing (the callers use '?'), where Windows writes '?' or, for a few
// hundred units, a best-fit character such as 'e' for U+00E9.
TEST(Cp949Windows, EncodingAgreesForEveryUnit) {
    Mismatches mismatches;
    int carried = 0;
    int bestFit = 0;
    for (int u = 0; u < 0x10000; ++u) {
        const WCHAR unit = WCHAR(u);
        char bytes[4];
        BOOL usedDefault = FALSE;
        const int n = WideCharToMultiByte(CP_KOREAN, 0, &unit, 1, bytes, 4, nullptr, &usedDefault);
        ASSERT_GT(n, 0) << u;
        const std::vector<uint8_t> windows(bytes, bytes + n);
        const bool roundTrip = WindowsDecode(windows) == std::vector<uint16_t>{uint16_t(u)};
        uint8_t out[2];
        const int written = Cp949_EncodeChar(out, uint16_t(u));
        const std::vector<uint8_t> ours(out, out + written);
        char name[8];
        std::snprintf(name, sizeof name, "%04X", u);
        if (roundTrip) {
            ++carried;
            if (ours != windows)
                mismatches.Add(std::string("U+") + name + ": Windows " + Hex(windows) + ", ours " +
                               Hex(ours));
        } else {
            bestFit += !usedDefault;
            if (written != 0)
                mismatches.Add(std::string("U+") + name + " is not carried, ours " + Hex(ours));
        }
    }
    EXPECT_EQ(17366, carried);
    EXPECT_EQ(0, mismatches.count());
    std::printf("code page 949 under this Windows: %d units carried, %d best-fit units\n", carried,
                bestFit);
}

#endif // _WIN32

} // namespace
