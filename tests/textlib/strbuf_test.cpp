// String buffer and tokenizer: growth, reserve/extend, insert (also of its own text), trim,
// character removal, token splitting; out of memory and the size limit change nothing.
#include "textlib/strbuf.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <tuple>

#include "textlib/mem.h"

namespace {

struct Buf {
    StrBuf* b = StrBuf_New();
    explicit Buf(const std::string& text = "") { StrBuf_AssignStr(b, text.c_str()); }
    ~Buf() { StrBuf_Free(b); }
};
std::string Str(const StrBuf* b) { // the text, checked to end in a NUL
    return b->data[b->length] ? "(no NUL)" : std::string(b->data, size_t(b->length));
}

// Capacity: inline below 244 bytes, doubling up to 1 MiB, steps of about 1 MiB above.
TEST(StrBuf, GrowsByItsRuleAndFillsInPlace) {
    const std::pair<int32_t, int32_t> growth[] = {
        {0, 244}, {243, 244}, {244, 488}, {1000, 2000}, {1048577, (1048577 + 1048579) & ~3}};
    for (const auto& [n, capacity] : growth) {
        Buf buf(std::string(size_t(n), 'g'));
        EXPECT_EQ(buf.b->capacity, capacity) << n;
        EXPECT_EQ(buf.b->data == buf.b->inlineData, n < STRBUF_INLINE) << n;
    }
    Buf buf("ab");
    std::memcpy(StrBuf_Reserve(buf.b, 3000000), "cdef", 4);
    StrBuf_Extend(buf.b, 3);
    EXPECT_STREQ(StrBuf_Data(buf.b), "abcde");
}

TEST(StrBuf, InsertTrimAndRemoveChar) {
    // clang-format off
    const std::tuple<const char*, int32_t, std::string, std::string> cases[] = {
        {"abc", -1, "XY", "abcXY"}, {"abc", 3, "XY", "abcXY"}, {"abc", 99, "XY", "abcXY"},
        {"abc", -7, "XY", "abcXY"}, {"abc", 0, "XY", "XYabc"}, {"abc", 1, "XY", "aXYbc"},
        {"", 0, "XY", "XY"}, {"abc", 2, "", "abc"}, {"ab", 1, {"\0\xff", 2}, {"a\0\xff" "b", 4}}};
    const std::pair<const char*, const char*> trims[] = {
        {"  \tabc \r\n", "abc"}, {" \t\r\n\v\f ", ""}, {"", ""}, {"a b", "a b"}, {"x \xb0", "x \xb0"},
        {"\x85 a", "\x85 a"}, {"\xea\xb0\x80  ", "\xea\xb0\x80"}, {"  \xea\xb0\x80", "\xea\xb0\x80"}};
    // clang-format on
    for (const auto& [start, pos, text, expect] : cases)
        EXPECT_EQ(Str(StrBuf_Insert(Buf(start).b, pos, text.data(), uint32_t(text.size()))), expect)
            << start << " at " << pos;
    const std::string text = std::string(200, 'q') + "TAIL";
    Buf buf(text); // inserts of its own text, also as it moves out of the inline storage
    EXPECT_EQ(Str(StrBuf_Insert(buf.b, 0, buf.b->data + 200, 4)), "TAIL" + text);
    EXPECT_EQ(Str(StrBuf_Insert(buf.b, 2, buf.b->data, uint32_t(buf.b->length))),
              "TA" + ("TAIL" + text) + "IL" + text);
    for (const auto& [in, trimmed] : trims) // high bytes are no blanks
        EXPECT_EQ(Str(StrBuf_Trim(Buf(in).b)), trimmed) << '"' << in << '"';
    EXPECT_EQ(Str(StrBuf_RemoveChar(Buf("\"a b\" \"").b, '"')), "a b ");
}

// Each token followed by '|'; a separator per call, the last one repeating.
TEST(StrTok, SplitsWithAndWithoutSkippingEmpties) {
    // clang-format off
    const std::tuple<const char*, const char*, uint8_t, const char*> cases[] = {
        {"a,,b", ",", 1, "a|b|"}, {",,a", ",", 1, "a|"}, {"", ",", 1, ""}, {",,,", ",", 1, ""},
        {"a,", ",", 1, "a|"}, {"a,,b", ",", 0, "a||b|"}, {",a", ",", 0, "|a|"}, {"", ",", 0, "|"},
        {"a,", ",", 0, "a|"}, {"X(,b)", "(,)", 1, "X||b|"}, {".map;;.txt;", ";", 1, ".map|.txt|"},
        {"$SET(LOOP,L)", "(,)", 1, "$SET|LOOP|L|"}, {nullptr, ",", 1, ""}};
    // clang-format on
    for (const auto& [text, seps, skip, tokens] : cases) {
        StrTok tok;
        StrTok_Start(&tok, text);
        Buf buf;
        std::string out;
        for (const char* s = seps; StrTok_Next(buf.b, &tok, *s, skip) && out.size() < 99;
             s += !!s[1])
            out += Str(buf.b) + "|";
        EXPECT_EQ(out, tokens) << '"' << (text ? text : "null") << '"';
    }
}

// Out of memory, StrBuf_New hands out the null buffer, which ignores every change; other
// buffers stay as they are, as past the signed 32-bit limit; the tokenizer advances anyway.
TEST(StrBuf, OutOfMemoryAndTheSizeLimitLeaveBuffersUnchanged) {
    Mem_FailNth(1);
    StrBuf* null = StrBuf_New(); // StrBuf_Null
    Buf buf("keep");
    const std::string big(300, 'b'), text = big + "," + big + ",next";
    StrTok tok;
    StrTok_Start(&tok, text.c_str());
    Mem_FailNth(1, true);
    for (StrBuf* b : {buf.b, null}) {
        EXPECT_EQ(StrBuf_InsertStr(b, 0, big.c_str()), b);
        EXPECT_EQ(StrBuf_AssignStr(b, big.c_str()), b);
        EXPECT_EQ(StrBuf_Reserve(b, 1000), nullptr);
        EXPECT_EQ(StrTok_Next(b, &tok, ',', 1), 1);
    }
    EXPECT_EQ(Str(StrBuf_Trim(StrBuf_RemoveChar(null, 'a'))), "");
    Mem_FailNth(0);
    for (uint32_t count : {0x7FFFFFFDu, 0x80000000u, 0xFFFFFFFFu}) // refused before reading
        StrBuf_Insert(buf.b, -1, "x", count);
    EXPECT_EQ(StrBuf_Reserve(buf.b, 0xFFFFFFFFu), nullptr);
    EXPECT_EQ(Str(buf.b), "keep");
    EXPECT_EQ(StrTok_Next(buf.b, &tok, ',', 1), 1);
    EXPECT_EQ(Str(buf.b), "next");
}

} // namespace
