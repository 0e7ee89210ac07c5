// Where the numbers of a job came from, for the tool's preview: for each
// number the map took, the pattern lines that made it. The trace sits
// between the interpreter and the map filler. The interpreter delivers the
// numbers of several lines at once, but always in the order it made them,
// so the trace pairs each delivered number with the line that made it (the
// pattern check, which knows the line being read, tells it of every run
// made). A loop's numbers are named by the block: from the loop's directive
// to the line that closed it.
#pragma once
#include <cstdint>
#include "engine/mapfill.h"

// The lines that made one number: first == last but for a loop's numbers.
struct TraceOrigin {
    int32_t first;
    int32_t last;
};

// Runs made outside a loop and not yet delivered, oldest first.
struct TraceMade {
    int32_t line;
    int64_t count;
};

struct MapTrace {
    TraceOrigin* takes; // one per number taken, in order (outputCount of them)
    int32_t* tileTake;  // inverse: per input tile, the 1-based take that placed it last
    int32_t outputCount;
    int32_t inputCount;
    const int32_t* line; // the line being read, kept by the reader
    int32_t loopLine;    // the line of the open loop's directive
    TraceMade* made;     // a queue, read from madeFirst
    int32_t madeFirst, madeCount, madeCapacity;
    PatternSink inner;
    const MapFill* fill;
    bool noMemory;
};

// Prepares a trace of a job with these counts; line points at the reader's
// line number. False when memory runs out (free it either way).
bool MapTrace_Init(MapTrace* trace, int32_t inputCount, int32_t outputCount, const int32_t* line);
void MapTrace_Free(MapTrace* trace);
// The interpreter made count numbers on the current line; for a loop's body
// when inLoop (those are named by their block instead).
void MapTrace_Made(MapTrace* trace, int64_t count, bool inLoop);
// The sink that records, around the filler's own; fill must outlive its use,
// and fill->tileTake should be trace->tileTake.
PatternSink MapTrace_Sink(MapTrace* trace, MapFill* fill);
// The lines that made map entry k (forward: output slot k; inverse: input
// tile k + 1) and the 1-based number of the take; false when no number put
// anything there.
bool MapTrace_Origin(const MapTrace* trace, bool inverse, int32_t k, TraceOrigin* origin,
                     int32_t* take);
