// The tile map job runner. The pattern is read and the whole map built in
// memory before the output is touched; the map then goes to a temporary file
// beside the output, which replaces the output in one step. So a job that
// fails leaves the output as it was.
#include "engine/tilemap.h"
#include "engine/mapfill.h"
#include "engine/pattern.h"
#include "textlib/file.h"
#include "textlib/mem.h"
#include "textlib/textstream.h"
#include <cstring>

namespace {

TileMapJob g_job = TileMap_StartValues();

uint32_t ReadTextFromStream(char* out, uint32_t room, void* context) {
    return TextStream_ReadText(out, room, static_cast<TextStream*>(context));
}

int32_t Fail(TileMapReport* report, TileMapFailure failure, uint32_t fileCode) {
    report->failure = failure;
    report->fileCode = fileCode;
    return 0;
}

// A name beside target that no file has yet: target plus ".~tmp", else
// ".~tmp1" ... ".~tmp9". Returns FILE_OK and *out (free with Mem_Free),
// FILE_NOMEM, or FILE_ERROR when every candidate is taken.
uint32_t TempNameBeside(const char* target, char** out) {
    size_t length = strlen(target);
    char* name = static_cast<char*>(Mem_Alloc(length + 8));
    if (!name) return FILE_NOMEM;
    memcpy(name, target, length);
    memcpy(name + length, ".~tmp", 6);
    for (int i = 0; i < 10; i++) {
        if (i > 0) {
            name[length + 5] = static_cast<char>('0' + i);
            name[length + 6] = 0;
        }
        FileHandle* probe = nullptr;
        uint64_t size = 0;
        uint32_t code = File_Open(name, FILE_READ, &probe, &size);
        if (probe) File_Close(probe);
        if (code == FILE_NOTFOUND) {
            *out = name;
            return FILE_OK;
        }
    }
    Mem_Free(name);
    return FILE_ERROR;
}

// Writes map to a temporary file and puts it in place of outputName.
void WriteMap(const char* outputName, const uint8_t* map, uint32_t length, TileMapReport* report) {
    char* temp = nullptr;
    uint32_t code = TempNameBeside(outputName, &temp);
    if (code != FILE_OK) {
        Fail(report, code == FILE_NOMEM ? TILEMAP_FAIL_NOMEM : TILEMAP_FAIL_OUTPUT, code);
        return;
    }
    TextStream* out = nullptr;
    code = TextStream_Open(temp, FILE_WRITE | FILE_CREATE | FILE_MAKEDIRS | FILE_NOBOM, &out);
    if (code != FILE_OK) {
        Fail(report, TILEMAP_FAIL_OUTPUT, code);
    } else {
        uint32_t written = TextStream_Write(out, map, length);
        TextStream_Close(out);
        if (written != length) {
            Fail(report, TILEMAP_FAIL_WRITE, FILE_ERROR);
        } else if ((code = File_Replace(temp, outputName)) != FILE_OK) {
            Fail(report, TILEMAP_FAIL_OUTPUT, code);
        }
        if (report->failure != TILEMAP_OK) File_Remove(temp);
    }
    Mem_Free(temp);
}

} // namespace

TileMapJob TileMap_StartValues() {
    TileMapJob job = {};
    job.format = TileFormat{0, 8, 8, 0, 4, 6};
    job.firstSetting = 0;
    job.secondSetting = 1;
    job.inputColumns = 11;
    job.inputRows = 14;
    job.outputColumns = 11;
    job.outputRows = 14;
    job.inputCount = 255;
    job.outputCount = 188;
    job.method = EFFECT_MAP_IMPORT;
    return job;
}

TileMapJob* TileMap_Job() {
    return &g_job;
}

int32_t TileMap_MapLength(const TileMapJob* job) {
    return job->method == EFFECT_MAP_UNDO ? job->inputCount : job->outputCount;
}

int32_t TileMap_Fill(const TileMapJob* job, TileMapLineSource source, void* context, uint8_t* map,
                     TileMapFailure* failure) {
    MapFill fill;
    MapFill_Init(&fill, map, job->inputCount, job->outputCount, job->method == EFFECT_MAP_UNDO);
    PatternWork work;
    bool ready = PatternWork_Init(&work, MapFill_Sink(&fill));
    StrBuf* line = StrBuf_New();
    *failure = TILEMAP_OK;
    if (!ready || line == StrBuf_Null) {
        *failure = TILEMAP_FAIL_NOMEM;
    } else {
        Pattern_StartJob();
        while (!work.full && !work.noMemory && source(line, context))
            Pattern_Line(&work, line);
        Pattern_Finish(&work);
        if (work.noMemory || fill.noMemory) *failure = TILEMAP_FAIL_NOMEM;
        if (*failure == TILEMAP_OK && fill.filled == 0) *failure = TILEMAP_FAIL_EMPTY;
    }
    StrBuf_Free(line);
    PatternWork_Free(&work);
    return *failure == TILEMAP_OK ? static_cast<int32_t>(fill.filled) : 0;
}

int32_t TileMap_Run(const char* inputName, const char* outputName, const char* patternName,
                    const TileMapJob* job) {
    return TileMap_RunEx(inputName, outputName, patternName, job, nullptr);
}

int32_t TileMap_RunEx(const char* /*inputName*/, const char* outputName, const char* patternName,
                      const TileMapJob* job, TileMapReport* report) {
    TileMapReport ignored;
    if (!report) report = &ignored;
    report->failure = TILEMAP_OK;
    report->fileCode = FILE_OK;
    if (job->inputCount <= 0 || job->outputCount <= 0)
        return Fail(report, TILEMAP_FAIL_COUNTS, FILE_OK);
    if (!outputName || !*outputName) return Fail(report, TILEMAP_FAIL_OUTPUT, FILE_BADARG);

    TextStream* pattern = nullptr;
    uint32_t code = TextStream_Open(patternName ? patternName : "", FILE_READ, &pattern);
    if (code != FILE_OK) return Fail(report, TILEMAP_FAIL_PATTERN, code);

    int32_t length = TileMap_MapLength(job);
    uint8_t* map = static_cast<uint8_t*>(Mem_AllocZero(static_cast<size_t>(length)));
    if (!map) {
        TextStream_Close(pattern);
        return Fail(report, TILEMAP_FAIL_NOMEM, FILE_NOMEM);
    }
    TileMapFailure failure;
    int32_t filled = TileMap_FillText(job, ReadTextFromStream, pattern, 0, map, &failure);
    TextStream_Close(pattern);
    if (failure != TILEMAP_OK) {
        Mem_Free(map);
        return Fail(report, failure, FILE_OK);
    }
    WriteMap(outputName, map, static_cast<uint32_t>(length), report);
    Mem_Free(map);
    return report->failure == TILEMAP_OK ? filled : 0;
}

int32_t TileMap_FillText(const TileMapJob* job, TileMapTextSource source, void* context,
                         int32_t holdLimit, uint8_t* map, TileMapFailure* failure) {
    // Blocks of text as large as a line that is held whole, so that most
    // lines are read in place.
    constexpr uint32_t BLOCK = 65536;
    MapFill fill;
    MapFill_Init(&fill, map, job->inputCount, job->outputCount, job->method == EFFECT_MAP_UNDO);
    PatternWork work;
    bool ready = PatternWork_Init(&work, MapFill_Sink(&fill));
    if (holdLimit > 0) work.holdLimit = holdLimit;
    char* block = static_cast<char*>(Mem_Alloc(BLOCK + 1));
    *failure = TILEMAP_OK;
    if (!ready || !block) {
        *failure = TILEMAP_FAIL_NOMEM;
    } else {
        Pattern_StartJob();
        uint32_t n;
        while (!work.full && !work.noMemory && (n = source(block, BLOCK, context)) > 0)
            Pattern_Text(&work, block, n);
        Pattern_TextEnd(&work);
        Pattern_Finish(&work);
        if (work.noMemory || fill.noMemory) *failure = TILEMAP_FAIL_NOMEM;
        if (*failure == TILEMAP_OK && fill.filled == 0) *failure = TILEMAP_FAIL_EMPTY;
    }
    Mem_Free(block);
    PatternWork_Free(&work);
    return *failure == TILEMAP_OK ? static_cast<int32_t>(fill.filled) : 0;
}

int32_t TileMap_RunStreams(TextStream* pattern, const char* outputName, TextStream* output,
                           const TileMapJob* job, TileMapReport* report) {
    TileMapReport ignored;
    if (!report) report = &ignored;
    report->failure = TILEMAP_OK;
    report->fileCode = FILE_OK;
    if (job->inputCount <= 0 || job->outputCount <= 0)
        return Fail(report, TILEMAP_FAIL_COUNTS, FILE_OK);
    if (!output && (!outputName || !*outputName))
        return Fail(report, TILEMAP_FAIL_OUTPUT, FILE_BADARG);
    const int32_t length = TileMap_MapLength(job);
    uint8_t* map = static_cast<uint8_t*>(Mem_AllocZero(static_cast<size_t>(length)));
    if (!map) return Fail(report, TILEMAP_FAIL_NOMEM, FILE_NOMEM);
    TileMapFailure failure;
    const int32_t filled = TileMap_FillText(job, ReadTextFromStream, pattern, 0, map, &failure);
    if (failure != TILEMAP_OK)
        Fail(report, failure, FILE_OK);
    else if (!output)
        WriteMap(outputName, map, static_cast<uint32_t>(length), report);
    else if (TextStream_Write(output, map, static_cast<uint32_t>(length)) != uint32_t(length))
        Fail(report, TILEMAP_FAIL_WRITE, FILE_ERROR);
    Mem_Free(map);
    return report->failure == TILEMAP_OK ? filled : 0;
}
