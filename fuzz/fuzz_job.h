// The job a fuzz input's first four bytes ask for: input and output counts
// (small mostly, up to 4,096 when a byte's top bit is set) and the method.
#pragma once
#include <cstdint>
#include "engine/tilemap.h"

inline TileMapJob Fuzz_Job(const uint8_t* data) {
    TileMapJob job = TileMap_StartValues();
    job.inputCount = 1 + (data[0] & 0x80 ? (data[0] << 4 | data[1]) : data[0] % 48);
    job.outputCount = 1 + (data[2] & 0x80 ? (data[2] << 4 | data[1]) : data[2] % 64);
    job.method = data[3] & 1;
    return job;
}
