// The project's own code page 949 tables (textlib/cp949.h): known and
// malformed sequences, and a round trip over every sequence. Windows build,
// under Wine with code page 949: the same as the platform for every byte,
// every lead byte with any trail byte, and every UTF-16 unit.
#include "textlib/cp949.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using Units = std::vector<uint16_t>;
using Bytes = std::vector<uint8_t>;

// A byte below 0x100, else lead byte and trail byte.
Bytes Sequence(int code) {
    return code < 0x100 ? Bytes{uint8_t(code)} : Bytes{uint8_t(code >> 8), uint8_t(code)};
}

Units DecodeAll(const Bytes& bytes) {
    Units units;
    for (uint32_t at = 0, used; at < bytes.size(); at += used) {
        uint16_t unit = 0xBEEF;
        used = uint32_t(Cp949_DecodeChar(&unit, bytes.data() + at, uint32_t(bytes.size() - at)));
        if (used == 0) break;
        units.push_back(unit);
    }
    return units;
}

TEST(Cp949, DecodesKnownSequences) {
    // clang-format off
    const std::pair<Bytes, Units> cases[] = {
        {{0x41, 0x00, 0x7F, 0x80, 0xFF}, {0x41, 0, 0x7F, 0x0080, 0xF8F7}}, // 80 and FF lead nothing
        {{0xB0, 0xA1, 0xC8, 0xFE, 0xCA, 0xA1, 0xFD, 0xFE}, {0xAC00, 0xD79D, 0x4F3D, 0x8A70}},
        {{0x81, 0x41, 0xC6, 0x52, 0xA0, 0xFE, 0xC7, 0xD1}, {0xAC02, 0xD7A3, 0xC8A4, 0xD55C}},
        {{0xA1, 0xA1, 0xA2, 0xE6, 0xA2, 0xE7, 0xA4, 0xA1, 0xA1, 0xCB},
         {0x3000, 0x20AC, 0x00AE, 0x3131, 0xFFE0}},
        {{0xC9, 0xA1, 0xC9, 0xFE, 0xFE, 0xA1, 0xFE, 0xFE}, {0xE000, 0xE05D, 0xE05E, 0xE0BB}},
        {{0x41, 0xB0}, {0x41, 0x3F}},           // a lone lead byte at the end
        {{0xB0, 0x00, 0x41}, {0x3F, 0, 0x41}},  // a NUL is never a trail byte
        {{0xB0, 0x20, 0x41}, {0x3F, 0x41}},     // a trail byte without a mapping is consumed
        {{0x81, 0x01, 0xA1, 0xFF, 0xA2, 0xE8, 0xC9, 0x41, 0xC7, 0x41, 0xFE, 0xFF},
         {0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F}}}; // holes, and rows without an extended part
    // clang-format on
    for (const auto& [bytes, units] : cases)
        EXPECT_EQ(DecodeAll(bytes), units) << ::testing::PrintToString(bytes);
    uint16_t unit = 0xBEEF;
    EXPECT_EQ(Cp949_DecodeChar(&unit, reinterpret_cast<const uint8_t*>("A"), 0), 0);
    EXPECT_EQ(unit, 0xBEEF);
}

TEST(Cp949, RoundTripsEveryMappedSequenceAndCarriesNothingElse) {
    std::vector<bool> decoded(0x10000, false);
    for (int code = 0; code < 0xFF00; ++code) {
        const Bytes bytes = Sequence(code);
        const bool pair = bytes.size() == 2;
        if (Cp949_IsLeadByte(bytes[0]) != pair || (pair && bytes[1] == 0)) continue;
        const Units units = DecodeAll(bytes);
        ASSERT_EQ(units.size(), 1u) << code;
        if (units[0] == CP949_DEFAULT_UNIT && code != CP949_DEFAULT_BYTE) continue;
        uint8_t out[2] = {0, 0};
        ASSERT_EQ(Cp949_EncodeChar(out, units[0]), int(bytes.size())) << code;
        EXPECT_EQ(Bytes(out, out + bytes.size()), bytes);
        decoded[units[0]] = true;
    }
    for (int u = 0; u < 0x10000; ++u) {
        uint8_t out[2];
        EXPECT_EQ(Cp949_EncodeChar(out, uint16_t(u)) != 0, bool(decoded[u])) << u;
    }
}

#ifdef _WIN32

Units WindowsDecode(const Bytes& bytes) {
    WCHAR units[8];
    const int n = MultiByteToWideChar(949, 0, reinterpret_cast<const char*>(bytes.data()),
                                      int(bytes.size()), units, 8);
    return Units(units, units + (n > 0 ? n : 0));
}

// Every single byte and every lead byte with any trail byte decode alike,
// malformed sequences included. Every UTF-16 unit that WideCharToMultiByte
// writes as a sequence that decodes back to it, ours writes the same way;
// for any other unit ours writes nothing (the callers write '?'), where
// Windows writes '?' or a best-fit character such as 'e' for U+00E9.
TEST(Cp949Windows, AgreesForEverySequenceAndEveryUnit) {
    int mismatches = 0;
    for (int code = 0; code < 0x10000; ++code) {
        const Bytes bytes = Sequence(code);
        if (code < 0x100 && bool(IsDBCSLeadByteEx(949, bytes[0])) != Cp949_IsLeadByte(bytes[0]) &&
            ++mismatches <= 10)
            ADD_FAILURE() << "lead byte " << code;
        const bool decodes = code < 0x100 || Cp949_IsLeadByte(bytes[0]);
        if (decodes && WindowsDecode(bytes) != DecodeAll(bytes) && ++mismatches <= 10)
            ADD_FAILURE() << ::testing::PrintToString(bytes) << ": Windows "
                          << ::testing::PrintToString(WindowsDecode(bytes)) << ", ours "
                          << ::testing::PrintToString(DecodeAll(bytes));
        const WCHAR unit = WCHAR(code);
        char written[4];
        const int n = WideCharToMultiByte(949, 0, &unit, 1, written, 4, nullptr, nullptr);
        Bytes windows(written, written + (n > 0 ? n : 0));
        if (WindowsDecode(windows) != Units{unit}) windows.clear();
        uint8_t out[2];
        const Bytes ours(out, out + Cp949_EncodeChar(out, unit));
        if (ours != windows && ++mismatches <= 10)
            ADD_FAILURE() << "U+" << std::hex << code << ": Windows "
                          << ::testing::PrintToString(windows) << ", ours "
                          << ::testing::PrintToString(ours);
    }
    EXPECT_EQ(mismatches, 0);
}

#endif // _WIN32

} // namespace
