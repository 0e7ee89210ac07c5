// Covers the number scanner: blanks and signs, literal characters, stopping
// at the first mismatch, clamping to 32 bits, and agreement with the C
// library's sscanf on random texts whose numbers fit.
#include "engine/scan.h"
#include <gtest/gtest.h>
#include <cinttypes>
#include <cstdio>
#include <random>
#include <string>

namespace {

struct ScanCase {
    const char* text;
    const char* format;
    int stored;
    int32_t values[3];
};

const ScanCase SCAN_CASES[] = {
    {"12", "%d", 1, {12}},
    {"  \t-7x", "%d", 1, {-7}},
    {"+5", "%d", 1, {5}},
    {"- 5", "%d", 0, {}},
    {"+", "%d", 0, {}},
    {"", "%d", 0, {}},
    {"abc", "%d", 0, {}},
    {"007", "%d", 1, {7}},
    {"1~5", "%d~%d", 2, {1, 5}},
    {"1 ~5", "%d~%d", 1, {1}},      // the literal must follow the number directly
    {"1~ \t5", "%d~%d", 2, {1, 5}}, // but blanks may precede a number
    {"5/7", "%d~%d", 1, {5}},
    {"3(2)", "%d(%d)", 2, {3, 2}},
    {"3(2", "%d(%d)", 2, {3, 2}},
    {"3,4,5", "%d,%d,%d", 3, {3, 4, 5}},
    {" 3 , 4", "%d,%d", 1, {3}},
    {",5", "%d,%d", 0, {}},
    {"2147483647", "%d", 1, {INT32_MAX}},
    {"2147483648", "%d", 1, {INT32_MAX}},
    {"-2147483648", "%d", 1, {INT32_MIN}},
    {"-2147483649", "%d", 1, {INT32_MIN}},
    {"99999999999999999999999", "%d", 1, {INT32_MAX}},
    {"-99999999999999999999999~1", "%d~%d", 2, {INT32_MIN, 1}},
};

TEST(Scan, Table) {
    for (const ScanCase& c : SCAN_CASES) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.format);
        int32_t v[3] = {111, 222, 333};
        ASSERT_EQ(Scan_Format(c.text, c.format, v), c.stored);
        const int32_t untouched[3] = {111, 222, 333};
        for (int i = 0; i < 3; i++)
            EXPECT_EQ(v[i], i < c.stored ? c.values[i] : untouched[i]);
    }
}

TEST(Scan, IntMovesPastDigitsOnly) {
    const char* text = " -12abc";
    const char* p = text;
    int32_t v = 0;
    ASSERT_EQ(Scan_Int(&p, &v), 1);
    EXPECT_EQ(v, -12);
    EXPECT_STREQ(p, "abc");
    EXPECT_EQ(Scan_Int(&p, &v), 0);
    EXPECT_STREQ(p, "abc");
}

// Random texts over the characters that matter, compared with sscanf reading
// 64-bit numbers (whose clamp to 32 bits is the scanner's rule).
TEST(Scan, AgreesWithSscanf) {
    const uint32_t seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    const char alphabet[] = " \t+-0123456789~(),x";
    const char* const formats[] = {"%d", "%d~%d", "%d(%d)", "%d,%d", "%d,%d,%d"};
    const char* const wide[] = {"%" SCNd64, "%" SCNd64 "~%" SCNd64, "%" SCNd64 "(%" SCNd64,
                                "%" SCNd64 ",%" SCNd64, "%" SCNd64 ",%" SCNd64 ",%" SCNd64};
    for (int round = 0; round < 20000; round++) {
        std::string text;
        int length = static_cast<int>(rng() % 14);
        for (int i = 0; i < length; i++)
            text += alphabet[rng() % (sizeof alphabet - 1)];
        int f = static_cast<int>(rng() % 5);
        int64_t expected[3] = {0, 0, 0};
        int n = sscanf(text.c_str(), wide[f], &expected[0], &expected[1], &expected[2]);
        if (n < 0) n = 0;
        int32_t got[3] = {0, 0, 0};
        ASSERT_EQ(Scan_Format(text.c_str(), formats[f], got), n) << '"' << text << '"';
        for (int i = 0; i < n; i++) {
            int64_t clamped = expected[i] > INT32_MAX   ? INT32_MAX
                              : expected[i] < INT32_MIN ? INT32_MIN
                                                        : expected[i];
            ASSERT_EQ(got[i], clamped) << '"' << text << '"';
        }
    }
}

} // namespace
