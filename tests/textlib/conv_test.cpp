// Code page conversion (textlib/conv.h), the same expectations in both builds (so the Linux
// backend converts as the Win32 one does under code page 949): texts both ways, malformed
// input, the limits, the rotating slots and Ansi_DecodeChar.
#include "textlib/conv.h"
#include "tests/support/testdir.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

const char* const HAN = "\xC7\xD1";          // U+D55C in code page 949
const char* const HAN_UTF8 = "\xED\x95\x9C"; // and in UTF-8
const std::string NUL("\0null", 5);          // a null result, kept apart from any text
const auto Kept = [](const char* result) { return result ? std::string(result) : NUL; };

TEST(Conv, TextsConvertUpToTheLimitsAndTheRestBecomesTheDefaultCharacter) {
    // clang-format off
    const std::pair<std::string, std::string> both[] = { // ANSI, UTF-8
        {"", ""}, {"abc", "abc"}, {"\x80\xFF", "\xC2\x80\xEF\xA3\xB7"}, // U+0080 and U+F8F7
        {"\xC7\xD1\xB1\xDB \xB0\xA1", "\xED\x95\x9C\xEA\xB8\x80 \xEA\xB0\x80"},
        {"\xC9\xA1\xFE\xFE", "\xEE\x80\x80\xEE\x82\xBB"}, // user-defined rows: U+E000..U+E0BB
        {"\x81\x41\xA2\xE6", "\xEA\xB0\x82\xE2\x82\xAC"}, // extended Hangul, euro sign
        {std::string(8190, 'a'), std::string(8190, 'a')}, // 8190 units and bytes
        {Repeat(HAN, 2730), Repeat(HAN_UTF8, 2730)}};     // 8190 bytes of UTF-8
    const std::tuple<bool, std::string, std::string> one[] = { // from ANSI?, text, result
        {false, Repeat(HAN_UTF8, 4095), Repeat(HAN, 4095)}, {true, std::string(8191, 'a'), NUL},
        {true, Repeat(HAN, 2731), NUL}, {false, std::string(8191, 'a'), NUL},
        {false, Repeat(HAN_UTF8, 4096), NUL},
        {true, "A\xB0", "A?"}, {true, "\xB0\x20\x41", "?A"}, // a bad trail byte goes with its lead
        {true, "\xA2\xE8Z", "?Z"}, {true, "\xC9\x41\xC7\xD1", "?\xED\x95\x9C"}, // no mapping
        {false, "\xEE\x82\xBC", "?"},       // U+E0BC, past the user-defined rows
        {false, "\xE2\x98\x83", "?"},       // U+2603, without a best fit on Windows either
        {false, "\xF0\x9F\x98\x80", "??"},  // above U+FFFF: each surrogate becomes '?'
        {false, "\xEF\xBF\xBD", "?"}, {false, "\xFF", "?"}, {false, "\x80", "?"}, // U+FFFD
        {false, "\xC0\x80", "??"}, {false, "\xE0\x80\x41", "?A"}, // C0 never valid, overlong: one
        {false, "\xED\xA0\x80", "??"},      // a surrogate: ED A0, then 80
        {false, "\xF4\x90\x80\x80", "???"}, // above U+10FFFF: F4 90, 80, 80
        {false, "\xE4\xB8", "?"}, {false, "A\xF0\x41", "A?"}, // cut short: all to the end
        {false, "\xE4\x41\x42", "?AB"}, {false, "\xC3\x28", "?("}}; // only the lead byte is bad
    // clang-format on
    for (const auto& [ansi, utf8] : both) {
        EXPECT_EQ(Kept(Conv_AnsiToUtf8(ansi.c_str())), utf8) << ansi.size();
        EXPECT_EQ(Kept(Conv_Utf8ToAnsi(utf8.c_str())), ansi) << utf8.size();
    }
    for (const auto& [ansi, from, to] : one)
        EXPECT_EQ(Kept(ansi ? Conv_AnsiToUtf8(from.c_str()) : Conv_Utf8ToAnsi(from.c_str())), to)
            << from.substr(0, 8) << " of " << from.size();
}

TEST(Conv, EightRotatingSlotsSharedByBothDirectionsAndFailuresAndAnsiDecodeChar) {
    const char* kept[6];
    for (int i = 0; i < 6; ++i) // "a" to "f", either way in turn
        kept[i] = (i % 2 ? Conv_Utf8ToAnsi : Conv_AnsiToUtf8)(&"a\0b\0c\0d\0e\0f"[2 * i]);
    EXPECT_EQ(Conv_AnsiToUtf8(std::string(8191, 'x').c_str()), nullptr);
    EXPECT_EQ(Conv_Utf8ToAnsi(std::string(8191, 'x').c_str()), nullptr);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(Kept(kept[i]), std::string(1, char('a' + i)));
    EXPECT_EQ(Conv_Utf8ToAnsi("z"), kept[0]); // the ninth conversion takes the first slot
    EXPECT_STREQ(kept[0], "z");
    // clang-format off
    const std::tuple<std::vector<uint8_t>, int, uint32_t> cases[] = { // bytes, used, unit
        {{0x41, 0xB0}, 1, 0x41}, {{0xB0, 0xA1}, 2, 0xAC00}, {{0xB0, 0xA1, 0x41}, 2, 0xAC00},
        {{0xB0, 0x20}, 2, 0x3F}, {{0x80}, 1, 0x80}, {{0xFF, 0xA1}, 1, 0xF8F7}, {{0x00}, 1, 0},
        {{0xC9, 0xA1}, 2, 0xE000}, {{0xB0}, 1, 0x3F}, // a lead byte alone uses one byte
        {{0xB0, 0x00}, 2, 0}}; // Windows makes two units of it: rejected
    // clang-format on
    for (const auto& [bytes, used, unit] : cases) {
        uint32_t got = 0xBEEF;
        const int n = Ansi_DecodeChar(&got, bytes.data(), uint32_t(bytes.size()));
        EXPECT_EQ(std::make_pair(n, got), std::make_pair(used, unit))
            << testing::PrintToString(bytes);
    }
}

} // namespace
