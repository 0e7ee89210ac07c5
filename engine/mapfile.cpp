// The careful writer of a job's map and of the verbs' outputs. Only the
// temporary is made before the bytes are ready, so that an output that
// cannot be written costs the caller no work.
#include "engine/mapfile.h"
#include <cstring>
#include "textlib/file.h"
#include "textlib/mem.h"

bool MapFile_Fail(TileMapReport* report, TileMapFailure failure, uint32_t fileCode) {
    report->failure = failure;
    report->fileCode = fileCode;
    return false;
}

bool MapFile_Open(MapFile* out, const char* outputName, const char* patternName,
                  TileMapReport* report) {
    uint32_t kind = FILE_KIND_NONE;
    uint32_t code = File_Resolve(outputName, &out->target, &kind);
    if (code == FILE_OK && kind == FILE_KIND_FOLDER) code = FILE_FOLDER;
    if (code != FILE_OK) return MapFile_Fail(report, TILEMAP_FAIL_OUTPUT, code);
    // Checked before anything is made, so a refused job changes nothing.
    if (File_Same(patternName, out->target))
        return MapFile_Fail(report, TILEMAP_FAIL_SAME, FILE_OK);
    out->device = kind == FILE_KIND_DEVICE;
    uint64_t size = 0;
    if (out->device) {
        // Emptied first where it is a file after all (/dev/stdout sent to one).
        code = File_Open(out->target, FILE_WRITE | FILE_CREATE | FILE_NODEVICE, &out->file, &size);
    } else if (kind == FILE_KIND_FILE) {
        code = File_CheckWritable(out->target);
    }
    if (code != FILE_OK) return MapFile_Fail(report, TILEMAP_FAIL_OUTPUT, code);
    if (out->device) return true;
    code = File_CreateTemp(out->target, FILE_MAKEDIRS, &out->file);
    if (code != FILE_OK) {
        report->tempName = File_TempName();
        return MapFile_Fail(report, TILEMAP_FAIL_TEMP, code);
    }
    return true;
}

// Writes count bytes whole at *at; a short write is asked again for the
// rest, which tells why it fell short.
static uint32_t WriteWhole(MapFile* out, const uint8_t* bytes, uint64_t* at, uint32_t count) {
    uint32_t done = 0, more = 0;
    uint32_t code = File_WriteAt(out->file, bytes, *at, count, &done);
    if (code == FILE_OK && done < count) {
        code = File_WriteAt(out->file, bytes + done, *at + done, count - done, &more);
        if (code == FILE_OK && done + more < count) code = FILE_ERROR;
    }
    *at += count;
    return code;
}

// Puts what was written in place, or reports why the writing failed.
static void FinishOutput(MapFile* out, uint32_t code, TileMapReport* report) {
    if (!out->device) report->tempName = File_TempName();
    if (code != FILE_OK) {
        MapFile_Fail(report, TILEMAP_FAIL_WRITE, code);
    } else if (!out->device) {
        code = File_Commit(out->file, out->target);
        out->file = nullptr; // put in place, or discarded by the failed commit
        if (code != FILE_OK) MapFile_Fail(report, TILEMAP_FAIL_TEMP, code);
    }
}

void MapFile_Write(MapFile* out, const uint8_t* map, uint32_t length, TileMapReport* report) {
    uint64_t at = 0;
    FinishOutput(out, WriteWhole(out, map, &at, length), report);
}

void MapFile_Close(MapFile* out) {
    if (out->device)
        File_Close(out->file);
    else
        File_Discard(out->file);
    Mem_Free(out->target);
}

// The writer's block: large enough that a tile at a time costs few writes.
constexpr uint32_t WRITER_BLOCK = 65536;

struct TileMapWriter {
    MapFile out;
    bool open;     // a file the caller owns, left open
    uint32_t code; // the first failed write's code
    uint64_t at;   // bytes written so far
    uint32_t held; // bytes waiting in block
    uint8_t block[WRITER_BLOCK];
};

TileMapWriter* TileMap_WriterOpen(const char* outputName, FileHandle* file, TileMapReport* report) {
    *report = TileMapReport{TILEMAP_OK, FILE_OK, nullptr};
    TileMapWriter* w = static_cast<TileMapWriter*>(Mem_Alloc(sizeof(TileMapWriter)));
    if (!w) {
        MapFile_Fail(report, TILEMAP_FAIL_NOMEM, FILE_NOMEM);
        return nullptr;
    }
    w->out = MapFile{nullptr, file, file != nullptr};
    w->open = file != nullptr;
    w->code = FILE_OK;
    w->at = 0;
    w->held = 0;
    if (!file && (!outputName || !*outputName)) {
        MapFile_Fail(report, TILEMAP_FAIL_OUTPUT, FILE_BADARG);
    } else if (!file && !MapFile_Open(&w->out, outputName, "", report)) {
        MapFile_Close(&w->out);
    } else {
        return w;
    }
    Mem_Free(w);
    return nullptr;
}

bool TileMap_WriterPut(TileMapWriter* writer, const void* bytes, uint64_t length) {
    const uint8_t* p = static_cast<const uint8_t*>(bytes);
    while (length > 0 && writer->code == FILE_OK) {
        if (writer->held == 0 && length >= WRITER_BLOCK) { // straight through, unbuffered
            const uint32_t n = length > 0x40000000u ? 0x40000000u : static_cast<uint32_t>(length);
            writer->code = WriteWhole(&writer->out, p, &writer->at, n);
            p += n, length -= n;
            continue;
        }
        const uint64_t room = WRITER_BLOCK - writer->held;
        const uint32_t n = static_cast<uint32_t>(length < room ? length : room);
        memcpy(writer->block + writer->held, p, n);
        writer->held += n, p += n, length -= n;
        if (writer->held == WRITER_BLOCK) {
            writer->code = WriteWhole(&writer->out, writer->block, &writer->at, WRITER_BLOCK);
            writer->held = 0;
        }
    }
    return writer->code == FILE_OK;
}

int32_t TileMap_WriterEnd(TileMapWriter* writer, bool keep, TileMapReport* report) {
    if (!writer) return 0;
    if (keep) {
        if (writer->code == FILE_OK && writer->held)
            writer->code = WriteWhole(&writer->out, writer->block, &writer->at, writer->held);
        FinishOutput(&writer->out, writer->code, report);
    }
    if (writer->open)
        writer->out.file = nullptr; // the caller's
    else
        MapFile_Close(&writer->out);
    Mem_Free(writer);
    return keep && report->failure == TILEMAP_OK ? 1 : 0;
}

int32_t TileMap_WriteFile(const char* outputName, const uint8_t* bytes, uint32_t length,
                          TileMapReport* report) {
    TileMapWriter* w = TileMap_WriterOpen(outputName, nullptr, report);
    if (w) TileMap_WriterPut(w, bytes, length);
    return TileMap_WriterEnd(w, true, report);
}

int32_t TileMap_WriteOpen(FileHandle* file, const uint8_t* bytes, uint32_t length,
                          TileMapReport* report) {
    TileMapWriter* w = TileMap_WriterOpen(nullptr, file, report);
    if (w) TileMap_WriterPut(w, bytes, length);
    return TileMap_WriterEnd(w, true, report);
}
