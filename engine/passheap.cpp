#include "engine/passheap.h"
#include "textlib/mem.h"

namespace {

// Whether a belongs above b.
bool Above(const PassHeap* heap, const PassEntry& a, const PassEntry& b) {
    const bool earlier = a.pass != b.pass ? a.pass < b.pass : a.offset < b.offset;
    const bool same = a.pass == b.pass && a.offset == b.offset;
    return heap->latestFirst ? !earlier && !same : earlier;
}

} // namespace

void PassHeap_Init(PassHeap* heap, bool latestFirst) {
    *heap = PassHeap{nullptr, 0, 0, latestFirst};
}

void PassHeap_Free(PassHeap* heap) {
    Mem_Free(heap->entries);
    PassHeap_Init(heap, heap->latestFirst);
}

bool PassHeap_Reserve(PassHeap* heap, int32_t size) {
    return Mem_Grow(&heap->entries, &heap->capacity, heap->size, size, 64, INT32_MAX);
}

bool PassHeap_Push(PassHeap* heap, PassEntry entry) {
    if (!PassHeap_Reserve(heap, heap->size + 1)) return false;
    int32_t i = heap->size++;
    while (i > 0 && Above(heap, entry, heap->entries[(i - 1) / 2])) {
        heap->entries[i] = heap->entries[(i - 1) / 2];
        i = (i - 1) / 2;
    }
    heap->entries[i] = entry;
    return true;
}

PassEntry PassHeap_Pop(PassHeap* heap) {
    PassEntry* e = heap->entries;
    const PassEntry top = e[0];
    const PassEntry item = e[--heap->size];
    int32_t i = 0;
    for (;;) {
        int32_t child = 2 * i + 1;
        if (child >= heap->size) break;
        if (child + 1 < heap->size && Above(heap, e[child + 1], e[child])) child++;
        if (!Above(heap, e[child], item)) break;
        e[i] = e[child];
        i = child;
    }
    e[i] = item;
    return top;
}
