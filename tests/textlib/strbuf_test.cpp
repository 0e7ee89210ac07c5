// String buffer and tokenizer: growth, reserve/extend, insert positions (also
// of the buffer's own text), trim, character removal, token splitting, and
// out of memory and the size limit leaving buffers unchanged.
#include "textlib/strbuf.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>

#include "textlib/mem.h"

namespace {

struct Buf {
    StrBuf* b = StrBuf_New();
    ~Buf() { StrBuf_Free(b); }
    std::string str() const { return std::string(b->data, b->length); }
};

TEST(StrBuf, GrowsOutOfTheInlineStorageAndFillsInPlace) {
    Buf buf;
    for (size_t n : {0, 243, 244, 5000, 1048577}) {
        const std::string text(n, char('a' + n % 26));
        StrBuf_AssignStr(buf.b, text.c_str());
        EXPECT_STREQ(StrBuf_Data(buf.b), text.c_str());
        EXPECT_EQ(buf.b->data == buf.b->inlineData, n < STRBUF_INLINE) << n;
    }
    // The growth rule: doubling below 1 MiB, steps of about 1 MiB above.
    const std::pair<int32_t, int32_t> growth[] = {
        {243, 244}, {244, 488}, {1000, 2000}, {1048577, (1048577 + 1048579) & ~3}};
    for (const auto& [n, capacity] : growth) {
        Buf fresh;
        StrBuf_AssignStr(fresh.b, std::string(static_cast<size_t>(n), 'g').c_str());
        EXPECT_EQ(fresh.b->capacity, capacity) << n;
    }
    StrBuf_AssignStr(buf.b, "ab");
    char* at = StrBuf_Reserve(buf.b, 3000000);
    ASSERT_NE(at, nullptr);
    std::memcpy(at + 2999996, "room", 4); // out of bounds shows under ASan
    std::memcpy(at, "cdef", 4);
    StrBuf_Extend(buf.b, 3);
    EXPECT_EQ(buf.str(), "abcde");
}

TEST(StrBuf, InsertAtAnyPositionAnyBytesAndItsOwnText) {
    const std::tuple<const char*, int32_t, const char*, const char*> cases[] = {
        {"abc", -1, "XY", "abcXY"}, {"abc", 3, "XY", "abcXY"}, {"abc", 99, "XY", "abcXY"},
        {"abc", -7, "XY", "abcXY"}, {"abc", 0, "XY", "XYabc"}, {"abc", 1, "XY", "aXYbc"},
        {"", 0, "XY", "XY"},        {"abc", 2, "", "abc"}};
    for (const auto& [start, pos, text, expect] : cases) {
        Buf buf;
        StrBuf_AssignStr(buf.b, start);
        StrBuf_InsertStr(buf.b, pos, text);
        EXPECT_EQ(buf.str(), expect) << start << " at " << pos;
        EXPECT_EQ(buf.b->data[buf.b->length], 0);
    }
    Buf buf;
    StrBuf_Insert(buf.b, -1, "a\0\xff", 3);
    EXPECT_EQ(buf.str(), std::string("a\0\xff", 3));
    // A piece of its own text, also while the text moves out of the inline storage.
    const std::string text = std::string(200, 'q') + "TAIL";
    StrBuf_AssignStr(buf.b, text.c_str());
    StrBuf_Insert(buf.b, 0, buf.b->data + 200, 4);
    EXPECT_EQ(buf.str(), "TAIL" + text);
    StrBuf_Insert(buf.b, 2, buf.b->data, static_cast<uint32_t>(buf.b->length));
    EXPECT_EQ(buf.str(), "TA" + ("TAIL" + text) + "IL" + text);
}

TEST(StrBuf, TrimKeepsHighBytesAndRemoveCharDropsEveryCopy) {
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"  \tabc \r\n", "abc"}, {" \t\r\n\v\f ", ""}, {"", ""}, {"a b", "a b"},
        {"x \xb0", "x \xb0"}, {"\x85 a", "\x85 a"}, {"\xea\xb0\x80  ", "\xea\xb0\x80"},
        {"  \xea\xb0\x80", "\xea\xb0\x80"}};
    // clang-format on
    for (const auto& [in, trimmed] : cases) {
        Buf buf;
        StrBuf_AssignStr(buf.b, in);
        StrBuf_Trim(buf.b);
        EXPECT_EQ(buf.str(), trimmed) << '"' << in << '"';
    }
    Buf buf;
    StrBuf_AssignStr(buf.b, "\"a b\" \"");
    EXPECT_STREQ(StrBuf_Data(StrBuf_RemoveChar(buf.b, '"')), "a b ");
    EXPECT_EQ(buf.str(), "a b ");
}

std::string Split(const char* text, const char* seps, uint8_t skip) {
    std::string out;
    StrTok tok;
    StrTok_Start(&tok, text);
    Buf buf;
    for (size_t i = 0;
         i < 20 && StrTok_Next(buf.b, &tok, seps[std::min(i, std::strlen(seps) - 1)], skip); ++i)
        out += buf.str() + "|";
    return out;
}

TEST(StrTok, SplitsWithAndWithoutSkippingEmpties) {
    // A separator per call, the last one repeating; each token followed by '|'.
    // clang-format off
    const std::tuple<const char*, const char*, uint8_t, const char*> cases[] = {
        {"a,,b", ",", 1, "a|b|"}, {",,a", ",", 1, "a|"}, {"", ",", 1, ""}, {",,,", ",", 1, ""},
        {"a,", ",", 1, "a|"}, {"a,,b", ",", 0, "a||b|"}, {",a", ",", 0, "|a|"}, {"", ",", 0, "|"},
        {"a,", ",", 0, "a|"}, {"X(,b)", "(,)", 1, "X||b|"}, {".map;;.txt;", ";", 1, ".map|.txt|"},
        {"$SET(LOOP,L)", "(,)", 1, "$SET|LOOP|L|"}};
    // clang-format on
    for (const auto& [text, seps, skip, tokens] : cases)
        EXPECT_EQ(Split(text, seps, skip), tokens) << '"' << text << '"';
    EXPECT_EQ(Split(nullptr, ",", 1), "");
}

// Out of memory, StrBuf_New hands out the null buffer, which ignores every
// change; other buffers stay unchanged, as they do for a text past the signed
// 32-bit limit, and the tokenizer advances all the same.
TEST(StrBuf, OutOfMemoryAndTheSizeLimitLeaveBuffersUnchanged) {
    Mem_FailNth(1);
    StrBuf* null = StrBuf_New();
    EXPECT_EQ(null, StrBuf_Null);
    Buf buf;
    StrBuf_AssignStr(buf.b, "keep");
    const std::string big(300, 'b');
    const std::string text = big + "," + big + ",next";
    StrTok tok;
    StrTok_Start(&tok, text.c_str());
    Mem_FailNth(1, true);
    for (StrBuf* b : {buf.b, null}) {
        EXPECT_EQ(StrBuf_InsertStr(b, 0, big.c_str()), b);
        EXPECT_EQ(StrBuf_AssignStr(b, big.c_str()), b);
        EXPECT_EQ(StrBuf_Reserve(b, 1000), nullptr);
    }
    EXPECT_EQ(StrBuf_Trim(StrBuf_RemoveChar(null, 'a')), null);
    EXPECT_EQ(StrTok_Next(buf.b, &tok, ',', 1), 1);
    EXPECT_EQ(StrTok_Next(null, &tok, ',', 1), 1);
    EXPECT_EQ(buf.str(), "keep");
    EXPECT_EQ(buf.b->data, buf.b->inlineData);
    EXPECT_STREQ(StrBuf_Data(null), "");
    EXPECT_EQ(StrBuf_Length(null), 0);
    Mem_FailNth(0);
    StrBuf_Free(null);
    for (uint32_t count : {0x7FFFFFFDu, 0x80000000u, 0xFFFFFFFFu}) // refused before reading
        StrBuf_Insert(buf.b, -1, "x", count);
    EXPECT_EQ(StrBuf_Reserve(buf.b, 0xFFFFFFFFu), nullptr);
    EXPECT_EQ(buf.str(), "keep");
    EXPECT_EQ(StrTok_Next(buf.b, &tok, ',', 1), 1);
    EXPECT_EQ(buf.str(), "next");
}

} // namespace
