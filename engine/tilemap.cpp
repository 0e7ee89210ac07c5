// The tile map job runner. The pattern is read and the whole map built in
// memory before the output is touched (only its temporary is made first, so
// that an output that cannot be written costs no reading); the map is then
// written with the care of engine/mapfile.h. So a job that fails leaves the
// output as it was, and leaves no temporary or folder of its own.
#include "engine/tilemap.h"
#include "engine/mapfile.h"
#include "engine/mapfill.h"
#include "engine/pattern.h"
#include "engine/trace.h"
#include "textlib/file.h"
#include "textlib/mem.h"
#include "textlib/textstream.h"
#include <cstring>

namespace {

TileMapJob programJob = TileMap_StartValues(); // the job record the tool dialog edits

uint32_t ReadTextFromStream(char* out, uint32_t room, void* context) {
    return TextStream_ReadText(out, room, static_cast<TextStream*>(context));
}

// The caller's report, or ignored when it wants none, with nothing wrong yet.
TileMapReport* StartReport(TileMapReport* report, TileMapReport* ignored) {
    if (!report) report = ignored;
    *report = TileMapReport{TILEMAP_OK, FILE_OK, nullptr};
    return report;
}

// Lines from a TileMapLineSource, one StrBuf at a time.
struct LineFeed {
    TileMapLineSource source;
    void* context;
    StrBuf* line;
    bool Open() {
        line = StrBuf_New();
        return line != StrBuf_Null;
    }
    void Run(PatternWork* work) {
        while (!PatternWork_Stopped(work) && source(line, context))
            Pattern_Line(work, line);
    }
    void Close() { StrBuf_Free(line); }
};

// Text from a TileMapTextSource in blocks as large as a line that is held
// whole, so that most lines are read in place.
struct TextFeed {
    static constexpr uint32_t BLOCK = 65536;
    TileMapTextSource source;
    void* context;
    char* block;
    bool Open() {
        block = static_cast<char*>(Mem_Alloc(BLOCK + 1));
        return block != nullptr;
    }
    void Run(PatternWork* work) {
        uint32_t n;
        while (!PatternWork_Stopped(work) && (n = source(block, BLOCK, context)) > 0)
            Pattern_Text(work, block, n);
        Pattern_TextEnd(work);
    }
    void Close() { Mem_Free(block); }
};

// A fill of map from a feed: the interpreter, with the filler (and the
// trace, when given) as its sink, reads until the map is full or the feed
// ends. Returns the count of numbers taken, or 0 with the failure.
template <typename Feed>
int32_t Fill(const TileMapJob* job, Feed* feed, int32_t holdLimit, uint8_t* map,
             TileMapFailure* failure, PatternNote note, MapTrace* trace) {
    MapFill fill;
    MapFill_Init(&fill, map, job->inputCount, job->outputCount, job->method == EFFECT_MAP_UNDO);
    if (trace) fill.tileTake = trace->tileTake;
    PatternWork* work =
        PatternWork_New(trace ? MapTrace_Sink(trace, &fill) : MapFill_Sink(&fill), note, holdLimit);
    const bool opened = feed->Open();
    *failure = TILEMAP_OK;
    if (!work || !opened) {
        *failure = TILEMAP_FAIL_NOMEM;
    } else {
        Pattern_StartJob();
        feed->Run(work);
        Pattern_Finish(work);
        if (PatternWork_NoMemory(work) || fill.noMemory || (trace && trace->noMemory))
            *failure = TILEMAP_FAIL_NOMEM;
        if (*failure == TILEMAP_OK && fill.filled == 0) *failure = TILEMAP_FAIL_EMPTY;
    }
    feed->Close();
    PatternWork_Free(work);
    return *failure == TILEMAP_OK ? static_cast<int32_t>(fill.filled) : 0;
}

// A job: the map's output settled first (unless it is the stream output),
// then the pattern (opened by name unless given as a stream) read into the
// map, then the map written whole.
int32_t Run(const char* patternName, TextStream* patternStream, const char* outputName,
            TextStream* output, const TileMapJob* job, TileMapReport* report) {
    TileMapReport ignored;
    report = StartReport(report, &ignored);
    if (job->inputCount <= 0 || job->outputCount <= 0)
        MapFile_Fail(report, TILEMAP_FAIL_COUNTS, FILE_OK);
    else if (!output && (!outputName || !*outputName))
        MapFile_Fail(report, TILEMAP_FAIL_OUTPUT, FILE_BADARG);
    if (report->failure != TILEMAP_OK) return 0;
    MapFile out = {nullptr, nullptr, false};
    if (!output && !MapFile_Open(&out, outputName, patternName, report)) {
        MapFile_Close(&out);
        return 0;
    }
    // A device is refused as the pattern before a byte of it is read, and
    // the temporary made for the output goes again.
    TextStream* pattern = patternStream;
    const uint32_t code =
        pattern ? FILE_OK : TextStream_Open(patternName, FILE_READ | FILE_NODEVICE, &pattern);
    const int32_t length = TileMap_MapLength(job);
    uint8_t* map = nullptr;
    int32_t filled = 0;
    if (code != FILE_OK) {
        MapFile_Fail(report, TILEMAP_FAIL_PATTERN, code);
    } else if (!(map = static_cast<uint8_t*>(Mem_AllocZero(static_cast<size_t>(length))))) {
        MapFile_Fail(report, TILEMAP_FAIL_NOMEM, FILE_NOMEM);
    } else {
        TileMapFailure failure;
        filled = TileMap_FillText(job, ReadTextFromStream, pattern, 0, map, &failure);
        if (failure != TILEMAP_OK) MapFile_Fail(report, failure, FILE_OK);
    }
    if (!patternStream) TextStream_Close(pattern);
    if (report->failure == TILEMAP_OK) {
        if (!output)
            MapFile_Write(&out, map, static_cast<uint32_t>(length), report);
        else if (TextStream_Write(output, map, static_cast<uint32_t>(length)) !=
                 static_cast<uint32_t>(length))
            MapFile_Fail(report, TILEMAP_FAIL_WRITE, FILE_ERROR);
    }
    if (!output) MapFile_Close(&out);
    Mem_Free(map);
    return report->failure == TILEMAP_OK ? filled : 0;
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
    return &programJob;
}

int32_t TileMap_MapLength(const TileMapJob* job) {
    return job->method == EFFECT_MAP_UNDO ? job->inputCount : job->outputCount;
}

int32_t TileMap_Fill(const TileMapJob* job, TileMapLineSource source, void* context, uint8_t* map,
                     TileMapFailure* failure) {
    LineFeed feed = {source, context, nullptr};
    return Fill(job, &feed, 0, map, failure, PatternNote{nullptr, nullptr}, nullptr);
}

int32_t TileMap_FillText(const TileMapJob* job, TileMapTextSource source, void* context,
                         int32_t holdLimit, uint8_t* map, TileMapFailure* failure) {
    return TileMap_FillTextNoted(job, source, context, holdLimit, map, failure,
                                 PatternNote{nullptr, nullptr});
}

int32_t TileMap_FillTextNoted(const TileMapJob* job, TileMapTextSource source, void* context,
                              int32_t holdLimit, uint8_t* map, TileMapFailure* failure,
                              PatternNote note, MapTrace* trace) {
    TextFeed feed = {source, context, nullptr};
    return Fill(job, &feed, holdLimit, map, failure, note, trace);
}

int32_t TileMap_Run(const char* inputName, const char* outputName, const char* patternName,
                    const TileMapJob* job) {
    return TileMap_RunEx(inputName, outputName, patternName, job, nullptr);
}

int32_t TileMap_RunEx(const char* /*inputName*/, const char* outputName, const char* patternName,
                      const TileMapJob* job, TileMapReport* report) {
    return Run(patternName ? patternName : "", nullptr, outputName, nullptr, job, report);
}

int32_t TileMap_RunStreams(TextStream* pattern, const char* outputName, TextStream* output,
                           const TileMapJob* job, TileMapReport* report) {
    // A stream can never be the output, so no name is compared with it.
    return Run("", pattern, outputName, output, job, report);
}
