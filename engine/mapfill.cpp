// The map filler. It takes numbers a run at a time and clips each run to what
// the map can still use, so its work is bounded by the map's size plus the
// number of runs, whatever the runs' lengths. A loop is taken pass by pass;
// in the inverse method, where out-of-range numbers use up nothing, passes
// that would deliver nothing are jumped over with Run_NextPass.
#include "engine/mapfill.h"
#include "engine/passheap.h"

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

// The takes of the n numbers from index i0 that were just placed.
void KeepTakes(MapFill* fill, const NumberRun* run, int64_t shift, int64_t i0, int64_t n) {
    int64_t v = run->start + shift + i0 * run->step;
    for (int64_t k = 0; k < n; k++, v += run->step)
        if (v >= 1) fill->tileTake[v - 1] = static_cast<int32_t>(fill->filled - n + k + 1);
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
    if (fill->tileTake) KeepTakes(fill, run, shift, i0, n);
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
    if (!fill->inverse) {
        // In locals: a store through the byte map may alias the fill's fields.
        const int64_t take =
            count < fill->outputCount - fill->filled ? count : fill->outputCount - fill->filled;
        uint8_t* slot = fill->map + fill->filled;
        const uint32_t top = static_cast<uint32_t>(inputs); // negatives compare above it
        for (int64_t i = 0; i < take; i++) {
            const uint32_t n = static_cast<uint32_t>(numbers[i]);
            slot[i] = n <= top ? static_cast<uint8_t>(n) : 0;
        }
        fill->filled += take;
        return fill->outputCount - fill->filled;
    }
    for (int32_t i = 0; i < count && fill->filled < fill->outputCount; i++) {
        const int64_t n = numbers[i];
        if (n >= 0 && n <= inputs) {
            fill->filled++;
            if (n >= 1) fill->map[n - 1] = static_cast<uint8_t>(fill->filled);
            if (n >= 1 && fill->tileTake)
                fill->tileTake[n - 1] = static_cast<int32_t>(fill->filled);
        }
    }
    return fill->outputCount - fill->filled;
}

// The next pass from `from` on which run delivers a number in 0..inputCount.
int64_t NextPass(const MapFill* fill, const NumberRun* run, int64_t step, int64_t from,
                 int64_t passes) {
    if (Run_IsZero(run)) return from < passes ? from : -1;
    return Run_NextPass(run, step, 0, fill->inputCount, from, passes);
}

// The runs' passes taken earliest first, by pass and then by place in the
// body: exactly the order in which the loop delivers them.
bool TakeLoopInverse(MapFill* fill, const RunStore* body, int64_t passes, int64_t step) {
    PassHeap heap;
    PassHeap_Init(&heap, false);
    if (!PassHeap_Reserve(&heap, static_cast<int32_t>(body->liveRuns))) {
        fill->noMemory = true;
        return true;
    }
    uint32_t at = 0, offset;
    NumberRun run;
    while (RunStore_Next(body, &at, &run, &offset)) {
        const int64_t p = NextPass(fill, &run, step, 0, passes);
        if (p >= 0) PassHeap_Push(&heap, PassEntry{static_cast<int32_t>(p), offset});
    }
    bool full = false;
    while (heap.size > 0 && !full) {
        const PassEntry next = PassHeap_Pop(&heap);
        run = RunStore_At(body, next.offset);
        full = TakeInverse(fill, &run, Shift(&run, next.pass, step));
        const int64_t p = NextPass(fill, &run, step, next.pass + 1, passes);
        if (p >= 0) PassHeap_Push(&heap, PassEntry{static_cast<int32_t>(p), next.offset});
    }
    PassHeap_Free(&heap);
    return IsFull(fill);
}

bool TakeLoop(void* context, const RunStore* body, int64_t passes, int64_t step) {
    MapFill* fill = static_cast<MapFill*>(context);
    if (body->liveRuns <= 0) return IsFull(fill);
    if (fill->inverse) return TakeLoopInverse(fill, body, passes, step);
    // Forward: each pass uses at least one slot, so this ends within the map.
    for (int64_t p = 0; p < passes; p++) {
        uint32_t at = 0, offset;
        NumberRun run;
        while (RunStore_Next(body, &at, &run, &offset))
            if (TakeForward(fill, &run, Shift(&run, p, step))) return true;
    }
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
    fill->tileTake = nullptr;
}

PatternSink MapFill_Sink(MapFill* fill) {
    // Forward, every number uses up a slot; inverse, those in 0..inputCount.
    const int64_t lo = fill->inverse ? 0 : INT64_MIN;
    const int64_t hi = fill->inverse ? fill->inputCount : INT64_MAX;
    return PatternSink{fill, lo, hi, Room, TakeRuns, TakeNumbers, TakeLoop};
}
