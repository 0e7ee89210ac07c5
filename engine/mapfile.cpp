// The careful writer of a job's map and of the verbs' outputs. Only the
// temporary is made before the bytes are ready, so that an output that
// cannot be written costs the caller no work.
#include "engine/mapfile.h"
#include "textlib/file.h"
#include "textlib/mem.h"

namespace {

int32_t Fail(TileMapReport* report, TileMapFailure failure, uint32_t fileCode) {
    report->failure = failure;
    report->fileCode = fileCode;
    return 0;
}

bool Refuse(TileMapReport* report, TileMapFailure failure, uint32_t fileCode) {
    Fail(report, failure, fileCode);
    return false;
}

} // namespace

bool MapFile_Open(MapFile* out, const char* outputName, const char* patternName,
                  TileMapReport* report) {
    uint32_t kind = FILE_KIND_NONE;
    uint32_t code = File_Resolve(outputName, &out->target, &kind);
    if (code == FILE_OK && kind == FILE_KIND_FOLDER) code = FILE_DENIED;
    if (code != FILE_OK) return Refuse(report, TILEMAP_FAIL_OUTPUT, code);
    // Checked before anything is made, so a refused job changes nothing.
    if (File_Same(patternName, out->target)) return Refuse(report, TILEMAP_FAIL_SAME, FILE_OK);
    out->device = kind == FILE_KIND_DEVICE;
    uint64_t size = 0;
    if (out->device) {
        // Emptied first where it is a file after all (/dev/stdout sent to one).
        code = File_Open(out->target, FILE_WRITE | FILE_CREATE | FILE_NODEVICE, &out->file, &size);
    } else if (kind == FILE_KIND_FILE) {
        code = File_CheckWritable(out->target);
    }
    if (code != FILE_OK) return Refuse(report, TILEMAP_FAIL_OUTPUT, code);
    if (out->device) return true;
    code = File_CreateTemp(out->target, FILE_MAKEDIRS, &out->file);
    if (code != FILE_OK) {
        report->tempName = File_TempName();
        return Refuse(report, TILEMAP_FAIL_TEMP, code);
    }
    return true;
}

// A short write is asked again for the rest, which tells why it fell short.
void MapFile_Write(MapFile* out, const uint8_t* map, uint32_t length, TileMapReport* report) {
    uint32_t done = 0, more = 0;
    uint32_t code = File_WriteAt(out->file, map, 0, length, &done);
    if (code == FILE_OK && done < length) {
        code = File_WriteAt(out->file, map + done, done, length - done, &more);
        if (code == FILE_OK && done + more < length) code = FILE_ERROR;
    }
    if (!out->device) report->tempName = File_TempName();
    if (code != FILE_OK) {
        Fail(report, TILEMAP_FAIL_WRITE, code);
    } else if (!out->device) {
        code = File_Commit(out->file, out->target);
        out->file = nullptr; // put in place, or discarded by the failed commit
        if (code != FILE_OK) Fail(report, TILEMAP_FAIL_TEMP, code);
    }
}

void MapFile_Close(MapFile* out) {
    if (out->device)
        File_Close(out->file);
    else
        File_Discard(out->file);
    Mem_Free(out->target);
}

int32_t TileMap_WriteFile(const char* outputName, const uint8_t* bytes, uint32_t length,
                          TileMapReport* report) {
    report->failure = TILEMAP_OK;
    report->fileCode = FILE_OK;
    report->tempName = nullptr;
    if (!outputName || !*outputName) return Fail(report, TILEMAP_FAIL_OUTPUT, FILE_BADARG);
    MapFile out = {nullptr, nullptr, false};
    if (MapFile_Open(&out, outputName, "", report)) MapFile_Write(&out, bytes, length, report);
    MapFile_Close(&out);
    return report->failure == TILEMAP_OK ? 1 : 0;
}

int32_t TileMap_WriteOpen(FileHandle* file, const uint8_t* bytes, uint32_t length,
                          TileMapReport* report) {
    *report = TileMapReport{TILEMAP_OK, FILE_OK, nullptr};
    MapFile out = {nullptr, file, true};
    MapFile_Write(&out, bytes, length, report);
    return report->failure == TILEMAP_OK ? 1 : 0;
}
