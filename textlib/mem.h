// Allocation for the text and file library and the engine. Every block the
// core allocates goes through here, so that tests can make the n-th
// allocation fail and check that out-of-memory paths leave things unchanged.
#pragma once
#include <cstddef>
#include <cstdint>

// Returns a block of size bytes, or null when memory runs out (or the test
// seam says this allocation fails). Free it with Mem_Free.
void* Mem_Alloc(size_t size);
// Like Mem_Alloc, with the block zero-filled.
void* Mem_AllocZero(size_t size);
// Frees a block from Mem_Alloc; null is ignored.
void Mem_Free(void* block);

// Test seam: the nth allocation from now fails (1 = the next one). With
// failAllAfter set, that one and every later allocation fail until the seam
// is reset with Mem_FailNth(0).
void Mem_FailNth(int64_t nth, bool failAllAfter = false);
// Allocations made since the last Mem_FailNth call (failed ones included).
int64_t Mem_AllocCount();
// The most bytes held in blocks at one time since the last Mem_FailNth call.
size_t Mem_PeakBytes();

// Grows an array of items of size bytes, count of them in use, so that it
// holds at least need: its capacity doubles from first, and never passes
// limit. Returns false, leaving the array as it was, when need is above
// limit or memory runs out.
bool Mem_GrowBlock(void** items, int32_t* capacity, int32_t count, int64_t need, size_t size,
                   int32_t first, int32_t limit);
template <typename T>
bool Mem_Grow(T** items, int32_t* capacity, int32_t count, int64_t need, int32_t first,
              int32_t limit) {
    if (need <= *capacity) return true;
    void* block = *items;
    const bool grown = Mem_GrowBlock(&block, capacity, count, need, sizeof(T), first, limit);
    *items = static_cast<T*>(block);
    return grown;
}
