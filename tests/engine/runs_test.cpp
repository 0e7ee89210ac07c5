// Covers runs: how appends split out zeros and merge, clipping a run to a
// window, and the two searches that let a loop skip passes (first hit of a
// modular sequence, next pass with a number in a window) against plain
// counting, plus their extremes at the 64-bit bounds.
#include "engine/runs.h"
#include <gtest/gtest.h>
#include <numeric>
#include <random>
#include <vector>

namespace {

std::vector<int64_t> Expand(const RunList& list) {
    std::vector<int64_t> out;
    for (int32_t r = 0; r < list.count; r++)
        for (int64_t i = 0; i < list.runs[r].count; i++)
            out.push_back(list.runs[r].start + i * list.runs[r].step);
    return out;
}

TEST(RunList, SplitsZerosAndMerges) {
    struct Append {
        int64_t start, count, step;
    };
    struct Case {
        std::vector<Append> appends;
        int32_t runs;
        std::vector<int64_t> numbers;
    } cases[] = {
        {{{1, 1, 0}, {2, 1, 0}, {3, 1, 0}, {4, 3, 1}}, 1, {1, 2, 3, 4, 5, 6}},
        {{{-2, 4, 1}}, 3, {-2, -1, 0, 1}},
        {{{0, 2, 0}, {0, 1, 0}, {5, 2, 0}}, 2, {0, 0, 0, 5, 5}},
        {{{9, 4, -3}}, 2, {9, 6, 3, 0}},
        {{{7, 0, 1}, {7, -1, 0}}, 0, {}},
        {{{1, 1, 0}, {3, 1, 0}, {4, 1, 0}}, 2, {1, 3, 4}},
        {{{-2147483647, 1, 0}, {2147483647, 1, 0}}, 2, {-2147483647, 2147483647}},
    };
    for (const Case& c : cases) {
        RunList list;
        RunList_Init(&list);
        for (const Append& a : c.appends)
            ASSERT_TRUE(RunList_Append(&list, a.start, a.count, a.step));
        EXPECT_EQ(list.count, c.runs);
        EXPECT_EQ(Expand(list), c.numbers);
        for (int32_t r = 0; r < list.count; r++) { // all zeros, or none
            std::vector<int64_t> n;
            for (int64_t i = 0; i < list.runs[r].count; i++)
                n.push_back(list.runs[r].start + i * list.runs[r].step);
            bool zero = Run_IsZero(&list.runs[r]);
            for (int64_t v : n)
                EXPECT_EQ(v == 0, zero);
        }
        RunList_Free(&list);
    }
}

int64_t BruteFirstHit(int64_t a, int64_t b, int64_t m, int64_t width) {
    for (int64_t x = 0; x < m; x++)
        if ((a * x + b) % m <= width) return x;
    return -1;
}

int64_t BruteNextPass(const NumberRun& run, int64_t t, int64_t lo, int64_t hi, int64_t from,
                      int64_t passes) {
    for (int64_t p = from < 0 ? 0 : from; p < passes; p++) {
        int64_t i0, i1;
        if (Run_Clip(&run, p * t, lo, hi, &i0, &i1)) return p;
    }
    return -1;
}

TEST(Runs, ClipMatchesCounting) {
    const uint32_t seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    for (int round = 0; round < 20000; round++) {
        NumberRun run = {int64_t(rng() % 81) - 40, int64_t(rng() % 9) + 1,
                         int64_t(rng() % 21) - 10};
        int64_t lo = int64_t(rng() % 41) - 20, hi = lo + int64_t(rng() % 15) - 2;
        int64_t first = -1, last = -2;
        for (int64_t i = 0; i < run.count; i++) {
            int64_t v = run.start + i * run.step;
            if (v >= lo && v <= hi) {
                if (first < 0) first = i;
                last = i;
            }
        }
        int64_t i0 = -1, i1 = -1;
        bool hit = Run_Clip(&run, 0, lo, hi, &i0, &i1);
        ASSERT_EQ(hit, first >= 0);
        if (hit) {
            ASSERT_EQ(i0, first);
            ASSERT_EQ(i1, last); // the numbers in the window are consecutive
        }
    }
}

TEST(Runs, FirstHitMatchesCounting) {
    const uint32_t seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    for (int round = 0; round < 20000; round++) {
        int64_t m = int64_t(rng() % (round < 10000 ? 40 : 3000)) + 1;
        int64_t a = int64_t(rng()) % m, b = int64_t(rng()) % m, width = int64_t(rng()) % m / 4;
        ASSERT_EQ(Run_FirstHit(a, b, m, width), BruteFirstHit(a, b, m, width))
            << a << " " << b << " " << m << " " << width;
    }
}

TEST(Runs, FirstHitWithLargeModuli) {
    const uint32_t seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937_64 rng(seed);
    for (int round = 0; round < 1000; round++) {
        int64_t m = int64_t(rng() % (INT64_C(1) << 31)) + 1;
        int64_t a = int64_t(rng() % uint64_t(m)), b = int64_t(rng() % uint64_t(m));
        int64_t width = int64_t(rng() % 300);
        int64_t x = Run_FirstHit(a, b, m, width);
        if (x < 0) {
            // No hit at all: the reachable remainders are those of b modulo gcd(a, m).
            ASSERT_GT(b % std::gcd(a, m), width) << a << " " << b << " " << m;
            continue;
        }
        ASSERT_LE((a * x + b) % m, width);
        int64_t limit = x < 20000 ? x : 20000; // no earlier hit, as far as we count
        for (int64_t y = 0; y < limit; y++)
            ASSERT_GT((a * y + b) % m, width) << y;
    }
}

TEST(Runs, NextPassMatchesCounting) {
    const uint32_t seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937_64 rng(seed);
    for (int round = 0; round < 30000; round++) {
        bool wide = round % 3 == 0; // sparse runs with big steps, many passes
        int64_t span = wide ? 2000000 : 60;
        NumberRun run = {int64_t(rng() % uint64_t(2 * span + 1)) - span,
                         int64_t(rng() % (wide ? 50 : 8)) + 1,
                         int64_t(rng() % uint64_t(wide ? 200001 : 41)) - (wide ? 100000 : 20)};
        int64_t t = int64_t(rng() % uint64_t(wide ? 20001 : 31)) - (wide ? 10000 : 15);
        int64_t lo = int64_t(rng() % 7) - 2, hi = lo + int64_t(rng() % 12);
        int64_t passes = int64_t(rng() % (wide ? 5000 : 40));
        int64_t from = int64_t(rng() % 12);
        ASSERT_EQ(Run_NextPass(&run, t, lo, hi, from, passes),
                  BruteNextPass(run, t, lo, hi, from, passes))
            << run.start << "," << run.count << "," << run.step << " t=" << t << " " << lo << ".."
            << hi << " from " << from << " of " << passes;
    }
}

// The largest magnitudes a pattern can reach, where a careless sum would
// overflow 64 bits (checked by the sanitizer build).
TEST(Runs, NextPassAtTheBounds) {
    const int64_t max32 = INT32_MAX, min32 = INT32_MIN;
    const NumberRun top = {max32, max32, max32};    // up to about 2^62
    const NumberRun bottom = {min32, max32, min32}; // down to about -2^62
    EXPECT_EQ(Run_NextPass(&top, max32, 0, 255, 0, max32), -1);
    EXPECT_EQ(Run_NextPass(&bottom, min32, 0, 255, 0, max32), -1);
    // -2^31 * (1 + i) + p * (2^31 - 1) is 2^31 * (p - 1 - i) - p: in 0..255
    // first with p - 1 - i = 1 and p = 2^31 - 255, where it is 255.
    EXPECT_EQ(Run_NextPass(&bottom, max32, 0, 255, 0, max32), (INT64_C(1) << 31) - 255);
    // min32 + 1 + p reaches 0 on pass 2^31 - 1, one past the last of max32.
    const NumberRun low = {min32 + 1, 1, 0};
    EXPECT_EQ(Run_NextPass(&low, 1, 0, 255, 0, max32), -1);
    EXPECT_EQ(Run_NextPass(&low, 1, 0, 255, 0, max32 + 1), max32);
    // 1 + i * 2^31 and a pass step of -1: pass p holds 1 - p + i * 2^31,
    // which is 0..255 first on pass 0 and again from pass 2^31 - 254 on.
    const NumberRun sparse = {1, 3, INT64_C(1) << 31};
    EXPECT_EQ(Run_NextPass(&sparse, -1, 0, 255, 2, max32), (INT64_C(1) << 31) - 254);
    int64_t i0, i1;
    EXPECT_TRUE(Run_Clip(&top, 0, max32, max32, &i0, &i1));
    // Shifted by (2^31 - 2) * (2^31 - 1), number i of bottom is
    // 2^31 * (2^31 - 4 - i) + 2: in the window only for i = 2^31 - 4.
    ASSERT_TRUE(Run_Clip(&bottom, (max32 - 1) * max32, 0, 255, &i0, &i1));
    EXPECT_EQ(i0, (INT64_C(1) << 31) - 4);
    EXPECT_EQ(i1, i0);
}

} // namespace
