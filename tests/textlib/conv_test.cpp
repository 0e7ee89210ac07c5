// Tests of the code page conversion (textlib/conv.h), in both builds with
// the same expectations, so that the Linux build is held to what the Windows
// build does under Wine with code page 949:
// - Korean text: two bytes a character become three UTF-8 bytes, and back;
// - the eight rotating slots: the ninth conversion overwrites the first one's
//   result, the eighth stays intact, and failed conversions use up slots too;
// - the limits: 8190 ASCII characters convert, 8191 give null, and the same
//   for the UTF-8 side of Korean text;
// - malformed input on either side (lone and cut lead bytes, pairs without a
//   mapping, invalid and cut UTF-8, surrogates, characters above U+FFFF) and
//   characters the code page lacks;
// - Ansi_DecodeChar, including a lead byte with only one byte available.
// Windows build only: the ANSI code page must be 949 (a run under another
// locale fails loudly here instead of testing code page 1252), and the Linux
// backend, compiled into this test under other names, must give the same
// results as the Win32 one for every one- and two-byte ANSI character, every
// UTF-16 unit written as UTF-8, and many seeded random texts.
#include "textlib/conv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

std::string Korean(int characters) {
    std::string text;
    for (int i = 0; i < characters; ++i)
        text += "\xC7\xD1"; // U+D55C in code page 949
    return text;
}

std::string KoreanUtf8(int characters) {
    std::string text;
    for (int i = 0; i < characters; ++i)
        text += "\xED\x95\x9C";
    return text;
}

TEST(Conv, KoreanTextTakesThreeUtf8BytesPerCharacterAndComesBack) {
    const char* ansi = "\xC7\xD1\xB1\xDB \xB0\xA1"; // "han-geul ga"
    const char* utf8 = Conv_AnsiToUtf8(ansi);
    ASSERT_NE(nullptr, utf8);
    EXPECT_STREQ("\xED\x95\x9C\xEA\xB8\x80 \xEA\xB0\x80", utf8);
    const char* back = Conv_Utf8ToAnsi(utf8);
    ASSERT_NE(nullptr, back);
    EXPECT_STREQ(ansi, back);
}

TEST(Conv, EmptyTextStaysEmpty) {
    ASSERT_NE(nullptr, Conv_AnsiToUtf8(""));
    EXPECT_STREQ("", Conv_AnsiToUtf8(""));
    ASSERT_NE(nullptr, Conv_Utf8ToAnsi(""));
    EXPECT_STREQ("", Conv_Utf8ToAnsi(""));
}

TEST(Conv, NinthConversionReusesTheFirstSlot) {
    const char* results[9];
    const std::string texts[9] = {"t0", "t1", "t2", "t3", "t4", "t5", "t6", "t7", "t8"};
    for (int i = 0; i < 9; ++i) {
        results[i] = Conv_AnsiToUtf8(texts[i].c_str());
        ASSERT_NE(nullptr, results[i]);
    }
    EXPECT_EQ(results[0], results[8]);
    EXPECT_STREQ("t8", results[0]);
    EXPECT_STREQ("t7", results[7]);
    for (int i = 1; i < 8; ++i)
        EXPECT_NE(results[0], results[i]);
}

TEST(Conv, BothDirectionsShareTheRings) {
    const char* first = Conv_AnsiToUtf8("a");
    for (int i = 0; i < 7; ++i)
        ASSERT_NE(nullptr, Conv_Utf8ToAnsi("b"));
    EXPECT_STREQ("a", first);
    EXPECT_EQ(first, Conv_Utf8ToAnsi("c"));
}

TEST(Conv, FailedConversionsUseUpSlotsToo) {
    const std::string tooLong(8191, 'x');
    const char* first = Conv_AnsiToUtf8("a");
    for (int i = 0; i < 7; ++i)
        ASSERT_EQ(nullptr, Conv_AnsiToUtf8(tooLong.c_str()));
    EXPECT_STREQ("a", first);
    EXPECT_EQ(first, Conv_AnsiToUtf8("b"));
}

TEST(Conv, AsciiOf8190CharactersConvertsAnd8191DoesNot) {
    const std::string fits(8190, 'a');
    const std::string tooLong(8191, 'a');
    const char* utf8 = Conv_AnsiToUtf8(fits.c_str());
    ASSERT_NE(nullptr, utf8);
    EXPECT_EQ(fits, utf8);
    const char* ansi = Conv_Utf8ToAnsi(fits.c_str());
    ASSERT_NE(nullptr, ansi);
    EXPECT_EQ(fits, ansi);
    EXPECT_EQ(nullptr, Conv_AnsiToUtf8(tooLong.c_str()));
    EXPECT_EQ(nullptr, Conv_Utf8ToAnsi(tooLong.c_str()));
}

// 2730 Korean characters are 8190 UTF-8 bytes: with the terminator they just
// fit; one more does not, although its UTF-16 form is short.
TEST(Conv, KoreanTextIsLimitedByItsUtf8Length) {
    const char* utf8 = Conv_AnsiToUtf8(Korean(2730).c_str());
    ASSERT_NE(nullptr, utf8);
    EXPECT_EQ(KoreanUtf8(2730), utf8);
    EXPECT_EQ(nullptr, Conv_AnsiToUtf8(Korean(2731).c_str()));
    EXPECT_EQ(nullptr, Conv_AnsiToUtf8(Korean(4095).c_str()));

    const char* ansi = Conv_Utf8ToAnsi(KoreanUtf8(2730).c_str());
    ASSERT_NE(nullptr, ansi);
    EXPECT_EQ(Korean(2730), ansi);
    // 4095 characters: 4096 UTF-16 units are too many, though the result would fit.
    EXPECT_NE(nullptr, Conv_Utf8ToAnsi(KoreanUtf8(4094).c_str()));
    EXPECT_EQ(nullptr, Conv_Utf8ToAnsi(KoreanUtf8(8191).c_str()));
}

struct TextCase {
    const char* from;
    const char* to;
};

// ANSI (code page 949) to UTF-8, as Windows does it under Wine.
// clang-format off
const TextCase ANSI_CASES[] = {
    {"abc", "abc"},
    {"\x80", "\xC2\x80"},                // 0x80 is U+0080
    {"\xFF", "\xEF\xA3\xB7"},            // 0xFF is U+F8F7
    {"\xC9\xA1", "\xEE\x80\x80"},        // user-defined rows: U+E000..
    {"\xFE\xFE", "\xEE\x82\xBB"},        // ..U+E0BB
    {"\x81\x41", "\xEA\xB0\x82"},        // extended Hangul
    {"\xA2\xE6", "\xE2\x82\xAC"},        // euro sign
    {"A\xB0", "A?"},                     // lead byte at the end
    {"\xB0", "?"},
    {"\xB0\x20\x41", "?A"},              // a bad trail byte is consumed with its lead
    {"\xA2\xE8Z", "?Z"},                 // a pair without a mapping
    {"\xC9\x41\xC7\xD1", "?\xED\x95\x9C"},
};
// clang-format on

// clang-format off
const TextCase UTF8_CASES[] = {
    {"abc", "abc"},
    {"\xC2\x80", "\x80"},
    {"\xEF\xA3\xB7", "\xFF"},
    {"\xEE\x80\x80", "\xC9\xA1"},
    {"\xEE\x82\xBB", "\xFE\xFE"},
    {"\xEE\x82\xBC", "?"},                // U+E0BC: past the user-defined rows
    {"\xF0\x9F\x98\x80", "??"},           // above U+FFFF: each surrogate becomes '?'
    {"\xEF\xBF\xBD", "?"},                // U+FFFD itself
    {"\xFF", "?"},                        // invalid UTF-8 becomes U+FFFD, then '?'
    {"\x80", "?"},
    {"\xC0\x80", "??"},                   // C0 is never valid: two U+FFFD
    {"\xE0\x80\x41", "?A"},               // an overlong form is one U+FFFD
    {"\xED\xA0\x80", "??"},               // a surrogate: ED A0 is one U+FFFD, 80 another
    {"\xF4\x90\x80\x80", "???"},          // above U+10FFFF: F4 90, 80, 80
    {"\xE4\xB8", "?"},                    // cut short by the end: everything to the end
    {"A\xF0\x41", "A?"},                  // ..even bytes that are not continuation bytes
    {"\xE4\x41\x42", "?AB"},              // not cut: only the lead byte is bad
    {"\xC3\x28", "?("},
};
// clang-format on

TEST(Conv, AnsiTextsConvertAsOnWindows) {
    for (const TextCase& c : ANSI_CASES) {
        SCOPED_TRACE(c.from);
        const char* result = Conv_AnsiToUtf8(c.from);
        ASSERT_NE(nullptr, result);
        EXPECT_STREQ(c.to, result);
    }
}

TEST(Conv, Utf8TextsConvertAsOnWindows) {
    for (const TextCase& c : UTF8_CASES) {
        SCOPED_TRACE(c.from);
        const char* result = Conv_Utf8ToAnsi(c.from);
        ASSERT_NE(nullptr, result);
        EXPECT_STREQ(c.to, result);
    }
}

// The one allowed difference between the builds: for a character that code
// page 949 lacks, WideCharToMultiByte may write a best-fit character; the
// Linux build always writes the default character.
TEST(Conv, CharactersTheCodePageLacksBecomeTheDefaultCharacter) {
    const char* result = Conv_Utf8ToAnsi("caf\xC3\xA9"); // U+00E9
    ASSERT_NE(nullptr, result);
#ifdef _WIN32
    EXPECT_STREQ("cafe", result);
#else
    EXPECT_STREQ("caf?", result);
#endif
    result = Conv_Utf8ToAnsi("\xE2\x98\x83"); // U+2603, no best fit either
    ASSERT_NE(nullptr, result);
    EXPECT_STREQ("?", result);
}

struct DecodeCase {
    std::vector<uint8_t> bytes;
    int used;
    uint32_t unit;
};

// clang-format off
const DecodeCase DECODE_CASES[] = {
    {{0x41, 0xB0}, 1, 0x41},
    {{0xB0, 0xA1}, 2, 0xAC00},
    {{0xB0, 0xA1, 0x41}, 2, 0xAC00},
    {{0xB0}, 1, 0x3F},           // a lead byte with one byte available uses that byte
    {{0xB0, 0x00}, 2, 0},        // Windows makes two units of it: rejected
    {{0xB0, 0x20}, 2, 0x3F},
    {{0x80}, 1, 0x80},
    {{0xFF, 0xA1}, 1, 0xF8F7},
    {{0xC9, 0xA1}, 2, 0xE000},
    {{0x00}, 1, 0},
};
// clang-format on

TEST(Conv, AnsiDecodeChar) {
    for (const DecodeCase& c : DECODE_CASES) {
        uint32_t unit = 0xBEEF;
        EXPECT_EQ(c.used, Ansi_DecodeChar(&unit, c.bytes.data(), uint32_t(c.bytes.size())))
            << c.bytes.size() << " bytes from " << int(c.bytes[0]);
        EXPECT_EQ(c.unit, unit) << c.bytes.size() << " bytes from " << int(c.bytes[0]);
    }
}

} // namespace

#ifdef _WIN32

#include <windows.h>

// The Linux backend under other names, so that it can be compared with the
// Win32 backend that the names of conv.h stand for in this build.
#define Conv_AnsiToUtf8 LinuxConv_AnsiToUtf8
#define Conv_Utf8ToAnsi LinuxConv_Utf8ToAnsi
#define Ansi_DecodeChar LinuxAnsi_DecodeChar
#include "textlib/conv_posix.cpp"
#undef Conv_AnsiToUtf8
#undef Conv_Utf8ToAnsi
#undef Ansi_DecodeChar

namespace {

TEST(ConvWindows, AnsiCodePageIs949) {
    ASSERT_EQ(949u, GetACP()) << "run the Windows tests with LC_ALL=ko_KR.UTF-8 "
                                 "(scripts/wine-env.sh)";
}

// A result, null included, kept before the rings move on.
struct Kept {
    explicit Kept(const char* result) : null(result == nullptr), text(result ? result : "") {}
    bool operator==(const Kept& other) const { return null == other.null && text == other.text; }
    bool operator!=(const Kept& other) const { return !(*this == other); }

    bool null;
    std::string text;
};

// The bytes in hexadecimal; long texts only around from, with their length.
std::string Hex(const std::string& bytes, size_t from = 0) {
    const size_t first = bytes.size() <= 48 ? 0 : (from > 8 ? from - 8 : 0);
    const size_t last = bytes.size() <= 48 ? bytes.size() : std::min(bytes.size(), first + 32);
    std::string text = first > 0 ? "... " : "";
    char piece[4];
    for (size_t i = first; i < last; ++i) {
        std::snprintf(piece, sizeof piece, "%02X ", static_cast<unsigned char>(bytes[i]));
        text += piece;
    }
    if (last < bytes.size()) text += "... ";
    if (bytes.size() > 48) text += "(" + std::to_string(bytes.size()) + " bytes) ";
    return text;
}

// Two results that differ, shown where they begin to differ.
std::string Difference(const Kept& windows, const Kept& onLinux) {
    size_t at = 0;
    while (at < windows.text.size() && at < onLinux.text.size() &&
           windows.text[at] == onLinux.text[at])
        ++at;
    return "Windows " + (windows.null ? "null" : Hex(windows.text, at)) + ", Linux " +
           (onLinux.null ? "null" : Hex(onLinux.text, at));
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

// Both return whether Windows converted the text (it was not too long).
bool CompareAnsi(const std::string& text, Mismatches& mismatches) {
    const Kept windows(Conv_AnsiToUtf8(text.c_str()));
    const Kept onLinux(LinuxConv_AnsiToUtf8(text.c_str()));
    if (windows != onLinux)
        mismatches.Add("ANSI " + Hex(text) + "-> " + Difference(windows, onLinux));
    return !windows.null;
}

bool CompareUtf8(const std::string& text, Mismatches& mismatches) {
    const Kept windows(Conv_Utf8ToAnsi(text.c_str()));
    const Kept onLinux(LinuxConv_Utf8ToAnsi(text.c_str()));
    if (windows != onLinux)
        mismatches.Add("UTF-8 " + Hex(text) + "-> " + Difference(windows, onLinux));
    return !windows.null;
}

// Units that WideCharToMultiByte(CP_ACP) writes as another character: the
// allowed difference, where Linux writes '?'.
std::vector<bool> BestFitUnits() {
    std::vector<bool> bestFit(0x10000, false);
    for (int u = 0; u < 0x10000; ++u) {
        const WCHAR unit = WCHAR(u);
        char bytes[4];
        BOOL usedDefault = FALSE;
        const int n = WideCharToMultiByte(CP_ACP, 0, &unit, 1, bytes, 4, nullptr, &usedDefault);
        WCHAR back[4];
        const int m = MultiByteToWideChar(CP_ACP, 0, bytes, n, back, 4);
        bestFit[u] = !usedDefault && !(m == 1 && back[0] == unit);
    }
    return bestFit;
}

TEST(ConvWindows, AnsiDecodeCharAgreesForEverySequence) {
    Mismatches mismatches;
    auto check = [&](const uint8_t* bytes, uint32_t count) {
        uint32_t windows = 0xBEEF;
        uint32_t onLinux = 0xBEEF;
        const int windowsUsed = Ansi_DecodeChar(&windows, bytes, count);
        const int linuxUsed = LinuxAnsi_DecodeChar(&onLinux, bytes, count);
        if (windowsUsed != linuxUsed || windows != onLinux)
            mismatches.Add(Hex(std::string(bytes, bytes + count)) + "-> Windows " +
                           std::to_string(windowsUsed) + "/" + std::to_string(windows) +
                           ", Linux " + std::to_string(linuxUsed) + "/" + std::to_string(onLinux));
    };
    for (int b = 0; b < 256; ++b) {
        const uint8_t one[2] = {uint8_t(b), 0x41};
        check(one, 1);
        check(one, 2);
    }
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0; trail < 256; ++trail) {
            const uint8_t two[2] = {uint8_t(lead), uint8_t(trail)};
            check(two, 2);
        }
    }
    EXPECT_EQ(0, mismatches.count());
}

// Every one- and two-byte ANSI text (trail bytes from 0x01: a 0x00 ends the
// text), alone and with a neighbour on each side.
TEST(ConvWindows, EveryAnsiCharacterConvertsAlike) {
    Mismatches mismatches;
    for (int b = 1; b < 256; ++b) {
        const std::string text(1, char(b));
        CompareAnsi(text, mismatches);
        CompareAnsi("A" + text, mismatches);
        CompareAnsi(text + "A", mismatches);
    }
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 1; trail < 256; ++trail) {
            const std::string text = {char(lead), char(trail)};
            CompareAnsi(text, mismatches);
            CompareAnsi(text + "\xB0", mismatches);
        }
    }
    EXPECT_EQ(0, mismatches.count());
}

// Every UTF-16 unit, written in UTF-8 (surrogates in the three-byte form
// that the decoders reject), converts alike except for best-fit characters.
TEST(ConvWindows, EveryUnitWrittenInUtf8ConvertsAlike) {
    const std::vector<bool> bestFit = BestFitUnits();
    Mismatches mismatches;
    int differences = 0;
    for (int u = 1; u < 0x10000; ++u) {
        std::string text;
        if (u < 0x80) {
            text = {char(u)};
        } else if (u < 0x800) {
            text = {char(0xC0 | u >> 6), char(0x80 | (u & 0x3F))};
        } else {
            text = {char(0xE0 | u >> 12), char(0x80 | (u >> 6 & 0x3F)), char(0x80 | (u & 0x3F))};
        }
        if (!bestFit[u]) {
            CompareUtf8(text, mismatches);
            continue;
        }
        ++differences;
        const Kept windows(Conv_Utf8ToAnsi(text.c_str()));
        const Kept onLinux(LinuxConv_Utf8ToAnsi(text.c_str()));
        if (onLinux != Kept("?") || windows == Kept("?"))
            mismatches.Add("best fit U+" + std::to_string(u) + ": " + Difference(windows, onLinux));
    }
    EXPECT_EQ(0, mismatches.count());
    EXPECT_LT(differences, 1000);
}

// Random texts from short pieces that stress the decoders; a third of them
// start with a long run that brings them close to one of the limits, so that
// the pieces after it decide whether they fit. The seed is fixed and shown
// with every mismatch.
class RandomTexts {
  public:
    explicit RandomTexts(uint32_t seed) : random_(seed) {}

    std::string Ansi() {
        std::string text;
        switch (Pick(6)) {
        case 0: text = std::string(8150 + Pick(60), 'a'); break; // UTF-16 and UTF-8 limit
        case 1: text = Korean(2700 + Pick(40)); break;           // UTF-8 limit
        default: break;
        }
        const int pieces = Pieces();
        for (int i = 0; i < pieces; ++i) {
            switch (Pick(4)) {
            case 0: text += char(0x20 + Pick(0x5F)); break;
            case 1: text += char(0x80 + Pick(0x80)); break; // any high byte, alone
            case 2:                                         // a lead with any trail byte
                text += char(0x81 + Pick(0x7E));
                text += char(1 + Pick(0xFF));
                break;
            default: text += "\xC7\xD1"; break;
            }
        }
        return text;
    }

    std::string Utf8(const std::vector<bool>& bestFit) {
        std::string text;
        switch (Pick(6)) {
        case 0: text = std::string(8150 + Pick(60), 'a'); break; // UTF-16 and ANSI limit
        case 1: text = KoreanUtf8(4070 + Pick(40)); break;       // ANSI limit
        case 2: text = KoreanUtf8(8150 + Pick(60)); break;       // UTF-16 limit
        default: break;
        }
        const int pieces = Pieces();
        for (int i = 0; i < pieces; ++i) {
            switch (Pick(5)) {
            case 0: text += char(0x20 + Pick(0x5F)); break;
            case 1: text += char(0x80 + Pick(0x80)); break; // any high byte, alone
            case 2: {                                       // a lead and a few random bytes
                text += char(0xC0 + Pick(0x40));
                const int more = Pick(4);
                for (int k = 0; k < more; ++k)
                    text += char(0x80 + Pick(0x80));
                break;
            }
            case 3: { // a BMP unit
                uint32_t u;
                do {
                    u = 0x80 + Pick(0x10000 - 0x80);
                } while (bestFit[u]);
                if (u < 0x800) {
                    text += {char(0xC0 | u >> 6), char(0x80 | (u & 0x3F))};
                } else {
                    text += {char(0xE0 | u >> 12), char(0x80 | (u >> 6 & 0x3F)),
                             char(0x80 | (u & 0x3F))};
                }
                break;
            }
            default: { // above U+FFFF, maybe too far
                const uint32_t cp = 0x10000 + Pick(0x110000 - 0x10000 + 0x1000);
                text += {char(0xF0 | cp >> 18), char(0x80 | (cp >> 12 & 0x3F)),
                         char(0x80 | (cp >> 6 & 0x3F)), char(0x80 | (cp & 0x3F))};
                break;
            }
            }
        }
        return text;
    }

  private:
    uint32_t Pick(uint32_t n) { return random_() % n; }
    int Pieces() { return int(Pick(10) == 0 ? 1 + Pick(60) : 1 + Pick(8)); }

    std::mt19937 random_;
};

TEST(ConvWindows, RandomTextsConvertAlike) {
    const uint32_t seed = 949;
    SCOPED_TRACE("seed " + std::to_string(seed));
    RandomTexts texts(seed);
    const std::vector<bool> bestFit = BestFitUnits();
    Mismatches mismatches;
    const int rounds = 20000;
    int ansiConverted = 0;
    int utf8Compared = 0;
    int utf8Converted = 0;
    for (int i = 0; i < rounds; ++i) {
        ansiConverted += CompareAnsi(texts.Ansi(), mismatches);
        const std::string utf8 = texts.Utf8(bestFit);
        // Random high bytes may happen to spell a best-fit character; such texts are left out.
        std::vector<WCHAR> wide(utf8.size() + 1);
        const int n =
            MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), int(wide.size()));
        ASSERT_GT(n, 0);
        if (std::any_of(wide.begin(), wide.begin() + n, [&](WCHAR u) { return bestFit[u]; }))
            continue;
        ++utf8Compared;
        utf8Converted += CompareUtf8(utf8, mismatches);
    }
    EXPECT_EQ(0, mismatches.count());
    // The texts meet the limits often, but not too often.
    EXPECT_GT(ansiConverted, rounds / 4);
    EXPECT_LT(ansiConverted, rounds * 9 / 10);
    EXPECT_GT(utf8Compared, rounds * 9 / 10);
    EXPECT_GT(utf8Converted, rounds / 4);
    EXPECT_LT(utf8Converted, utf8Compared * 9 / 10);
    std::printf("random texts: %d of %d ANSI texts converted; %d UTF-8 texts compared, %d "
                "converted\n",
                ansiConverted, rounds, utf8Compared, utf8Converted);
}

} // namespace

#endif // _WIN32
