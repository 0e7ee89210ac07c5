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
// The largest block asked for since the last Mem_FailNth call.
size_t Mem_LargestBlock();
// The most bytes held in blocks at one time since the last Mem_FailNth call.
size_t Mem_PeakBytes();
