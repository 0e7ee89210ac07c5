// Text stream: encoding detection by mark, the same lines from every
// encoding, line break folding, malformed input ending the text, the fixed
// buffer reader, raw writes, and a seeded comparison of the fast line
// reader against a plain byte-by-byte reading of the same files.
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

struct Stream {
    TextStream* s = nullptr;
    explicit Stream(const std::string& name, uint32_t flags = FILE_READ) {
        EXPECT_EQ(TextStream_Open(name.c_str(), flags, &s), FILE_OK) << name;
    }
    ~Stream() { TextStream_Close(s); }
};

Lines ReadLines(const std::string& name) {
    Stream st(name);
    Lines lines;
    StrBuf* buf = StrBuf_New();
    while (TextStream_ReadLine(buf, st.s))
        lines.emplace_back(buf->data, buf->length);
    StrBuf_Free(buf);
    return lines;
}

Lines GetLines(const std::string& name, int32_t size) {
    Stream st(name);
    Lines lines;
    std::vector<char> buf(static_cast<size_t>(size > 0 ? size : 1));
    while (TextStream_GetLine(buf.data(), size, st.s))
        lines.emplace_back(buf.data());
    return lines;
}

std::string Encode(const std::u32string& text, int encoding, bool mark = true) {
    std::string out;
    auto put16 = [&](uint32_t u) {
        if (encoding == TEXTENC_UTF16LE)
            out += char(u & 0xFF), out += char(u >> 8);
        else
            out += char(u >> 8), out += char(u & 0xFF);
    };
    auto put32 = [&](uint32_t u) {
        for (int i = 0; i < 4; ++i) {
            const int shift = encoding == TEXTENC_UTF32LE ? 8 * i : 24 - 8 * i;
            out += char((u >> shift) & 0xFF);
        }
    };
    if (mark) {
        if (encoding == TEXTENC_UTF8) out += "\xEF\xBB\xBF";
        if (encoding == TEXTENC_UTF16LE || encoding == TEXTENC_UTF16BE) put16(0xFEFF);
        if (encoding == TEXTENC_UTF32LE || encoding == TEXTENC_UTF32BE) put32(0xFEFF);
    }
    for (char32_t c : text) {
        const uint32_t u = c;
        if (encoding == TEXTENC_UTF8) {
            uint8_t b[4];
            const int n = Utf8_Encode(b, 4, u);
            out.append(reinterpret_cast<char*>(b), static_cast<size_t>(n));
        } else if (encoding == TEXTENC_UTF16LE || encoding == TEXTENC_UTF16BE) {
            if (u >= 0x10000)
                put16(0xD800 + ((u - 0x10000) >> 10)), put16(0xDC00 + (u & 0x3FF));
            else
                put16(u);
        } else {
            put32(u);
        }
    }
    return out;
}

const int kUnicodeEncodings[] = {TEXTENC_UTF8, TEXTENC_UTF16LE, TEXTENC_UTF16BE, TEXTENC_UTF32LE,
                                 TEXTENC_UTF32BE};

TEST(TextStream, EveryEncodingYieldsTheSameLines) {
    TestDir dir;
    const std::u32string text = U"A\r\nB";
    for (int enc : kUnicodeEncodings) {
        WriteFile(dir / "t", Encode(text, enc));
        EXPECT_EQ(ReadLines(dir / "t"), (Lines{"A\n", "B"})) << "encoding " << enc;
        Stream st(dir / "t");
        TextStream_GetByte(st.s);
        EXPECT_EQ(st.s->encoding, enc);
    }
    const std::u32string korean = U"\uD328\uD134 1,2\n\U0001F600~\r\r\n";
    for (int enc : kUnicodeEncodings) {
        WriteFile(dir / "k", Encode(korean, enc));
        EXPECT_EQ(ReadLines(dir / "k"),
                  (Lines{"\xed\x8c\xa8\xed\x84\xb4 1,2\n", "\xf0\x9f\x98\x80~\n", "\n"}))
            << "encoding " << enc;
    }
}

TEST(TextStream, MarksAloneAndEmptyFilesEndAtOnce) {
    TestDir dir;
    for (const std::string& bytes :
         {std::string(), std::string("\xEF\xBB\xBF"), std::string("\xFF\xFE"),
          std::string("\xFE\xFF"), std::string("\xFF\xFE\0\0", 4),
          std::string("\0\0\xFE\xFF", 4)}) {
        WriteFile(dir / "e", bytes);
        EXPECT_EQ(ReadLines(dir / "e"), Lines{}) << bytes.size();
        EXPECT_EQ(GetLines(dir / "e", 64), Lines{});
    }
}

TEST(TextStream, LineBreaksFoldToOneLf) {
    TestDir dir;
    struct Case {
        std::string bytes;
        Lines lines;
    } cases[] = {
        {"A\rB", {"A\n", "B"}},
        {"A\r", {"A\n"}},
        {"\n\n", {"\n", "\n"}},
        {"\r\r\n\n", {"\n", "\n", "\n"}},
        {"\xEF\xBB\xBFx\r\xEA\xB0\x80y\n", {"x\n", "\xEA\xB0\x80y\n"}},
    };
    for (const Case& c : cases) {
        WriteFile(dir / "b", c.bytes);
        EXPECT_EQ(ReadLines(dir / "b"), c.lines) << c.bytes;
        EXPECT_EQ(GetLines(dir / "b", 4096), c.lines) << c.bytes;
    }
}

TEST(TextStream, MalformedInputEndsTheText) {
    TestDir dir;
    struct Case {
        std::string bytes;
        Lines lines;
    } cases[] = {
        {"\xEF\xBB\xBF"
         "one\ntw\xFFo\nthree\n",
         {"one\n", "tw"}},
        {"\xEF\xBB\xBF"
         "one\ntw\x80o\nthree\n",
         {"one\n", "tw"}},
        {"\xEF\xBB\xBF"
         "ab\xE4\xB8",
         {"ab"}},
        {std::string("\xFF\xFE"
                     "A\0B",
                     5),
         {"A"}}, // odd byte at the end
        {std::string("\xFF\xFE"
                     "A\0\x3D\xD8"
                     "B\0",
                     8),
         {"A"}}, // lone high surrogate
        {std::string("\xFF\xFE"
                     "A\0\x00\xDE"
                     "B\0",
                     8),
         {"A"}}, // lone low surrogate
        {std::string("\xFF\xFE\0\0"
                     "A\0\0\0"
                     "B\0",
                     10),
         {"A"}}, // cut UTF-32 unit
    };
    for (const Case& c : cases) {
        WriteFile(dir / "m", c.bytes);
        EXPECT_EQ(ReadLines(dir / "m"), c.lines) << c.bytes;
        EXPECT_EQ(GetLines(dir / "m", 4096), c.lines) << c.bytes;
    }
    // So does a value UTF-8 cannot carry, in UTF-32 or in the long UTF-8
    // forms, whichever reader meets it.
    for (const std::string& bytes : {std::string("\xFF\xFE\0\0"
                                                 "A\0\0\0"
                                                 "\0\0\x11\0"
                                                 "B\0\0\0",
                                                 16),
                                     std::string("\0\0\xFE\xFF"
                                                 "\0\0\0A"
                                                 "\0\0\xD8\0"
                                                 "\0\0\0B",
                                                 16),
                                     std::string("\xEF\xBB\xBF"
                                                 "A\xF8\x88\x80\x80\x80"
                                                 "B"),
                                     std::string("\xEF\xBB\xBF"
                                                 "A\xED\xA0\x80"
                                                 "B")}) {
        WriteFile(dir / "u", bytes);
        EXPECT_EQ(ReadLines(dir / "u"), Lines{"A"});
        EXPECT_EQ(GetLines(dir / "u", 2), Lines{"A"});
        Stream st(dir / "u");
        std::string got;
        for (int i = 0; i < 3; ++i)
            got += std::to_string(TextStream_GetByte(st.s)) + " ";
        EXPECT_EQ(got, "65 -1 -1 ");
    }
}

TEST(TextStream, FixedBufferCutsLongLines) {
    TestDir dir;
    const std::string longLine(5000, 'x');
    WriteFile(dir / "l", longLine + "\nend");
    EXPECT_EQ(GetLines(dir / "l", 4096),
              (Lines{std::string(4095, 'x'), std::string(905, 'x') + "\n", "end"}));
    EXPECT_EQ(ReadLines(dir / "l"), (Lines{longLine + "\n", "end"}));
    EXPECT_EQ(GetLines(dir / "l", 0), Lines{});
    EXPECT_EQ(GetLines(dir / "l", 1), Lines{});
    WriteFile(dir / "s", "abcde\nf");
    EXPECT_EQ(GetLines(dir / "s", 3), (Lines{"ab", "cd", "e\n", "f"}));
}

TEST(TextStream, RawWritesMoveThePositionAndRaiseTheSize) {
    TestDir dir;
    Stream st(dir / "w", FILE_NOBOM | FILE_MAKEDIRS | FILE_CREATE | FILE_WRITE);
    ASSERT_NE(st.s, nullptr);
    EXPECT_EQ(TextStream_Write(st.s, "", 0), 0u);
    EXPECT_EQ(st.s->position, 0u);
    EXPECT_EQ(st.s->size, 0u);
    EXPECT_EQ(TextStream_Write(st.s, "abc", 3), 3u);
    st.s->position = 10;
    EXPECT_EQ(TextStream_Write(st.s, "Z", 1), 1u);
    EXPECT_EQ(st.s->size, 11u);
    TextStream_Close(st.s);
    st.s = nullptr;
    EXPECT_EQ(ReadFile(dir / "w"), std::string("abc\0\0\0\0\0\0\0Z", 11));
}

TEST(TextStream, NullBufferConsumesTheLineAndReportsTheEnd) {
    TestDir dir;
    WriteFile(dir / "n", "first\nsecond\n");
    Stream st(dir / "n");
    EXPECT_EQ(TextStream_ReadLine(StrBuf_Null, st.s), nullptr);
    StrBuf* buf = StrBuf_New();
    ASSERT_NE(TextStream_ReadLine(buf, st.s), nullptr);
    EXPECT_STREQ(buf->data, "second\n");
    StrBuf_Free(buf);
}

TEST(TextStream, OpenFailuresLeaveNothing) {
    TestDir dir;
    TextStream* s = reinterpret_cast<TextStream*>(1);
    EXPECT_EQ(TextStream_Open((dir / "none").c_str(), FILE_READ, &s), FILE_NOTFOUND);
    EXPECT_EQ(s, nullptr);
    WriteFile(dir / "x", "x");
    for (int nth = 1; nth <= 2; ++nth) {
        Mem_FailNth(nth);
        s = reinterpret_cast<TextStream*>(1);
        EXPECT_EQ(TextStream_Open((dir / "x").c_str(), FILE_READ, &s), FILE_NOMEM) << nth;
        EXPECT_EQ(s, nullptr);
    }
    Mem_FailNth(0);
}

// Random texts with long and short lines, every kind of line break, Korean
// and astral characters, and now and then a malformed byte: the fast line
// reader must hand out exactly what the byte-at-a-time reader behind
// TextStream_GetLine does (the texts hold no NUL, so a C string is enough).
TEST(TextStream, FastLineReaderMatchesTheByteReader) {
    TestDir dir;
    const uint32_t seed = std::random_device{}();
    std::mt19937 rng(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    const char32_t alphabet[] = {U'1',      U',',          U'~',      U' ',      U'\t',
                                 U'#',      U'\r',         U'\n',     U'\uAC00', U'\uD55C',
                                 U'\u00E9', U'\U0001F600', U'\uFFFD', U'0',      U'\u3000'};
    const int encodings[] = {TEXTENC_UTF8, TEXTENC_UTF16LE, TEXTENC_UTF16BE, TEXTENC_ANSI};
    for (int round = 0; round < 60; ++round) {
        std::u32string text;
        const size_t length = rng() % 3000;
        for (size_t i = 0; i < length; ++i) {
            if (rng() % 50 == 0) text.append(rng() % 700, U'9');
            text += alphabet[rng() % (sizeof alphabet / sizeof alphabet[0])];
        }
        const int enc = encodings[round % 4];
        std::string bytes;
        if (enc == TEXTENC_ANSI) {
            for (char32_t c : text)
                bytes += c < 0x80 ? std::string(1, char(c)) : "\xB0\xA1";
        } else {
            bytes = Encode(text, enc);
        }
        if (rng() % 3 == 0 && !bytes.empty()) bytes[rng() % bytes.size()] = char(1 + rng() % 255);
        WriteFile(dir / "r", bytes);
        ASSERT_EQ(ReadLines(dir / "r"), GetLines(dir / "r", 1 << 22)) << "round " << round;
    }
}

} // namespace
