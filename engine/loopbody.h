// The numbers of an open loop, kept until the loop closes: only those that
// can still reach the map, so that a loop block of any length costs memory
// that follows the map's room, not the block. A number is kept if some pass
// brings it into the map's lo..hi; on the first pass only as many as the
// room (then the first pass alone fills the map); on later passes only while
// the runs kept cannot fill the map before it comes.
#pragma once
#include <cstdint>
#include "engine/passheap.h"
#include "engine/runs.h"
#include "engine/runstore.h"

struct LoopBody {
    RunStore runs; // the body's runs, but for the last ones
    RunList open;  // the last runs, which the next numbers may still extend
    // Runs kept whose first number in lo..hi comes on a later pass than the
    // first: the latest on top, dropped first when the map fills before it.
    PassHeap late;
    int64_t firstPass; // numbers kept that are in lo..hi on the first pass
    bool full;         // the first pass alone fills the map: nothing more is kept
    // The loop and the map: passes, what each adds to the body's numbers,
    // which numbers use up room (lo INT64_MIN: all), and the room.
    int64_t passes, step, lo, hi, room;
};

void LoopBody_Init(LoopBody* body);
void LoopBody_Free(LoopBody* body);
// Empties the body for a loop of passes passes that add step each, whose
// numbers in lo..hi use up the room.
void LoopBody_Start(LoopBody* body, int64_t passes, int64_t step, int64_t lo, int64_t hi,
                    int64_t room);
// Adds count numbers start, start + step, ...; false when memory runs out
// (the body is then incomplete).
bool LoopBody_Add(LoopBody* body, int64_t start, int64_t count, int64_t step);
// Moves the last runs into body->runs, ready to be taken; false when memory
// runs out.
bool LoopBody_Seal(LoopBody* body);
