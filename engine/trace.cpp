// The trace of a job's numbers. Delivered runs are cut where the lines that
// made them change, and each piece goes to the filler on its own, so that
// the numbers it took can be named; the pieces are runs still, so a line
// such as 1~2000000000 costs no more here than in the filler.
#include "engine/trace.h"
#include "textlib/mem.h"
#include <cstring>

namespace {

MapTrace* Of(void* context) {
    return static_cast<MapTrace*>(context);
}

int64_t Filled(const MapTrace* t) {
    return t->fill->filled;
}

void Record(MapTrace* t, int64_t from, int32_t first, int32_t last) {
    for (int64_t k = from; k < Filled(t) && k < t->outputCount; k++)
        t->takes[k] = TraceOrigin{first, last};
}

// The line of the oldest number not yet delivered, and how many more come
// from it; numbers no run was told of (none, in a job) get line 0.
TraceMade* Head(MapTrace* t) {
    static TraceMade none;
    if (t->madeFirst < t->madeCount) return &t->made[t->madeFirst];
    none = TraceMade{0, INT64_MAX};
    return &none;
}

void Consume(MapTrace* t, int64_t n) {
    TraceMade* head = Head(t);
    if (head->count != INT64_MAX) head->count -= n;
    if (head->count == 0 && ++t->madeFirst == t->madeCount) t->madeFirst = t->madeCount = 0;
}

int64_t Room(void* context) {
    return Of(context)->inner.room(Of(context)->inner.context);
}

bool TakeRuns(void* context, const NumberRun* runs, int32_t count) {
    MapTrace* t = Of(context);
    bool full = false;
    for (int32_t i = 0; i < count && !full; i++) {
        NumberRun piece = runs[i];
        for (int64_t left = runs[i].count; left > 0 && !full;) {
            const TraceMade* head = Head(t);
            piece.count = left < head->count ? left : head->count;
            const int64_t from = Filled(t);
            full = t->inner.takeRuns(t->inner.context, &piece, 1);
            Record(t, from, head->line, head->line);
            Consume(t, piece.count);
            left -= piece.count;
            piece.start += piece.count * piece.step;
        }
    }
    return full;
}

int64_t TakeNumbers(void* context, const int32_t* numbers, int32_t count) {
    MapTrace* t = Of(context);
    int64_t room = Room(context);
    for (int32_t i = 0; i < count && room > 0;) {
        const TraceMade* head = Head(t);
        const int32_t n = count - i < head->count ? count - i : static_cast<int32_t>(head->count);
        const int64_t from = Filled(t);
        room = t->inner.takeNumbers(t->inner.context, numbers + i, n);
        Record(t, from, head->line, head->line);
        Consume(t, n);
        i += n;
    }
    return room;
}

bool TakeLoop(void* context, const RunStore* body, int64_t passes, int64_t step) {
    MapTrace* t = Of(context);
    const int64_t from = Filled(t);
    const bool full = t->inner.takeLoop(t->inner.context, body, passes, step);
    Record(t, from, t->loopLine, *t->line);
    return full;
}

} // namespace

bool MapTrace_Init(MapTrace* trace, int32_t inputCount, int32_t outputCount, const int32_t* line) {
    memset(trace, 0, sizeof *trace);
    trace->inputCount = inputCount;
    trace->outputCount = outputCount;
    trace->line = line;
    trace->takes = static_cast<TraceOrigin*>(
        Mem_AllocZero(static_cast<size_t>(outputCount) * sizeof(TraceOrigin)));
    trace->tileTake =
        static_cast<int32_t*>(Mem_AllocZero(static_cast<size_t>(inputCount) * sizeof(int32_t)));
    return trace->takes && trace->tileTake;
}

void MapTrace_Free(MapTrace* trace) {
    Mem_Free(trace->takes);
    Mem_Free(trace->tileTake);
    Mem_Free(trace->made);
    memset(trace, 0, sizeof *trace);
}

void MapTrace_Made(MapTrace* trace, int64_t count, bool inLoop) {
    if (inLoop || count <= 0) return;
    const int32_t line = *trace->line;
    if (trace->madeCount > trace->madeFirst && trace->made[trace->madeCount - 1].line == line) {
        trace->made[trace->madeCount - 1].count += count;
        return;
    }
    if (!Mem_Grow(&trace->made, &trace->madeCapacity, trace->madeCount,
                  int64_t{trace->madeCount} + 1, 64, INT32_MAX)) {
        trace->noMemory = true;
        return;
    }
    trace->made[trace->madeCount++] = TraceMade{line, count};
}

PatternSink MapTrace_Sink(MapTrace* trace, MapFill* fill) {
    trace->inner = MapFill_Sink(fill);
    trace->fill = fill;
    PatternSink sink = trace->inner;
    sink.context = trace;
    sink.room = Room;
    sink.takeRuns = TakeRuns;
    sink.takeNumbers = TakeNumbers;
    sink.takeLoop = TakeLoop;
    return sink;
}

bool MapTrace_Origin(const MapTrace* trace, bool inverse, int32_t k, TraceOrigin* origin,
                     int32_t* take) {
    const int32_t length = inverse ? trace->inputCount : trace->outputCount;
    if (!trace->takes || k < 0 || k >= length) return false;
    const int32_t n = inverse ? trace->tileTake[k] : k + 1;
    if (n <= 0 || trace->takes[n - 1].first <= 0) return false;
    *origin = trace->takes[n - 1];
    *take = n;
    return true;
}
