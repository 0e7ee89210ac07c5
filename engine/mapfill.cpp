// The map filler. It takes numbers a run at a time and clips each run to what
// the map can still use, so its work is bounded by the map's size plus the
// number of runs, whatever the runs' lengths. A loop is taken pass by pass;
// in the inverse method, where out-of-range numbers use up nothing, passes
// that would deliver nothing are jumped over with Run_NextPass.
#include "engine/mapfill.h"
#include "textlib/mem.h"

namespace {

int64_t Shift(const NumberRun* run, int64_t pass, int64_t step) {
    return Run_IsZero(run) ? 0 : pass * step;
}

bool IsFull(const MapFill* fill) {
    return fill->filled >= fill->outputCount;
}

// Forward: every number uses one slot; those outside 0..inputCount leave it 0.
bool TakeForward(MapFill* fill, const NumberRun* run, int64_t shift) {
    int64_t n = fill->outputCount - fill->filled;
    if (run->count < n) n = run->count;
    int64_t i0, i1;
    if (Run_Clip(run, shift, 0, fill->inputCount, &i0, &i1) && i0 < n) {
        if (i1 > n - 1) i1 = n - 1;
        uint8_t* slot = fill->map + fill->filled;
        int64_t v = run->start + shift + i0 * run->step;
        for (int64_t i = i0; i <= i1; i++, v += run->step)
            slot[i] = static_cast<uint8_t>(v);
    }
    fill->filled += n;
    return IsFull(fill);
}

// Inverse: only numbers in 0..inputCount are taken; they form one stretch.
bool TakeInverse(MapFill* fill, const NumberRun* run, int64_t shift) {
    int64_t i0, i1;
    if (!Run_Clip(run, shift, 0, fill->inputCount, &i0, &i1)) return false;
    int64_t n = fill->outputCount - fill->filled;
    if (i1 - i0 + 1 < n) n = i1 - i0 + 1;
    int64_t v = run->start + shift + i0 * run->step;
    for (int64_t k = 0; k < n; k++, v += run->step) {
        fill->filled++;
        if (v >= 1) fill->map[v - 1] = static_cast<uint8_t>(fill->filled);
    }
    return IsFull(fill);
}

bool Take(MapFill* fill, const NumberRun* run, int64_t shift) {
    return fill->inverse ? TakeInverse(fill, run, shift) : TakeForward(fill, run, shift);
}

int64_t Room(void* context) {
    const MapFill* fill = static_cast<const MapFill*>(context);
    return fill->outputCount - fill->filled;
}

bool TakeRuns(void* context, const NumberRun* runs, int32_t count) {
    MapFill* fill = static_cast<MapFill*>(context);
    for (int32_t i = 0; i < count; i++)
        if (Take(fill, &runs[i], 0)) return true;
    return IsFull(fill);
}

int64_t TakeNumbers(void* context, const int32_t* numbers, int32_t count) {
    MapFill* fill = static_cast<MapFill*>(context);
    const int64_t inputs = fill->inputCount;
    for (int32_t i = 0; i < count && fill->filled < fill->outputCount; i++) {
        const int64_t n = numbers[i];
        if (!fill->inverse) {
            fill->map[fill->filled++] = n >= 0 && n <= inputs ? static_cast<uint8_t>(n) : 0;
        } else if (n >= 0 && n <= inputs) {
            fill->filled++;
            if (n >= 1) fill->map[n - 1] = static_cast<uint8_t>(fill->filled);
        }
    }
    return fill->outputCount - fill->filled;
}

// Pending passes of the body's runs, ordered by pass and then by place in
// the body: exactly the order in which the loop delivers them.
struct Pending {
    int64_t pass;
    int32_t index;
};

bool Before(const Pending& a, const Pending& b) {
    return a.pass != b.pass ? a.pass < b.pass : a.index < b.index;
}

void HeapPush(Pending* heap, int32_t* size, Pending item) {
    int32_t i = (*size)++;
    while (i > 0 && Before(item, heap[(i - 1) / 2])) {
        heap[i] = heap[(i - 1) / 2];
        i = (i - 1) / 2;
    }
    heap[i] = item;
}

Pending HeapPop(Pending* heap, int32_t* size) {
    Pending top = heap[0];
    Pending item = heap[--*size];
    int32_t i = 0;
    for (;;) {
        int32_t child = 2 * i + 1;
        if (child >= *size) break;
        if (child + 1 < *size && Before(heap[child + 1], heap[child])) child++;
        if (!Before(heap[child], item)) break;
        heap[i] = heap[child];
        i = child;
    }
    heap[i] = item;
    return top;
}

// The next pass from `from` on which run delivers a number in 0..inputCount.
int64_t NextPass(const MapFill* fill, const NumberRun* run, int64_t step, int64_t from,
                 int64_t passes) {
    if (Run_IsZero(run)) return from < passes ? from : -1;
    return Run_NextPass(run, step, 0, fill->inputCount, from, passes);
}

bool TakeLoopInverse(MapFill* fill, const NumberRun* body, int32_t count, int64_t passes,
                     int64_t step) {
    Pending* heap = static_cast<Pending*>(Mem_Alloc(sizeof(Pending) * static_cast<size_t>(count)));
    if (!heap) {
        fill->noMemory = true;
        return true;
    }
    int32_t size = 0;
    for (int32_t j = 0; j < count; j++) {
        int64_t p = NextPass(fill, &body[j], step, 0, passes);
        if (p >= 0) HeapPush(heap, &size, Pending{p, j});
    }
    bool full = false;
    while (size > 0 && !full) {
        Pending next = HeapPop(heap, &size);
        const NumberRun* run = &body[next.index];
        full = TakeInverse(fill, run, Shift(run, next.pass, step));
        int64_t p = NextPass(fill, run, step, next.pass + 1, passes);
        if (p >= 0) HeapPush(heap, &size, Pending{p, next.index});
    }
    Mem_Free(heap);
    return IsFull(fill);
}

bool TakeLoop(void* context, const NumberRun* body, int32_t count, int64_t passes, int64_t step) {
    MapFill* fill = static_cast<MapFill*>(context);
    if (count <= 0) return IsFull(fill);
    if (fill->inverse) return TakeLoopInverse(fill, body, count, passes, step);
    // Forward: each pass uses at least one slot, so this ends within the map.
    for (int64_t p = 0; p < passes; p++)
        for (int32_t j = 0; j < count; j++)
            if (TakeForward(fill, &body[j], Shift(&body[j], p, step))) return true;
    return IsFull(fill);
}

} // namespace

void MapFill_Init(MapFill* fill, uint8_t* map, int32_t inputCount, int32_t outputCount,
                  bool inverse) {
    fill->map = map;
    fill->inputCount = inputCount;
    fill->outputCount = outputCount;
    fill->inverse = inverse;
    fill->filled = 0;
    fill->noMemory = false;
}

PatternSink MapFill_Sink(MapFill* fill) {
    // Forward, every number uses up a slot; inverse, those in 0..inputCount.
    const int64_t lo = fill->inverse ? 0 : INT64_MIN;
    const int64_t hi = fill->inverse ? fill->inputCount : INT64_MAX;
    return PatternSink{fill, lo, hi, Room, TakeRuns, TakeNumbers, TakeLoop};
}
