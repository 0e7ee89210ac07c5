// The tile map job runner. The pattern is read and the whole map built in
// memory before the output is touched (only its temporary is made first, so
// that an output that cannot be written costs no reading). An ordinary output (the file at the
// end of its links) is replaced in one step by a temporary file made beside
// it; a device, FIFO or socket is written straight. So a job that fails
// leaves the output as it was, and leaves no temporary or folder of its own.
#include "engine/tilemap.h"
#include "engine/mapfill.h"
#include "engine/pattern.h"
#include "engine/trace.h"
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

bool Refuse(TileMapReport* report, TileMapFailure failure, uint32_t fileCode) {
    Fail(report, failure, fileCode);
    return false;
}

// The caller's report, or ignored when it wants none, with nothing wrong yet.
TileMapReport* StartReport(TileMapReport* report, TileMapReport* ignored) {
    if (!report) report = ignored;
    *report = TileMapReport{TILEMAP_OK, FILE_OK, nullptr};
    return report;
}

// Where the map goes: a temporary beside an ordinary file, or the device.
struct Output {
    char* target; // the output at the end of its links (Mem_Free)
    FileHandle* file;
    bool device;
};

// Settles where the map goes and opens it: refuses a folder, the pattern
// file itself and an output this user may not write; makes the temporary
// (and missing folders). False when it cannot, with the failure in report.
bool OpenOutput(const char* outputName, const char* patternName, Output* out,
                TileMapReport* report) {
    uint32_t kind = FILE_KIND_NONE;
    uint32_t code = File_Resolve(outputName, &out->target, &kind);
    if (code == FILE_OK && kind == FILE_KIND_FOLDER) code = FILE_FOLDER;
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

// Writes count bytes whole at *at; a short write is asked again for the
// rest, which tells why it fell short.
uint32_t WriteWhole(Output* out, const uint8_t* bytes, uint64_t* at, uint32_t count) {
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
void FinishOutput(Output* out, uint32_t code, TileMapReport* report) {
    if (!out->device) report->tempName = File_TempName();
    if (code != FILE_OK) {
        Fail(report, TILEMAP_FAIL_WRITE, code);
    } else if (!out->device) {
        code = File_Commit(out->file, out->target);
        out->file = nullptr; // put in place, or discarded by the failed commit
        if (code != FILE_OK) Fail(report, TILEMAP_FAIL_TEMP, code);
    }
}

// Writes map whole and puts it in place.
void WriteMap(Output* out, const uint8_t* map, uint32_t length, TileMapReport* report) {
    uint64_t at = 0;
    FinishOutput(out, WriteWhole(out, map, &at, length), report);
}

// Closes the device, or discards a temporary that was not put in place.
void CloseOutput(Output* out) {
    if (out->device)
        File_Close(out->file);
    else
        File_Discard(out->file);
    Mem_Free(out->target);
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
    report = StartReport(report, &ignored);
    if (job->inputCount <= 0 || job->outputCount <= 0)
        return Fail(report, TILEMAP_FAIL_COUNTS, FILE_OK);
    if (!outputName || !*outputName) return Fail(report, TILEMAP_FAIL_OUTPUT, FILE_BADARG);
    if (!patternName) patternName = "";

    Output out = {nullptr, nullptr, false};
    if (!OpenOutput(outputName, patternName, &out, report)) {
        CloseOutput(&out);
        return 0;
    }
    // A device is refused as the pattern before a byte of it is read, and
    // the temporary made for the output goes again.
    TextStream* pattern = nullptr;
    uint32_t code = TextStream_Open(patternName, FILE_READ | FILE_NODEVICE, &pattern);
    int32_t length = TileMap_MapLength(job);
    uint8_t* map = nullptr;
    int32_t filled = 0;
    if (code != FILE_OK) {
        Fail(report, TILEMAP_FAIL_PATTERN, code);
    } else if (!(map = static_cast<uint8_t*>(Mem_AllocZero(static_cast<size_t>(length))))) {
        Fail(report, TILEMAP_FAIL_NOMEM, FILE_NOMEM);
    } else {
        TileMapFailure failure;
        filled = TileMap_FillText(job, ReadTextFromStream, pattern, 0, map, &failure);
        if (failure != TILEMAP_OK) Fail(report, failure, FILE_OK);
    }
    TextStream_Close(pattern);
    if (report->failure == TILEMAP_OK) WriteMap(&out, map, static_cast<uint32_t>(length), report);
    CloseOutput(&out);
    Mem_Free(map);
    return report->failure == TILEMAP_OK ? filled : 0;
}

int32_t TileMap_FillText(const TileMapJob* job, TileMapTextSource source, void* context,
                         int32_t holdLimit, uint8_t* map, TileMapFailure* failure) {
    return TileMap_FillTextNoted(job, source, context, holdLimit, map, failure,
                                 PatternNote{nullptr, nullptr});
}

// The writer's block: large enough that a tile at a time costs few writes.
constexpr uint32_t WRITER_BLOCK = 65536;

struct TileMapWriter {
    Output out;
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
        Fail(report, TILEMAP_FAIL_NOMEM, FILE_NOMEM);
        return nullptr;
    }
    w->out = Output{nullptr, file, file != nullptr};
    w->open = file != nullptr;
    w->code = FILE_OK;
    w->at = 0;
    w->held = 0;
    if (!file && (!outputName || !*outputName)) {
        Fail(report, TILEMAP_FAIL_OUTPUT, FILE_BADARG);
    } else if (!file && !OpenOutput(outputName, "", &w->out, report)) {
        CloseOutput(&w->out);
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
        CloseOutput(&writer->out);
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

int32_t TileMap_FillTextNoted(const TileMapJob* job, TileMapTextSource source, void* context,
                              int32_t holdLimit, uint8_t* map, TileMapFailure* failure,
                              PatternNote note, MapTrace* trace) {
    // Blocks of text as large as a line that is held whole, so that most
    // lines are read in place.
    constexpr uint32_t BLOCK = 65536;
    MapFill fill;
    MapFill_Init(&fill, map, job->inputCount, job->outputCount, job->method == EFFECT_MAP_UNDO);
    if (trace) fill.tileTake = trace->tileTake;
    PatternWork work;
    bool ready = PatternWork_Init(&work, trace ? MapTrace_Sink(trace, &fill) : MapFill_Sink(&fill));
    if (holdLimit > 0) work.holdLimit = holdLimit;
    work.note = note;
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
        if (work.noMemory || fill.noMemory || (trace && trace->noMemory))
            *failure = TILEMAP_FAIL_NOMEM;
        if (*failure == TILEMAP_OK && fill.filled == 0) *failure = TILEMAP_FAIL_EMPTY;
    }
    Mem_Free(block);
    PatternWork_Free(&work);
    return *failure == TILEMAP_OK ? static_cast<int32_t>(fill.filled) : 0;
}

int32_t TileMap_RunStreams(TextStream* pattern, const char* outputName, TextStream* output,
                           const TileMapJob* job, TileMapReport* report) {
    TileMapReport ignored;
    report = StartReport(report, &ignored);
    if (job->inputCount <= 0 || job->outputCount <= 0)
        return Fail(report, TILEMAP_FAIL_COUNTS, FILE_OK);
    if (!output && (!outputName || !*outputName))
        return Fail(report, TILEMAP_FAIL_OUTPUT, FILE_BADARG);
    // A named output gets the same care as in TileMap_RunEx; the pattern,
    // a stream, can never be it.
    Output out = {nullptr, nullptr, false};
    if (!output && !OpenOutput(outputName, "", &out, report)) {
        CloseOutput(&out);
        return 0;
    }
    const int32_t length = TileMap_MapLength(job);
    uint8_t* map = static_cast<uint8_t*>(Mem_AllocZero(static_cast<size_t>(length)));
    int32_t filled = 0;
    if (!map) {
        Fail(report, TILEMAP_FAIL_NOMEM, FILE_NOMEM);
    } else {
        TileMapFailure failure;
        filled = TileMap_FillText(job, ReadTextFromStream, pattern, 0, map, &failure);
        if (failure != TILEMAP_OK) {
            Fail(report, failure, FILE_OK);
        } else if (!output) {
            WriteMap(&out, map, static_cast<uint32_t>(length), report);
        } else if (TextStream_Write(output, map, static_cast<uint32_t>(length)) !=
                   static_cast<uint32_t>(length)) {
            Fail(report, TILEMAP_FAIL_WRITE, FILE_ERROR);
        }
    }
    if (!output) CloseOutput(&out);
    Mem_Free(map);
    return report->failure == TILEMAP_OK ? filled : 0;
}
