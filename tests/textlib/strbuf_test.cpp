// String buffer and tokenizer: growth, positions, trim, character removal,
// token splitting with and without skipping empties, and the out-of-memory
// and size-limit paths that must leave a buffer unchanged.
#include "textlib/strbuf.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>

#include "textlib/mem.h"

namespace {

struct Buf {
    StrBuf* b = StrBuf_New();
    ~Buf() { StrBuf_Free(b); }
    std::string str() const { return std::string(b->data, b->length); }
};

TEST(StrBuf, NewBufferIsEmptyInline) {
    Buf buf;
    EXPECT_EQ(buf.b->length, 0);
    EXPECT_EQ(buf.b->capacity, 244);
    EXPECT_STREQ(StrBuf_Data(buf.b), "");
    EXPECT_EQ(buf.b->data, buf.b->inlineData);
}

TEST(StrBuf, GrowthLeavesInlineStorageAtTheDocumentedSizes) {
    Buf buf;
    StrBuf_AssignStr(buf.b, std::string(243, 'x').c_str());
    EXPECT_EQ(buf.b->data, buf.b->inlineData);
    EXPECT_EQ(buf.b->capacity, 244);
    StrBuf_AssignStr(buf.b, std::string(244, 'y').c_str());
    EXPECT_NE(buf.b->data, buf.b->inlineData);
    EXPECT_EQ(buf.b->capacity, 488);
    EXPECT_EQ(buf.str(), std::string(244, 'y'));
    // Capacity never shrinks and the text never returns inline.
    StrBuf_AssignStr(buf.b, "");
    EXPECT_EQ(buf.b->capacity, 488);
    EXPECT_NE(buf.b->data, buf.b->inlineData);
    // Above 1 MiB the buffer grows by steps of about 1 MiB.
    std::string big(1048577, 'z');
    StrBuf_AssignStr(buf.b, big.c_str());
    EXPECT_EQ(buf.b->capacity, (1048577 + 1048579) & ~3);
}

TEST(StrBuf, InsertPositions) {
    struct Case {
        const char* start;
        int32_t pos;
        const char* text;
        const char* expect;
    } cases[] = {
        {"abc", -1, "XY", "abcXY"}, {"abc", 3, "XY", "abcXY"}, {"abc", 99, "XY", "abcXY"},
        {"abc", -7, "XY", "abcXY"}, {"abc", 0, "XY", "XYabc"}, {"abc", 1, "XY", "aXYbc"},
        {"", 0, "XY", "XY"},        {"abc", 2, "", "abc"},
    };
    for (const Case& c : cases) {
        Buf buf;
        StrBuf_AssignStr(buf.b, c.start);
        StrBuf_InsertStr(buf.b, c.pos, c.text);
        EXPECT_EQ(buf.str(), c.expect) << c.start << " at " << c.pos;
        EXPECT_EQ(buf.b->data[buf.b->length], 0);
    }
}

TEST(StrBuf, InsertKeepsAnyByteAndItsOwnText) {
    Buf buf;
    const char raw[] = {'a', 0, '\xff', 'b'};
    StrBuf_Insert(buf.b, -1, raw, 4);
    EXPECT_EQ(buf.str(), std::string(raw, 4));
    // Inserting a piece of the buffer's own text, also while it moves out of
    // the inline storage.
    std::string text(200, 'q');
    text += "TAIL";
    StrBuf_AssignStr(buf.b, text.c_str());
    StrBuf_Insert(buf.b, 0, buf.b->data + 200, 4);
    EXPECT_EQ(buf.str(), "TAIL" + text);
    StrBuf_Insert(buf.b, 2, buf.b->data, static_cast<uint32_t>(buf.b->length));
    EXPECT_EQ(buf.str(), "TA" + ("TAIL" + text) + "IL" + text);
}

TEST(StrBuf, ReserveAndExtendFillInPlace) {
    Buf buf;
    StrBuf_AssignStr(buf.b, "ab");
    char* at = StrBuf_Reserve(buf.b, 300);
    ASSERT_NE(at, nullptr);
    EXPECT_GE(buf.b->capacity, 303);
    std::memcpy(at, "cdef", 4);
    StrBuf_Extend(buf.b, 3);
    EXPECT_EQ(buf.str(), "abcde");
    EXPECT_EQ(StrBuf_Reserve(StrBuf_Null, 1), nullptr);
    Mem_FailNth(1);
    EXPECT_EQ(StrBuf_Reserve(buf.b, 1000), nullptr);
    Mem_FailNth(0);
    EXPECT_EQ(buf.str(), "abcde");
}

TEST(StrBuf, TrimAndRemoveChar) {
    struct Case {
        const char* in;
        const char* trimmed;
    } cases[] = {
        {"  \tabc \r\n", "abc"},
        {" \t\r\n\v\f ", ""},
        {"", ""},
        {"a b", "a b"},
        {"x \xb0", "x \xb0"},
        {"\xea\xb0\x80  ", "\xea\xb0\x80"},
        {"\x85 a", "\x85 a"},
        {"  \xea\xb0\x80", "\xea\xb0\x80"},
    };
    for (const Case& c : cases) {
        Buf buf;
        StrBuf_AssignStr(buf.b, c.in);
        StrBuf_Trim(buf.b);
        EXPECT_EQ(buf.str(), c.trimmed) << '"' << c.in << '"';
    }
    Buf buf;
    StrBuf_AssignStr(buf.b, "\"a b\"");
    StrBuf_RemoveChar(buf.b, '"');
    EXPECT_EQ(buf.str(), "a b");
    StrBuf_RemoveChar(buf.b, ' ');
    EXPECT_EQ(buf.str(), "ab");
}

std::vector<std::string> Split(const char* text, const char* seps, uint8_t skip) {
    std::vector<std::string> out;
    StrTok tok;
    StrTok_Start(&tok, text);
    Buf buf;
    for (size_t i = 0;; ++i) {
        const char sep = seps[i < std::strlen(seps) ? i : std::strlen(seps) - 1];
        if (!StrTok_Next(buf.b, &tok, sep, skip)) break;
        out.push_back(buf.str());
        if (out.size() > 20) break;
    }
    return out;
}

TEST(StrTok, SplitsWithAndWithoutSkippingEmpties) {
    using V = std::vector<std::string>;
    struct Case {
        const char* text;
        const char* seps; // one separator per call; the last one repeats
        uint8_t skip;
        V expect;
    } cases[] = {
        {"a,,b", ",", 1, V{"a", "b"}},
        {",,a", ",", 1, V{"a"}},
        {"", ",", 1, V{}},
        {",,,", ",", 1, V{}},
        {"a,", ",", 1, V{"a"}},
        {"a,,b", ",", 0, V{"a", "", "b"}},
        {",a", ",", 0, V{"", "a"}},
        {"", ",", 0, V{""}},
        {"a,", ",", 0, V{"a"}},
        {"X(,b)", "(,)", 1, V{"X", "", "b"}},
        {"$SET(LOOP,L)", "(,)", 1, V{"$SET", "LOOP", "L"}},
        {".map;;.txt;", ";", 1, V{".map", ".txt"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Split(c.text, c.seps, c.skip), c.expect) << '"' << c.text << '"';
    StrTok tok;
    StrTok_Start(&tok, nullptr);
    Buf buf;
    EXPECT_EQ(StrTok_Next(buf.b, &tok, ',', 1), 0);
}

TEST(StrBuf, NullBufferIgnoresEverything) {
    StrBuf* n = StrBuf_Null;
    EXPECT_EQ(StrBuf_InsertStr(n, -1, "abc"), n);
    EXPECT_EQ(StrBuf_AssignStr(n, "abc"), n);
    EXPECT_EQ(StrBuf_Trim(StrBuf_RemoveChar(n, 'a')), n);
    EXPECT_STREQ(StrBuf_Data(n), "");
    EXPECT_EQ(n->length, 0);
    EXPECT_EQ(n->capacity, 1);
    StrBuf_Free(n);
    // The tokenizer still walks and counts into the null buffer.
    StrTok tok;
    StrTok_Start(&tok, "a,b,c");
    int taken = 0;
    while (StrTok_Next(n, &tok, ',', 1))
        ++taken;
    EXPECT_EQ(taken, 3);
    EXPECT_EQ(tok.count, 3);
    EXPECT_STREQ(StrBuf_Data(n), "");
}

TEST(StrBuf, OutOfMemoryLeavesBuffersUnchanged) {
    Mem_FailNth(1);
    EXPECT_EQ(StrBuf_New(), StrBuf_Null);
    Mem_FailNth(0);

    Buf buf;
    StrBuf_AssignStr(buf.b, "keep");
    const std::string big(300, 'b');
    Mem_FailNth(1);
    StrBuf_InsertStr(buf.b, 0, big.c_str());
    EXPECT_EQ(buf.str(), "keep");
    EXPECT_EQ(buf.b->capacity, 244);
    Mem_FailNth(1);
    StrBuf_AssignStr(buf.b, big.c_str());
    EXPECT_EQ(buf.str(), "keep");
    // The tokenizer advances even when it cannot store the token.
    const std::string text = big + ",next";
    StrTok tok;
    StrTok_Start(&tok, text.c_str());
    Mem_FailNth(1);
    EXPECT_EQ(StrTok_Next(buf.b, &tok, ',', 1), 1);
    EXPECT_EQ(buf.str(), "keep");
    Mem_FailNth(0);
    ASSERT_EQ(StrTok_Next(buf.b, &tok, ',', 1), 1);
    EXPECT_EQ(buf.str(), "next");
}

TEST(StrBuf, TextPastTheSignedLimitIsRefusedWithoutOverflow) {
    Buf buf;
    StrBuf_AssignStr(buf.b, "abc");
    static const char tiny[1] = {'x'};
    // The count alone passes the limit: refused before anything is read.
    StrBuf_Insert(buf.b, -1, tiny, 0x80000000u);
    StrBuf_Insert(buf.b, -1, tiny, 0xFFFFFFFFu);
    StrBuf_Insert(buf.b, -1, tiny, 0x7FFFFFFDu);
    EXPECT_EQ(buf.str(), "abc");
    EXPECT_EQ(buf.b->capacity, 244);
}

} // namespace
