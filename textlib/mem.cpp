// Allocation with a test seam that makes a chosen allocation fail.
#include "textlib/mem.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {
int64_t allocCount = 0; // allocations since the seam was last set
int64_t failAt = 0;     // 0: off; otherwise the allocation number that fails
bool failAfter = false; // every allocation from failAt on fails
size_t liveBytes = 0;   // bytes in blocks not yet freed
size_t peakBytes = 0;   // the most liveBytes has been since the seam was last set
// Each block carries its size in front of it, padded so that the block keeps
// the alignment malloc gives.
const size_t HEADER = 16;
} // namespace

void* Mem_Alloc(size_t size) {
    ++allocCount;
    if (failAt > 0 && (allocCount == failAt || (failAfter && allocCount > failAt))) return nullptr;
    if (size > SIZE_MAX - HEADER) return nullptr;
    char* block = static_cast<char*>(std::malloc(size + HEADER));
    if (!block) return nullptr;
    std::memcpy(block, &size, sizeof size);
    liveBytes += size;
    if (liveBytes > peakBytes) peakBytes = liveBytes;
    return block + HEADER;
}

void* Mem_AllocZero(size_t size) {
    void* block = Mem_Alloc(size);
    if (block) std::memset(block, 0, size);
    return block;
}

void Mem_Free(void* block) {
    if (!block) return;
    char* start = static_cast<char*>(block) - HEADER;
    size_t size;
    std::memcpy(&size, start, sizeof size);
    liveBytes -= size;
    std::free(start);
}

void Mem_FailNth(int64_t nth, bool failAllAfter) {
    allocCount = 0;
    peakBytes = liveBytes;
    failAt = nth > 0 ? nth : 0;
    failAfter = failAllAfter;
}

int64_t Mem_AllocCount() {
    return allocCount;
}

size_t Mem_PeakBytes() {
    return peakBytes;
}

bool Mem_GrowBlock(void** items, int32_t* capacity, int32_t count, int64_t need, size_t size,
                   int32_t first, int32_t limit) {
    if (need <= *capacity) return true;
    if (need > limit) return false;
    int64_t next = *capacity > 0 ? *capacity : first;
    while (next < need)
        next *= 2;
    if (next > limit) next = limit;
    if (static_cast<uint64_t>(next) > SIZE_MAX / size) return false; // a 32-bit size would wrap
    void* block = Mem_Alloc(size * static_cast<size_t>(next));
    if (!block) return false;
    if (count > 0) std::memcpy(block, *items, size * static_cast<size_t>(count));
    Mem_Free(*items);
    *items = block;
    *capacity = static_cast<int32_t>(next);
    return true;
}
