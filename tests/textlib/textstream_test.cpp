// Text stream: the same lines from every encoding found by its mark, line
// breaks, malformed input, the fixed-buffer reader, raw writes, open
// failures, and the fast line reader against the byte-at-a-time one.
#include "textlib/textstream.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "testdir.h"
#include "textlib/mem.h"
#include "textlib/utf.h"

namespace {

using Lines = std::vector<std::string>;

// The bytes of pairs of hexadecimal digits; spaces are skipped.
std::string Hex(const char* hex) {
    std::string bytes;
    for (; *hex; ++hex)
        if (*hex != ' ') bytes += char(std::stoi(std::string(hex++, 2), nullptr, 16));
    return bytes;
}

struct Stream {
    TextStream* s = nullptr;
    explicit Stream(const std::string& name, uint32_t flags = FILE_READ) {
        EXPECT_EQ(TextStream_Open(name.c_str(), flags, &s), FILE_OK) << name;
    }
    ~Stream() { TextStream_Close(s); }
};

// The lines as TextStream_ReadLine hands them out, or with a size,
// TextStream_GetLine with a buffer of that many bytes.
Lines Read(const std::string& name, int32_t size = -1) {
    Stream st(name);
    Lines lines;
    StrBuf* buf = StrBuf_New();
    std::vector<char> fixed(size > 0 ? size : 1);
    while (size < 0 ? TextStream_ReadLine(buf, st.s) != nullptr
                    : TextStream_GetLine(fixed.data(), size, st.s) != nullptr)
        lines.push_back(size < 0 ? std::string(buf->data, buf->length) : fixed.data());
    StrBuf_Free(buf);
    return lines;
}

// The text in the encoding, with its mark; in ANSI every character past
// ASCII becomes U+AC00.
std::string Encode(const std::u32string& text, int encoding) {
    std::string out;
    auto put = [&](uint32_t u, int bytes) {
        const bool le = encoding == TEXTENC_UTF16LE || encoding == TEXTENC_UTF32LE;
        for (int i = 0; i < bytes; ++i)
            out += char(u >> 8 * (le ? i : bytes - 1 - i));
    };
    for (char32_t c : encoding == TEXTENC_ANSI ? text : U'\uFEFF' + text) {
        uint8_t b[4];
        if (encoding == TEXTENC_ANSI)
            out += c < 0x80 ? std::string(1, char(c)) : "\xB0\xA1";
        else if (encoding == TEXTENC_UTF8)
            out.append(reinterpret_cast<char*>(b), Utf8_Encode(b, 4, c));
        else if (encoding >= TEXTENC_UTF32BE)
            put(c, 4);
        else if (c >= 0x10000)
            put(0xD800 + ((c - 0x10000) >> 10), 2), put(0xDC00 + (c & 0x3FF), 2);
        else
            put(c, 2);
    }
    return out;
}

// Every kind of line break: CR LF, CR CR LF, LF LF, CR before ASCII, CR
// before other characters, CR at the end.
TEST(TextStream, EveryEncodingYieldsTheSameLinesWithBreaksFoldedToLf) {
    TestDir dir;
    const std::u32string text = U"\uD328\uD134 1,2\r\n\U0001F600~\r\r\n\nA\rB\r\uAC00y\r";
    // clang-format off
    const Lines lines = {"\xed\x8c\xa8\xed\x84\xb4 1,2\n", "\xf0\x9f\x98\x80~\n", "\n", "\n", "A\n", "B\n",
                         "\xEA\xB0\x80y\n"};
    // clang-format on
    Lines ansi = lines;
    ansi[0].replace(0, 6, "\xEA\xB0\x80\xEA\xB0\x80"), ansi[1].replace(0, 4, "\xEA\xB0\x80");
    for (int enc : {TEXTENC_ANSI, TEXTENC_UTF8, TEXTENC_UTF16LE, TEXTENC_UTF16BE, TEXTENC_UTF32LE,
                    TEXTENC_UTF32BE}) {
        WriteFile(dir / "t", Encode(text, enc));
        EXPECT_EQ(Read(dir / "t"), enc == TEXTENC_ANSI ? ansi : lines) << "encoding " << enc;
        EXPECT_EQ(Read(dir / "t", 64), enc == TEXTENC_ANSI ? ansi : lines) << "encoding " << enc;
        {
            Stream st(dir / "t");
            TextStream_GetByte(st.s);
            EXPECT_EQ(st.s->encoding, enc);
        }
        // The mark alone, or an empty file: no lines.
        WriteFile(dir / "t", Encode(U"", enc));
        EXPECT_EQ(Read(dir / "t"), Lines{});
        EXPECT_EQ(Read(dir / "t", 64), Lines{});
    }
}

// Whichever reader meets it, wherever in a line or a piece.
TEST(TextStream, MalformedInputEndsTheTextForGood) {
    TestDir dir;
    // clang-format off
    for (const char* hex : {
             "EFBBBF 41 FF 6F 0A 41 0A", "EFBBBF 41 80 6F 0A", "EFBBBF 41 E4B8", // cut at the end
             "EFBBBF 41 EDA080 42",                 // a surrogate
             "EFBBBF 41 F888808080 42",             // a five-byte form
             "FFFE 4100 42",                        // an odd byte at the end
             "FFFE 4100 3DD8 4200", "FEFF 0041 DE00 0042", // lone surrogates
             "FFFE0000 41000000 4200",              // a cut unit
             "FFFE0000 41000000 00001100 42000000", // past U+10FFFF
             "0000FEFF 00000041 0000D800 00000042"}) {
        // clang-format on
        WriteFile(dir / "m", Hex(hex));
        EXPECT_EQ(Read(dir / "m"), Lines{"A"}) << hex;
        EXPECT_EQ(Read(dir / "m", 2), Lines{"A"}) << hex;
        EXPECT_EQ(Read(dir / "m", 4096), Lines{"A"}) << hex;
        Stream st(dir / "m");
        std::string got;
        for (int i = 0; i < 3; ++i)
            got += std::to_string(TextStream_GetByte(st.s)) + " ";
        EXPECT_EQ(got, "65 -1 -1 ") << hex;
    }
}

TEST(TextStream, FixedBufferCutsLongLines) {
    TestDir dir;
    const std::string longLine(5000, 'x');
    WriteFile(dir / "l", longLine + "\nend");
    EXPECT_EQ(Read(dir / "l", 4096),
              (Lines{std::string(4095, 'x'), std::string(905, 'x') + "\n", "end"}));
    EXPECT_EQ(Read(dir / "l"), (Lines{longLine + "\n", "end"}));
    EXPECT_EQ(Read(dir / "l", 0), Lines{});
    EXPECT_EQ(Read(dir / "l", 1), Lines{});
    WriteFile(dir / "s", "abcde\nf");
    EXPECT_EQ(Read(dir / "s", 3), (Lines{"ab", "cd", "e\n", "f"}));
}

TEST(TextStream, RawWritesNullBufferAndFailedOpens) {
    TestDir dir;
    {
        Stream st(dir / "w", FILE_NOBOM | FILE_MAKEDIRS | FILE_CREATE | FILE_WRITE);
        ASSERT_NE(st.s, nullptr);
        EXPECT_EQ(TextStream_Write(st.s, "abc", 3), 3u);
        st.s->position = 10;
        EXPECT_EQ(TextStream_Write(st.s, "Z", 1), 1u);
        EXPECT_EQ(st.s->position, 11u);
        EXPECT_EQ(st.s->size, 11u);
    }
    EXPECT_EQ(ReadFile(dir / "w"), Hex("616263 00000000000000 5A"));
    WriteFile(dir / "n", "first\nsecond\n");
    {
        Stream st(dir / "n");
        EXPECT_EQ(TextStream_ReadLine(StrBuf_Null, st.s), nullptr);
        StrBuf* buf = StrBuf_New();
        EXPECT_EQ(TextStream_ReadLine(buf, st.s), buf);
        EXPECT_STREQ(StrBuf_Data(buf), "second\n");
        StrBuf_Free(buf);
    }
    for (int nth = 0; nth <= 2; ++nth) { // nothing there, or out of memory
        Mem_FailNth(nth);
        TextStream* s = reinterpret_cast<TextStream*>(1);
        EXPECT_EQ(TextStream_Open((dir / (nth ? "n" : "none")).c_str(), FILE_READ, &s),
                  nth ? FILE_NOMEM : FILE_NOTFOUND);
        EXPECT_EQ(s, nullptr);
    }
    Mem_FailNth(0);
}

// Random texts with long and short lines, every kind of line break, Korean
// and astral characters, and now and then a bad byte after the mark: the
// fast line reader hands out exactly what the byte-at-a-time reader does
// (the texts hold no NUL, so C strings are enough).
TEST(TextStream, FastLineReaderMatchesTheByteReader) {
    TestDir dir;
    const uint32_t seed = std::random_device{}();
    std::mt19937 rng(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    const std::u32string alphabet = U"1,~ \t#\r\n0\uAC00\uD55C\u00E9\U0001F600\uFFFD\u3000";
    const int encodings[] = {TEXTENC_UTF8, TEXTENC_UTF16LE, TEXTENC_UTF16BE, TEXTENC_ANSI};
    for (int round = 0; round < 60; ++round) {
        std::u32string text;
        for (size_t i = rng() % 3000; i > 0; --i) {
            if (rng() % 50 == 0) text.append(rng() % 700, U'9');
            text += alphabet[rng() % alphabet.size()];
        }
        std::string bytes = Encode(text, encodings[round % 4]);
        // Past the mark: a broken mark would make NULs of UTF-16 text.
        if (rng() % 3 == 0 && bytes.size() > 4)
            bytes[4 + rng() % (bytes.size() - 4)] = char(1 + rng() % 255);
        WriteFile(dir / "r", bytes);
        ASSERT_EQ(Read(dir / "r"), Read(dir / "r", 1 << 22)) << "round " << round;
    }
}

} // namespace
