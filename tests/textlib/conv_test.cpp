// Code page conversion (textlib/conv.h), the same expectations in both builds:
// texts both ways, malformed input, the limits, the rotating slots and
// Ansi_DecodeChar. Windows build, under Wine with code page 949: the Linux
// backend, compiled in under other names, converts as the Win32 one does.
#include "textlib/conv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace {

std::string Repeat(const char* piece, int times) {
    std::string text;
    while (times-- > 0)
        text += piece;
    return text;
}
const char* const HAN = "\xC7\xD1";          // U+D55C in code page 949
const char* const HAN_UTF8 = "\xED\x95\x9C"; // and in UTF-8

// A null result, kept apart from any text.
std::string Kept(const char* result) {
    return result ? std::string(result) : std::string("\0null", 5);
}

TEST(Conv, TextsConvertBothWaysUpToTheLimits) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"abc", "abc"},
        {"\xC7\xD1\xB1\xDB \xB0\xA1", "\xED\x95\x9C\xEA\xB8\x80 \xEA\xB0\x80"},
        {"\x80\xFF", "\xC2\x80\xEF\xA3\xB7"},             // U+0080 and U+F8F7
        {"\xC9\xA1\xFE\xFE", "\xEE\x80\x80\xEE\x82\xBB"}, // user-defined rows: U+E000..U+E0BB
        {"\x81\x41\xA2\xE6", "\xEA\xB0\x82\xE2\x82\xAC"}, // extended Hangul, euro sign
        {std::string(8190, 'a'), std::string(8190, 'a')}, // 8190 units and bytes
        {Repeat(HAN, 2730), Repeat(HAN_UTF8, 2730)},      // 8190 bytes of UTF-8
    };
    for (const auto& [ansi, utf8] : cases) {
        EXPECT_EQ(Kept(Conv_AnsiToUtf8(ansi.c_str())), utf8) << ansi.size();
        EXPECT_EQ(Kept(Conv_Utf8ToAnsi(utf8.c_str())), ansi) << utf8.size();
    }
    EXPECT_EQ(Kept(Conv_Utf8ToAnsi(Repeat(HAN_UTF8, 4095).c_str())), Repeat(HAN, 4095));
    for (const std::string& text : {std::string(8191, 'a'), Repeat(HAN, 2731)})
        EXPECT_EQ(Conv_AnsiToUtf8(text.c_str()), nullptr) << text.size();
    for (const std::string& text : {std::string(8191, 'a'), Repeat(HAN_UTF8, 4096)})
        EXPECT_EQ(Conv_Utf8ToAnsi(text.c_str()), nullptr) << text.size();
}

TEST(Conv, MalformedInputAndWhatTheCodePageLacksBecomeTheDefaultCharacter) {
    // clang-format off
    const std::tuple<bool, const char*, const char*> cases[] = { // from ANSI?, text, result
        {true, "A\xB0", "A?"}, {true, "\xB0\x20\x41", "?A"}, // a bad trail byte goes with its lead
        {true, "\xA2\xE8Z", "?Z"}, {true, "\xC9\x41\xC7\xD1", "?\xED\x95\x9C"}, // no mapping
        {false, "\xEE\x82\xBC", "?"},       // U+E0BC, past the user-defined rows
        {false, "\xE2\x98\x83", "?"},       // U+2603, without a best fit on Windows either
        {false, "\xF0\x9F\x98\x80", "??"},  // above U+FFFF: each surrogate becomes '?'
        {false, "\xEF\xBF\xBD", "?"}, {false, "\xFF", "?"}, {false, "\x80", "?"}, // U+FFFD
        {false, "\xC0\x80", "??"},          // C0 is never valid
        {false, "\xE0\x80\x41", "?A"},      // an overlong form is one U+FFFD
        {false, "\xED\xA0\x80", "??"},      // a surrogate: ED A0, then 80
        {false, "\xF4\x90\x80\x80", "???"}, // above U+10FFFF: F4 90, 80, 80
        {false, "\xE4\xB8", "?"}, {false, "A\xF0\x41", "A?"}, // cut short: all to the end
        {false, "\xE4\x41\x42", "?AB"}, {false, "\xC3\x28", "?("}}; // only the lead byte is bad
    // clang-format on
    for (const auto& [ansi, from, to] : cases)
        EXPECT_EQ(Kept(ansi ? Conv_AnsiToUtf8(from) : Conv_Utf8ToAnsi(from)), to) << from;
#ifdef _WIN32 // the one allowed difference: Windows may write a best-fit character
    EXPECT_EQ(Kept(Conv_Utf8ToAnsi("caf\xC3\xA9")), "cafe");
#else
    EXPECT_EQ(Kept(Conv_Utf8ToAnsi("caf\xC3\xA9")), "caf?");
#endif
}

TEST(Conv, EightRotatingSlotsSharedByBothDirectionsAndFailures) {
    const std::string tooLong(8191, 'x');
    const char* const texts[] = {"a", "b", "c", "d", "e", "f"};
    const char* kept[6];
    for (int i = 0; i < 6; ++i)
        kept[i] = i % 2 ? Conv_Utf8ToAnsi(texts[i]) : Conv_AnsiToUtf8(texts[i]);
    EXPECT_EQ(Conv_AnsiToUtf8(tooLong.c_str()), nullptr);
    EXPECT_EQ(Conv_Utf8ToAnsi(tooLong.c_str()), nullptr);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(Kept(kept[i]), texts[i]);
    EXPECT_EQ(Conv_Utf8ToAnsi("z"), kept[0]); // the ninth conversion takes the first slot
    EXPECT_STREQ(kept[0], "z");
}

TEST(Conv, AnsiDecodeChar) {
    // clang-format off
    const std::tuple<std::vector<uint8_t>, int, uint32_t> cases[] = { // bytes, used, unit
        {{0x41, 0xB0}, 1, 0x41}, {{0xB0, 0xA1}, 2, 0xAC00}, {{0xB0, 0xA1, 0x41}, 2, 0xAC00},
        {{0xB0}, 1, 0x3F},       // a lead byte with one byte available uses that byte
        {{0xB0, 0x00}, 2, 0},    // Windows makes two units of it: rejected
        {{0xB0, 0x20}, 2, 0x3F}, {{0x80}, 1, 0x80}, {{0xFF, 0xA1}, 1, 0xF8F7},
        {{0xC9, 0xA1}, 2, 0xE000}, {{0x00}, 1, 0}};
    // clang-format on
    for (const auto& [bytes, used, unit] : cases) {
        uint32_t got = 0xBEEF;
        EXPECT_EQ(Ansi_DecodeChar(&got, bytes.data(), uint32_t(bytes.size())), used)
            << ::testing::PrintToString(bytes);
        EXPECT_EQ(got, unit) << ::testing::PrintToString(bytes);
    }
}

} // namespace

#ifdef _WIN32

#include <windows.h>

// The Linux backend under other names, beside the Win32 one.
#define Conv_AnsiToUtf8 LinuxConv_AnsiToUtf8
#define Conv_Utf8ToAnsi LinuxConv_Utf8ToAnsi
#define Ansi_DecodeChar LinuxAnsi_DecodeChar
#include "textlib/conv_posix.cpp"
#undef Conv_AnsiToUtf8
#undef Conv_Utf8ToAnsi
#undef Ansi_DecodeChar

namespace {

TEST(ConvWindows, AnsiCodePageIs949) {
    ASSERT_EQ(GetACP(), 949u) << "run with LC_ALL=ko_KR.UTF-8 (scripts/wine-env.sh)";
}

int mismatches = 0; // texts the two backends convert differently

// Converts the text with both backends, reports the first few differences
// (a long text by its length and end) and returns whether Windows converted it.
bool Compare(const std::string& text, bool fromAnsi) {
    const std::string windows =
        Kept(fromAnsi ? Conv_AnsiToUtf8(text.c_str()) : Conv_Utf8ToAnsi(text.c_str()));
    const std::string onLinux =
        Kept(fromAnsi ? LinuxConv_AnsiToUtf8(text.c_str()) : LinuxConv_Utf8ToAnsi(text.c_str()));
    auto show = [](const std::string& s) {
        return std::to_string(s.size()) + " bytes " +
               ::testing::PrintToString(s.substr(s.size() > 24 ? s.size() - 24 : 0));
    };
    if (windows != onLinux && ++mismatches <= 10)
        ADD_FAILURE() << (fromAnsi ? "ANSI " : "UTF-8 ") << show(text) << ": Windows "
                      << show(windows) << ", Linux " << show(onLinux);
    return windows != Kept(nullptr);
}

// Units that WideCharToMultiByte(CP_ACP) writes as another character: the
// allowed difference, where Linux writes '?'.
std::vector<bool> BestFitUnits() {
    std::vector<bool> bestFit(0x10000);
    for (int u = 0; u < 0x10000; ++u) {
        const WCHAR unit = WCHAR(u);
        WCHAR back[4];
        char bytes[4];
        BOOL usedDefault = FALSE;
        const int n = WideCharToMultiByte(CP_ACP, 0, &unit, 1, bytes, 4, nullptr, &usedDefault);
        bestFit[u] = !usedDefault &&
                     !(MultiByteToWideChar(CP_ACP, 0, bytes, n, back, 4) == 1 && back[0] == unit);
    }
    return bestFit;
}

// Any value in the UTF-8 form of its size, surrogates and values past
// U+10FFFF included.
std::string Utf8Form(uint32_t u) {
    const int more = u < 0x80 ? 0 : u < 0x800 ? 1 : u < 0x10000 ? 2 : 3;
    std::string text(1, char(more ? 0xFF << (7 - more) | u >> 6 * more : u));
    for (int i = more - 1; i >= 0; --i)
        text += char(0x80 | (u >> 6 * i & 0x3F));
    return text;
}

// Every one- and two-byte ANSI character, after another one and before a
// lone lead byte (a trail byte 0x00 ends the text), and every UTF-16 unit in
// UTF-8 (surrogates in the three-byte form the decoders reject) convert
// alike; where Windows writes a best-fit character for a unit, Linux writes '?'.
TEST(ConvWindows, EveryCharacterConvertsAlike) {
    const std::vector<bool> bestFit = BestFitUnits();
    mismatches = 0;
    for (uint32_t code = 1; code < 0x10000; ++code) {
        if (code >= 0x100) Compare({'A', char(code >> 8), char(code), '\xB0'}, true);
        const std::string text = Utf8Form(code);
        if (!bestFit[code]) {
            Compare(text, false);
        } else if (Kept(LinuxConv_Utf8ToAnsi(text.c_str())) != "?" ||
                   Kept(Conv_Utf8ToAnsi(text.c_str())) == "?") {
            ADD_FAILURE() << "best fit U+" << std::hex << code;
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_LT(std::count(bestFit.begin(), bestFit.end(), true), 1000);
}

// Seeded random texts of pieces that stress both decoders; half of them
// start with a long run close to one of the limits, so that the pieces after
// it decide whether they fit.
TEST(ConvWindows, RandomTextsConvertAlike) {
    const uint32_t seed = 949;
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    auto pick = [&](uint32_t n) { return uint32_t(random() % n); };
    const std::vector<bool> bestFit = BestFitUnits();
    mismatches = 0;
    const int rounds = 20000;
    int ansiConverted = 0, utf8Converted = 0, skipped = 0;
    for (int round = 0; round < rounds; ++round) {
        const uint32_t start = pick(6);
        std::string text = start == 0   ? std::string(8150 + pick(60), 'a')
                           : start == 1 ? Repeat(HAN, 2700 + pick(40))
                           : start == 2 ? Repeat(HAN_UTF8, 4070 + pick(40))
                                        : "";
        for (uint32_t n = 1 + pick(pick(10) == 0 ? 60 : 8); n > 0; --n) {
            uint32_t u = 0x80 + pick(0x10000 - 0x80);
            switch (pick(5)) {
            case 0: text += char(0x20 + pick(0x5F)); break;
            case 1: text += char(0x80 + pick(0x80)); break;                         // alone
            case 2: text += {char(0x81 + pick(0x7E)), char(1 + pick(0xFF))}; break; // any pair
            case 3: text += Utf8Form(bestFit[u] ? 0x41 : u); break;
            default: text += Utf8Form(0x10000 + pick(0x101000)); break; // maybe past U+10FFFF
            }
        }
        ansiConverted += Compare(text, true);
        // Random bytes may spell a best-fit character: such texts are left out.
        std::vector<WCHAR> wide(text.size() + 1);
        MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), int(wide.size()));
        if (std::any_of(wide.begin(), wide.end(), [&](WCHAR c) { return bestFit[c]; }))
            ++skipped;
        else
            utf8Converted += Compare(text, false);
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_LT(skipped, rounds / 10);
    // The limits are met often, but not too often.
    for (int converted : {ansiConverted, utf8Converted})
        EXPECT_TRUE(converted > rounds / 4 && converted < rounds * 9 / 10) << converted;
}

} // namespace

#endif // _WIN32
