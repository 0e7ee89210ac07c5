// Covers the packed run store's codec: runs of every width of start, count and step, out to the
// 64-bit extremes, come back as they went in, by offset and in order, through several blocks.
#include "engine/runstore.h"
#include <gtest/gtest.h>
#include <cstring>
#include <vector>

TEST(RunStore, RunsComeBackAsTheyWentIn) {
    const int64_t M = INT32_MAX, N = INT32_MIN, X = INT64_MAX, Y = INT64_MIN, C = int64_t{1} << 33;
    const NumberRun runs[15] = {{0, 1, 0},    {15, 1, 0}, {-16, 1, 0}, {16, 1, 0}, {-4096, 1, 0},
                                {4096, 1, 0}, {M, 1, 0},  {N, 1, 0},   {0, 9, 0},  {1, 2, 1},
                                {7, 130, -3}, {N, C, M},  {X, 2, Y},   {Y, X, X},  {-1, 2, -1}};
    RunStore store;
    RunStore_Init(&store);
    std::vector<uint32_t> at(60000);
    for (size_t i = 0; i < at.size(); i++)
        ASSERT_TRUE(RunStore_Add(&store, &runs[i % 15], &at[i]));
    uint32_t cursor = 0, offset = 0;
    for (size_t i = 0; i < at.size(); i++) {
        NumberRun next = {}, back = RunStore_At(&store, at[i]);
        ASSERT_TRUE(RunStore_Next(&store, &cursor, &next, &offset) && offset == at[i] &&
                    !memcmp(&next, &back, sizeof back) &&
                    !memcmp(&back, &runs[i % 15], sizeof back))
            << "run " << i % 15;
    }
    RunStore_Free(&store);
}
