// A loop body's runs packed a few bytes each: a lone number up to 31 away
// from 0 takes one byte, one up to 8191 away two, and no run takes more than
// 30. The bytes live in blocks of 64 KiB that are never moved, so a body of
// millions of runs costs a few bytes per run and no copy while it grows.
// A run is named by its offset, which stays valid until the store is
// compacted or cleared; a run can be dropped later (it is then skipped).
#pragma once
#include <cstdint>
#include "engine/runs.h"

struct RunBlock {
    uint8_t* bytes;
    uint32_t used;
};

struct RunStore {
    RunBlock* blocks;
    int32_t blockCount;
    int32_t blockCapacity;
    int64_t liveRuns;  // runs added and not dropped
    int64_t liveBytes; // their bytes
    int64_t deadBytes; // bytes of dropped runs, until a compaction
};

void RunStore_Init(RunStore* store);
void RunStore_Free(RunStore* store);
// Drops every run; keeps the first block.
void RunStore_Clear(RunStore* store);

// Adds run after the others; false, leaving the store unchanged, when memory
// runs out.
bool RunStore_Add(RunStore* store, const NumberRun* run, uint32_t* offset);
// Drops the run at offset: readers skip it from now on.
void RunStore_Drop(RunStore* store, uint32_t offset);
// The run at offset (one that was added and not dropped).
NumberRun RunStore_At(const RunStore* store, uint32_t offset);
// The next run that is not dropped, from *at on (0 for the first): true with
// the run and its offset, *at moved past it; false at the end.
bool RunStore_Next(const RunStore* store, uint32_t* at, NumberRun* run, uint32_t* offset);
// Moves the runs not dropped together and frees the blocks left over; every
// offset changes.
void RunStore_Compact(RunStore* store);
