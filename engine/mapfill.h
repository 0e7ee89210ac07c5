// The map filler: gives the numbers that the pattern interpreter delivers
// their meaning in a tile map. Forward: each number is the input tile of the
// next output slot (out of range: an empty slot). Inverse: a number t in
// 1..inputs records the output slot that tile t went to; 0 uses up a slot
// and records nothing; other numbers are skipped. Either way the map is full
// once the output count of numbers has been taken.
#pragma once
#include <cstdint>
#include "engine/pattern.h"

struct MapFill {
    uint8_t* map;        // each entry's low byte, zero-filled by the owner
    int64_t inputCount;  // tiles of the input: numbers above it are out of range
    int64_t outputCount; // numbers the map takes before it is full
    bool inverse;
    int64_t filled; // numbers taken so far
    bool noMemory;  // a loop could not get its working memory
    // Inverse, when not null: per input tile, the 1-based take that placed
    // it last, whole (the map keeps its low byte only). Null in a job.
    int32_t* tileTake;
};

// The forward map has outputCount entries, the inverse map inputCount.
void MapFill_Init(MapFill* fill, uint8_t* map, int32_t inputCount, int32_t outputCount,
                  bool inverse);
// The filler as the interpreter's sink; fill must outlive its use.
PatternSink MapFill_Sink(MapFill* fill);
