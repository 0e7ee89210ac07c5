// Allocation with a test seam that makes a chosen allocation fail.
#include "textlib/mem.h"

#include <cstdlib>
#include <cstring>

namespace {
int64_t g_count = 0;      // allocations since the seam was last set
int64_t g_failAt = 0;     // 0: off; otherwise the allocation number that fails
bool g_failAfter = false; // every allocation from g_failAt on fails
size_t g_largest = 0;     // the largest block asked for since the seam was last set
} // namespace

void* Mem_Alloc(size_t size) {
    ++g_count;
    if (size > g_largest) g_largest = size;
    if (g_failAt > 0 && (g_count == g_failAt || (g_failAfter && g_count > g_failAt)))
        return nullptr;
    return std::malloc(size ? size : 1);
}

void* Mem_AllocZero(size_t size) {
    void* block = Mem_Alloc(size);
    if (block) std::memset(block, 0, size);
    return block;
}

void Mem_Free(void* block) {
    std::free(block);
}

void Mem_FailNth(int64_t nth, bool failAllAfter) {
    g_count = 0;
    g_largest = 0;
    g_failAt = nth > 0 ? nth : 0;
    g_failAfter = failAllAfter;
}

int64_t Mem_AllocCount() {
    return g_count;
}

size_t Mem_LargestBlock() {
    return g_largest;
}
