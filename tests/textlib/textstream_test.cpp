// Text stream: the same lines from every encoding found by its mark, line
// breaks folded to LF, from the fast and the byte-at-a-time reader (compared
// on random texts by fuzz/fuzz_textstream.cpp) and as text in blocks,
// malformed input ending the text for good, values UTF-8 cannot carry ending
// their line only, long lines cut, raw writes and failed opens.
#include "textlib/textstream.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "testdir.h"
#include "textlib/mem.h"

namespace {

using Lines = std::vector<std::string>;

std::string Hex(const char* hex) { // pairs of hexadecimal digits; spaces are skipped
    std::string bytes;
    for (; *hex; ++hex)
        if (*hex != ' ') bytes += char(std::stoi(std::string(hex++, 2), nullptr, 16));
    return bytes;
}

// The lines as TextStream_ReadLine (the fast reader) hands them out, or with
// a size, TextStream_GetLine (byte by byte) with a buffer of that many bytes.
Lines Read(const std::string& name, int32_t size = -1) {
    TextStream* s = nullptr;
    EXPECT_EQ(TextStream_Open(name.c_str(), FILE_READ, &s), FILE_OK) << name;
    Lines lines;
    StrBuf* buf = StrBuf_New();
    std::vector<char> fixed(size > 0 ? size : 1);
    while (size < 0 ? TextStream_ReadLine(buf, s) != nullptr
                    : TextStream_GetLine(fixed.data(), size, s) != nullptr)
        lines.push_back(size < 0 ? std::string(buf->data, buf->length) : fixed.data());
    StrBuf_Free(buf);
    TextStream_Close(s);
    return lines;
}

// UTF-16 or UTF-32 text in either byte order.
template <class C> std::string Bytes(const C* text, bool le) {
    std::string out;
    for (; *text; ++text)
        for (size_t i = 0; i < sizeof(C); ++i)
            out += char(uint32_t(*text) >> 8 * (le ? i : sizeof(C) - 1 - i));
    return out;
}

// Every kind of line break: CR LF, CR CR LF, LF LF, CR before ASCII, before
// other characters, at the end. In ANSI U+AC00 stands in past ASCII.
#define TEXT "\uFEFF\uD328\uD134 1,2\r\n\U0001F600~\r\r\n\nA\rB\r\uAC00y\r"
TEST(TextStream, EveryEncodingYieldsTheSameLinesWithBreaksFoldedToLf) {
    TestDir dir;
    // clang-format off
    const Lines lines = {"\uD328\uD134 1,2\n", "\U0001F600~\n", "\n", "\n", "A\n", "B\n", "\uAC00y\n"};
    const Lines ansi = {"\uAC00\uAC00 1,2\n", "\uAC00~\n", "\n", "\n", "A\n", "B\n", "\uAC00y\n"};
    const std::string files[] = {"\xB0\xA1\xB0\xA1 1,2\r\n\xB0\xA1~\r\r\n\nA\rB\r\xB0\xA1y\r", TEXT,
        Bytes(u"" TEXT, true), Bytes(u"" TEXT, false), Bytes(U"" TEXT, true), Bytes(U"" TEXT, false)};
    // clang-format on
    const size_t marks[] = {0, 3, 2, 2, 4, 4};
    for (size_t i = 0; i < 6; ++i) {
        WriteFile(dir / "t", files[i]);
        for (int32_t size : {-1, 64})
            EXPECT_EQ(Read(dir / "t", size), i ? lines : ansi) << i << " " << size;
        WriteFile(dir / "t", files[i].substr(0, marks[i])); // the mark alone, or an empty file
        EXPECT_EQ(Read(dir / "t"), Lines{}) << i;
    }
}

// Malformed input ends the text for good, whichever reader meets it, wherever
// in a line or a piece; a fixed buffer cuts long lines.
TEST(TextStream, MalformedInputAndLongLines) {
    TestDir dir;
    // clang-format off
    for (const char* hex : {"EFBBBF 41 FF 6F 0A 41 0A", "EFBBBF 41 80 6F 0A", "EFBBBF 41 E4B8",
             "FFFE 4100 42", "FFFE 4100 3DD8 4200", "FEFF 0041 DE00 0042", // odd byte, lone halves
             "FFFE0000 41000000 4200"}) { // cut
        // clang-format on
        WriteFile(dir / "m", Hex(hex));
        for (int32_t size : {-1, 2, 4096})
            EXPECT_EQ(Read(dir / "m", size), Lines{"A"}) << hex << " " << size;
    }
    const std::string x(5000, 'x');
    WriteFile(dir / "l", x + "\nend");
    EXPECT_EQ(Read(dir / "l", 4096), (Lines{x.substr(905), x.substr(4095) + "\n", "end"}));
    EXPECT_EQ(Read(dir / "l"), (Lines{x + "\n", "end"}));
    EXPECT_EQ(Read(dir / "l", 1), Lines{}); // room for the NUL alone
    WriteFile(dir / "s", "abcde\nf");
    EXPECT_EQ(Read(dir / "s", 3), (Lines{"ab", "cd", "e\n", "f"}));
}

// A value UTF-8 cannot carry (X: a surrogate, a five-byte form, a UTF-32
// value past U+10FFFF) ends its line, or is dropped where no line has begun,
// and reading goes on, in every reader.
TEST(TextStream, UnrepresentableValuesEndTheirLineOnly) {
    TestDir dir;
    const std::pair<std::string, Lines> texts[] = {
        {"1,X2\n3\n", {"1,", "2\n", "3\n"}}, {"X\nX2X", {"\n", "2"}}, {"1\rX2", {"1\n", "2"}}};
    const std::string forms[][3] = {// mark, X, the unit of the other characters
                                    {"\xEF\xBB\xBF", Hex("EDA080"), ""},
                                    {"\xEF\xBB\xBF", Hex("F888808080"), ""},
                                    {Hex("FFFE0000"), Hex("00D80000"), "LE"},
                                    {Hex("0000FEFF"), Hex("00110000"), "BE"}};
    for (const auto& [mark, x, unit] : forms)
        for (const auto& [text, lines] : texts) {
            std::string bytes = mark;
            for (char c : text)
                bytes += c == 'X'       ? x
                         : unit.empty() ? std::string(1, c)
                         : unit == "LE" ? std::string(1, c) + std::string(3, 0)
                                        : std::string(3, 0) + c;
            WriteFile(dir / "x", bytes);
            std::string joined, blocks;
            for (const std::string& line : lines)
                joined += line.back() == '\n' ? line : line + "\n";
            for (int32_t size : {-1, 2, 4096})
                EXPECT_EQ(Read(dir / "x", size).size(),
                          size == 2 ? joined.size() - 1 : lines.size())
                    << text << " " << size;
            EXPECT_EQ(Read(dir / "x"), lines) << text;
            TextStream* s = nullptr;
            ASSERT_EQ(TextStream_Open((dir / "x").c_str(), FILE_READ, &s), FILE_OK);
            char block[3];
            for (uint32_t n; (n = TextStream_ReadText(block, 3, s)) > 0;)
                blocks.append(block, n);
            TextStream_Close(s);
            EXPECT_TRUE(blocks == joined || blocks + "\n" == joined) << text << ": " << blocks;
        }
}

TEST(TextStream, RawWritesNullBufferAndFailedOpens) {
    TestDir dir;
    TextStream* s = nullptr;
    const uint32_t output = FILE_NOBOM | FILE_MAKEDIRS | FILE_CREATE | FILE_WRITE;
    ASSERT_EQ(TextStream_Open((dir / "w").c_str(), output, &s), FILE_OK);
    EXPECT_EQ(TextStream_Write(s, "abc", 3), 3u);
    s->position = 10; // past the end
    EXPECT_EQ(TextStream_Write(s, "Z", 1), 1u);
    TextStream_Close(s);
    EXPECT_EQ(ReadFile(dir / "w"), Hex("616263 00000000000000 5A"));
    WriteFile(dir / "n", "first\nsecond\n");
    ASSERT_EQ(TextStream_Open((dir / "n").c_str(), FILE_READ, &s), FILE_OK);
    EXPECT_EQ(TextStream_ReadLine(StrBuf_Null, s), nullptr); // the line is passed all the same
    char line[16];
    EXPECT_STREQ(TextStream_GetLine(line, 16, s), "second\n");
    TextStream_Close(s);
    for (int nth = 0; nth <= 2; ++nth) { // nothing there, or out of memory
        Mem_FailNth(nth);
        s = reinterpret_cast<TextStream*>(1);
        EXPECT_EQ(TextStream_Open((dir / (nth ? "n" : "none")).c_str(), FILE_READ, &s),
                  nth ? FILE_NOMEM : FILE_NOTFOUND);
        EXPECT_EQ(s, nullptr);
    }
    Mem_FailNth(0);
}

} // namespace
