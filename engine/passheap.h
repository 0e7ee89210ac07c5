// A heap of runs by the pass on which they next (or first) deliver a number,
// ties going by place in the body: the map filler takes the earliest first,
// the pattern interpreter drops the latest first.
#pragma once
#include <cstdint>

struct PassEntry {
    int32_t pass;    // loops have fewer than 2^31 passes
    uint32_t offset; // the run's place in its RunStore, which follows body order
};

struct PassHeap {
    PassEntry* entries;
    int32_t size;
    int32_t capacity;
    bool latestFirst; // the top is the latest entry, not the earliest
};

void PassHeap_Init(PassHeap* heap, bool latestFirst);
void PassHeap_Free(PassHeap* heap);
inline void PassHeap_Clear(PassHeap* heap) {
    heap->size = 0;
}
// Makes room for size entries in all; false when memory runs out.
bool PassHeap_Reserve(PassHeap* heap, int32_t size);
// false, leaving the heap unchanged, when memory runs out.
bool PassHeap_Push(PassHeap* heap, PassEntry entry);
// The top entry, removed; the heap must not be empty.
PassEntry PassHeap_Pop(PassHeap* heap);
inline const PassEntry* PassHeap_Top(const PassHeap* heap) {
    return heap->size ? &heap->entries[0] : nullptr;
}
