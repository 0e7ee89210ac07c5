// Text stream: the same lines from every encoding found by its mark, line breaks folded to LF,
// from the fast and the byte-at-a-time reader (compared on random texts by
// fuzz/fuzz_textstream.cpp) and as text in blocks, malformed input ending the text for good, values
// UTF-8 cannot carry ending their line only, long lines cut, raw writes and failed opens.
#include "textlib/textstream.h"

#include <gtest/gtest.h>
#include <tuple>
#include <string>
#include <vector>

#include "tests/support/testdir.h"
#include "textlib/mem.h"

namespace {

using Lines = std::vector<std::string>;

std::string Hex(const char* hex) { // pairs of hexadecimal digits; spaces are skipped
    std::string bytes;
    for (; *hex; ++hex)
        if (*hex != ' ') bytes += char(std::stoi(std::string(hex++, 2), nullptr, 16));
    return bytes;
}

// Lines as TextStream_ReadLine (the fast reader) gives them; with a size, TextStream_GetLine (byte
// by byte) with a buffer that large; with 0, TextStream_ReadText's text in blocks that large (3
// bytes: too few for its fast path), one item.
Lines Read(const std::string& name, int32_t size = -1, uint32_t block = 3) {
    TextStream* s = nullptr;
    EXPECT_EQ(TextStream_Open(name.c_str(), FILE_READ, &s), FILE_OK) << name;
    Lines lines(size == 0);
    StrBuf* buf = StrBuf_New();
    std::vector<char> fixed(size > 0 ? size : block);
    for (uint32_t n; size == 0 && (n = TextStream_ReadText(fixed.data(), block, s)) > 0;)
        lines[0].append(fixed.data(), n);
    while (size < 0 ? TextStream_ReadLine(buf, s) != nullptr
                    : size > 0 && TextStream_GetLine(fixed.data(), size, s) != nullptr)
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

// Every kind of line break: CR LF, CR CR LF, LF LF, CR before ASCII, before others, at the end.
#define TEXT "\uFEFF\uD328\uD134 1,2\r\n\U0001F600~\r\r\n\nA\rB\r\uAC00y\r"
TEST(TextStream, ReadsWritesAndFails) {
    TestDir dir;
    // clang-format off
    const Lines lines = {"\uD328\uD134 1,2\n", "\U0001F600~\n", "\n", "\n", "A\n", "B\n", "\uAC00y\n"};
    const Lines ansi = {"\uAC00\uAC00 1,2\n", "\uAC00~\n", "\n", "\n", "A\n", "B\n", "\uAC00y\n"}; // U+AC00 past ASCII
    const std::string files[] = {"\xB0\xA1\xB0\xA1 1,2\r\n\xB0\xA1~\r\r\n\nA\rB\r\xB0\xA1y\r", TEXT,
        Bytes(u"" TEXT, true), Bytes(u"" TEXT, false), Bytes(U"" TEXT, true), Bytes(U"" TEXT, false)};
    const char* malformed[] = {"EFBBBF 41 FF 6F 0A 41 0A", "EFBBBF 41 80 6F 0A", "EFBBBF 41 E4B8", "FFFE 4100 42",
        "FFFE 4100 3DD8 4200", "FEFF 0041 DE00 0042", "FFFE0000 41000000 4200"}; // odd byte, lone halves, cut
    // clang-format on
    const size_t marks[] = {0, 3, 2, 2, 4, 4};
    for (size_t i = 0; i < 6; ++i) {
        WriteFile(dir / "t", files[i]);
        for (int32_t size : {-1, 64})
            EXPECT_EQ(Read(dir / "t", size), i ? lines : ansi) << i << " " << size;
        WriteFile(dir / "t", files[i].substr(0, marks[i])); // the mark alone, or an empty file
        EXPECT_EQ(Read(dir / "t"), Lines{}) << i;
    }
    // Malformed input ends the text for good, in any reader and place; a fixed buffer cuts lines.
    for (const char* hex : malformed) {
        WriteFile(dir / "m", Hex(hex));
        for (int32_t size : {-1, 2, 4096})
            EXPECT_EQ(Read(dir / "m", size), Lines{"A"}) << hex << " " << size;
    }
    const std::string x(5000, 'x');
    WriteFile(dir / "l", x + "\nend");
    EXPECT_EQ(Read(dir / "l", 4096), (Lines{x.substr(905), x.substr(4095) + "\n", "end"}));
    EXPECT_EQ(Read(dir / "l"), (Lines{x + "\n", "end"}));
    WriteFile(dir / "l", x + "\r\nA\rB\r\n" + x); // breaks amid long plain runs, in large blocks
    EXPECT_EQ(Read(dir / "l", 0, 65536)[0], x + "\nA\nB\n" + x);
    EXPECT_EQ(Read(dir / "l", 1), Lines{}); // room for the NUL alone
    // A value UTF-8 cannot carry (X: a surrogate, a five-byte form, a UTF-32 value past U+10FFFF)
    // ends its line, or is dropped where no line has begun, and reading goes on, in every reader.
    // clang-format off
    const std::tuple<std::string, Lines, std::string> texts[] = { // the text; its lines; in blocks
        {"1,X2\n3\n", {"1,", "2\n", "3\n"}, "1,\n2\n3\n"}, {"X\nX2X", {"\n", "2"}, "\n2\n"}, {"1\rX2", {"1\n", "2"}, "1\n2"}};
    const std::tuple<std::string, std::string, size_t, size_t> forms[] = { // mark, X, zeros before and after
        {"\xEF\xBB\xBF", Hex("EDA080"), 0, 0}, {"\xEF\xBB\xBF", Hex("F888808080"), 0, 0},
        {Hex("FFFE0000"), Hex("00D80000"), 0, 3}, {Hex("0000FEFF"), Hex("00110000"), 3, 0}};
    // clang-format on
    for (const auto& [mark, x, before, after] : forms)
        for (const auto& [text, lines, blocks] : texts) {
            std::string bytes = mark;
            for (char c : text)
                bytes += c == 'X' ? x : std::string(before, 0) + c + std::string(after, 0);
            WriteFile(dir / "x", bytes);
            for (int32_t size : {-1, 4096})
                EXPECT_EQ(Read(dir / "x", size), lines) << text << " " << size;
            EXPECT_EQ(Read(dir / "x", 0)[0], blocks) << text;
            EXPECT_EQ(Read(dir / "x", 2).size(), blocks.size() - (blocks.back() == '\n')) << text;
        }
    // Raw writes, a null buffer, failed opens.
    TextStream* s = nullptr;
    ASSERT_EQ(TextStream_Open((dir / "w").c_str(), FILE_NOBOM | FILE_CREATE | FILE_WRITE, &s),
              FILE_OK);
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
