// The project's own code page 949 tables (textlib/cp949.h): known and malformed sequences and
// a round trip over every sequence; in the Windows build, under Wine with code page 949, the
// same as the platform for every byte, every lead byte with any trail byte and every unit.
#include "textlib/cp949.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using Units = std::vector<uint16_t>;
using Bytes = std::vector<uint8_t>;

Bytes Sequence(int code) { // a byte below 0x100, else lead byte and trail byte
    return code < 0x100 ? Bytes{uint8_t(code)} : Bytes{uint8_t(code >> 8), uint8_t(code)};
}

Units DecodeAll(const Bytes& bytes) {
    Units units;
    uint16_t unit = 0xBEEF;
    for (uint32_t at = 0, used = 1; at < bytes.size() && used; at += used)
        if ((used = uint32_t(Cp949_DecodeChar(&unit, &bytes[at], uint32_t(bytes.size() - at)))))
            units.push_back(unit);
    return units;
}

TEST(Cp949, DecodesKnownSequences) {
    const std::pair<Bytes, Units> cases[] = {
        {{0x41, 0x00, 0x7F, 0x80, 0xFF}, {0x41, 0, 0x7F, 0x0080, 0xF8F7}}, // 80 and FF lead nothing
        {{0xB0, 0xA1, 0xC8, 0xFE, 0xCA, 0xA1, 0xFD, 0xFE}, {0xAC00, 0xD79D, 0x4F3D, 0x8A70}},
        {{0x81, 0x41, 0xC6, 0x52, 0xA0, 0xFE, 0xC7, 0xD1}, {0xAC02, 0xD7A3, 0xC8A4, 0xD55C}},
        {{0xA1, 0xA1, 0xA2, 0xE6, 0xA2, 0xE7, 0xA1, 0xCB}, {0x3000, 0x20AC, 0x00AE, 0xFFE0}},
        {{0xC9, 0xA1, 0xC9, 0xFE, 0xFE, 0xA1, 0xFE, 0xFE}, {0xE000, 0xE05D, 0xE05E, 0xE0BB}},
        // A trail byte without a mapping is consumed, a NUL never is one; a lone lead at the end.
        {{0xB0, 0x20, 0x41, 0xB0, 0x00, 0x41, 0xB0}, {0x3F, 0x41, 0x3F, 0, 0x41, 0x3F}},
        {{0x81, 0x01, 0xA1, 0xFF, 0xA2, 0xE8, 0xC9, 0x41, 0xC7, 0x41, 0xFE, 0xFF},
         {0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F}}}; // holes, and rows without an extended part
    for (const auto& [bytes, units] : cases)
        EXPECT_EQ(DecodeAll(bytes), units) << ::testing::PrintToString(bytes);
    EXPECT_EQ(Cp949_DecodeChar(nullptr, nullptr, 0), 0); // nothing to decode, nothing stored
}

// Every sequence that decodes to a character other than the default one
// encodes back to itself, and no other character encodes.
TEST(Cp949, RoundTripsEveryMappedSequenceAndCarriesNothingElse) {
    std::vector<bool> decoded(0x10000, false);
    uint8_t out[2] = {};
    for (int code = 0; code < 0xFF00; ++code) {
        const Bytes bytes = Sequence(code);
        const Units units = DecodeAll(bytes);
        if (units.size() != 1 || (units[0] == CP949_DEFAULT_UNIT && code != CP949_DEFAULT_BYTE))
            continue; // a lead byte alone, a byte and a NUL, two characters, or no mapping
        ASSERT_EQ(Bytes(out, out + Cp949_EncodeChar(out, units[0])), bytes) << code;
        decoded[units[0]] = true;
    }
    for (int u = 0; u < 0x10000; ++u)
        EXPECT_EQ(Cp949_EncodeChar(out, uint16_t(u)) != 0, bool(decoded[u])) << u;
}

#ifdef _WIN32
// Each UTF-16 unit that Windows writes as a sequence decoding back to it, ours writes alike, and
// any other not at all (the callers write '?' where Windows may write a best-fit character).
TEST(Cp949Windows, AgreesForEverySequenceAndEveryUnit) {
    auto decode = [](const Bytes& b) {
        WCHAR units[8];
        const int n = MultiByteToWideChar(949, 0, (const char*)b.data(), int(b.size()), units, 8);
        return Units(units, units + std::max(n, 0));
    };
    for (int code = 0; code < 0x10000; ++code) {
        const Bytes bytes = Sequence(code);
        const bool lead = Cp949_IsLeadByte(bytes[0]), decodes = code < 0x100 || lead;
        const WCHAR unit = WCHAR(code);
        char written[4];
        const int n = WideCharToMultiByte(949, 0, &unit, 1, written, 4, nullptr, nullptr);
        Bytes windows(written, written + std::max(n, 0)), ours(2);
        if (decode(windows) != Units{unit}) windows.clear();
        ours.resize(size_t(Cp949_EncodeChar(ours.data(), unit)));
        // Lead bytes, the decoding of the sequence and the writing of the unit, as Windows.
        ASSERT_EQ(std::make_tuple(code < 0x100 ? bool(IsDBCSLeadByteEx(949, bytes[0])) : lead,
                                  decodes ? decode(bytes) : Units{}, ours),
                  std::make_tuple(lead, decodes ? DecodeAll(bytes) : Units{}, windows))
            << std::hex << code;
    }
}
#endif // _WIN32

} // namespace
