// The careful writer of an output: the file at the end of the output's links
// is replaced in one step by an exclusive temporary made beside it and
// synced, a device, FIFO or socket is written straight, and a write that
// fails leaves the output as it was with no temporary or folder of its own.
// The job runner and the verbs (TileMap_WriteFile, TileMap_WriteOpen) write
// through it.
#pragma once
#include <cstdint>
#include "engine/tilemap.h"

struct FileHandle;

// Where bytes go: a temporary beside an ordinary file, or the device.
struct MapFile {
    char* target; // the output at the end of its links (Mem_Free)
    FileHandle* file;
    bool device;
};

// Settles where the bytes for outputName (UTF-8) go and opens it: refuses a
// folder, the file patternName itself and an output this user may not
// write; makes the temporary (and missing folders). False when it cannot,
// with the failure in report; *out is to be closed with MapFile_Close either
// way.
// Writes failure and its file code into report; returns false, for the
// callers that stop there.
bool MapFile_Fail(TileMapReport* report, TileMapFailure failure, uint32_t fileCode);
bool MapFile_Open(MapFile* out, const char* outputName, const char* patternName,
                  TileMapReport* report);
// Writes length bytes whole and puts them in place; a failure goes to report.
void MapFile_Write(MapFile* out, const uint8_t* bytes, uint32_t length, TileMapReport* report);
// Closes the device, or discards a temporary that was not put in place.
void MapFile_Close(MapFile* out);
