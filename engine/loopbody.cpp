// Which runs the map can still use is decided with lower bounds: each run
// kept puts at least one number into the map on its first pass in lo..hi,
// at its place in the body. Once the numbers of the first pass and the runs
// of later passes together reach the room, the map is full by the time the
// latest of those runs comes, so that run and any run coming later in pass
// order can go. What is left is at most one run per slot of room.
#include "engine/loopbody.h"
#include <cstring>

namespace {

int64_t FirstPass(const LoopBody* body, const NumberRun* run, int64_t from) {
    if (body->lo == INT64_MIN) return 0;
    return Run_NextPass(run, body->step, body->lo, body->hi, from, body->passes);
}

// The runs that the map cannot reach before it is full, dropped.
void DropUnreachable(LoopBody* body) {
    while (body->late.size > 0 && body->firstPass + body->late.size > body->room)
        RunStore_Drop(&body->runs, PassHeap_Pop(&body->late).offset);
    RunStore* runs = &body->runs;
    if (runs->deadBytes < (1 << 18) || runs->deadBytes < runs->liveBytes / 4) return;
    RunStore_Compact(runs);
    PassHeap_Clear(&body->late); // every offset changed: find the late runs again
    uint32_t at = 0, offset;
    NumberRun run;
    while (RunStore_Next(runs, &at, &run, &offset)) {
        const int64_t pass = FirstPass(body, &run, 0);
        // No more entries than before: the heap has room for them.
        if (pass > 0) PassHeap_Push(&body->late, PassEntry{static_cast<int32_t>(pass), offset});
    }
}

// Moves the first of the open runs into the store, and among the late runs
// when the map first takes from it on a later pass. False when memory runs
// out.
bool StoreFirstOpen(LoopBody* body) {
    const NumberRun run = body->open.runs[0];
    body->open.count--;
    memmove(body->open.runs, body->open.runs + 1, sizeof(NumberRun) * body->open.count);
    uint32_t offset;
    if (!RunStore_Add(&body->runs, &run, &offset)) return false;
    const int64_t pass = FirstPass(body, &run, 0);
    if (pass <= 0) return true;
    if (PassHeap_Push(&body->late, PassEntry{static_cast<int32_t>(pass), offset})) return true;
    RunStore_Drop(&body->runs, offset);
    return false;
}

} // namespace

void LoopBody_Init(LoopBody* body) {
    RunStore_Init(&body->runs);
    RunList_Init(&body->open);
    PassHeap_Init(&body->late, true);
    LoopBody_Start(body, 0, 0, 0, 0, 0);
}

void LoopBody_Free(LoopBody* body) {
    RunStore_Free(&body->runs);
    RunList_Free(&body->open);
    PassHeap_Free(&body->late);
}

void LoopBody_Start(LoopBody* body, int64_t passes, int64_t step, int64_t lo, int64_t hi,
                    int64_t room) {
    RunStore_Clear(&body->runs);
    RunList_Clear(&body->open);
    PassHeap_Clear(&body->late);
    body->firstPass = 0;
    body->full = false;
    body->passes = passes, body->step = step, body->lo = lo, body->hi = hi, body->room = room;
}

bool LoopBody_Add(LoopBody* body, int64_t start, int64_t count, int64_t step) {
    if (body->full || body->passes <= 0 || count <= 0) return true;
    NumberRun run = {start, count, count == 1 ? 0 : step};
    int64_t i0 = 0, i1 = count - 1;
    if (body->lo != INT64_MIN) {
        // Only numbers that the passes can move into lo..hi: the others use
        // up nothing, so the run loses them at either end.
        const int64_t reach = (body->passes - 1) * body->step;
        if (!Run_Clip(&run, 0, body->lo - (reach > 0 ? reach : 0),
                      body->hi - (reach < 0 ? reach : 0), &i0, &i1))
            return true;
        run.start += i0 * run.step;
        run.count = i1 - i0 + 1;
        start = run.start, count = run.count;
        i0 = 0, i1 = count - 1;
    }
    if (body->lo == INT64_MIN || Run_Clip(&run, 0, body->lo, body->hi, &i0, &i1)) {
        const int64_t need = body->room - body->firstPass;
        if (i1 - i0 + 1 >= need) {
            count = i0 + need; // the rest comes after the map is full
            body->full = true;
        }
        body->firstPass += i1 - i0 + 1 < need ? i1 - i0 + 1 : need;
    } else {
        const int64_t pass = FirstPass(body, &run, 1);
        if (pass < 0) return true; // no pass brings it to the map
        const PassEntry* top = PassHeap_Top(&body->late);
        if (top && body->firstPass + body->late.size >= body->room && pass >= top->pass)
            return true; // the map is full before it comes
    }
    if (!RunList_Append(&body->open, start, count, step)) return false;
    while (body->open.count > 1)
        if (!StoreFirstOpen(body)) return false;
    DropUnreachable(body);
    return true;
}

bool LoopBody_Seal(LoopBody* body) {
    while (body->open.count > 0)
        if (!StoreFirstOpen(body)) return false;
    PassHeap_Free(&body->late); // no longer needed: the map filler makes its own
    if (body->runs.deadBytes > 0) RunStore_Compact(&body->runs);
    return true;
}
