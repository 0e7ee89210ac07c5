// The tile map job: its settings record and the runner that turns a pattern
// file into a tile map file of one byte per entry.
#pragma once
#include <cstdint>
#include "engine/pattern.h"
#include "textlib/strbuf.h"

enum : int32_t {
    EFFECT_MAP_IMPORT = 0, // forward: entry i is the input tile for output slot i
    EFFECT_MAP_UNDO = 1,   // inverse: entry t is the output slot of input tile t + 1
};

// The largest input or output count a job is given.
constexpr int32_t TILEMAP_MAX_COUNT = 2073600;

// A tile format: shown and handed along; the runner does not read it.
struct TileFormat {
    uint32_t tileBytes;    // (height * bitsPerPixel * width + 7) >> 3
    uint16_t width;        // pixels
    uint16_t height;       // pixels
    uint16_t stride;       // tileBytes, rounded up to a multiple of 3 at 3 bits per pixel
    uint16_t bitsPerPixel; // 1, 2, 3, 4 or 8
    uint32_t formatId;     // row of the tile format table
};

struct TileMapJob {
    TileFormat format;
    int32_t firstSetting;  // set to 0 by the tool dialog for each job; not read here
    int32_t secondSetting; // set to 1 by the tool dialog for each job; not read here
    int32_t inputColumns;
    int32_t inputRows;
    int32_t outputColumns;
    int32_t outputRows;
    int32_t inputCount;  // tiles of the input
    int32_t outputCount; // slots of the output
    int32_t method;      // EFFECT_MAP_IMPORT or EFFECT_MAP_UNDO
};

// The values a job record holds when the program starts.
TileMapJob TileMap_StartValues();
// The program's job record, which the tool dialog edits; lives for the run.
TileMapJob* TileMap_Job();

// Why a job failed.
enum TileMapFailure : int32_t {
    TILEMAP_OK = 0,
    TILEMAP_FAIL_COUNTS = 1,  // the input or output count is 0 or less
    TILEMAP_FAIL_OUTPUT = 2,  // the output file cannot be created or replaced
    TILEMAP_FAIL_PATTERN = 3, // the pattern file cannot be opened
    TILEMAP_FAIL_NOMEM = 4,   // memory ran out
    TILEMAP_FAIL_WRITE = 5,   // the map could not be written whole
    TILEMAP_FAIL_EMPTY = 6,   // no number reached the map
    TILEMAP_FAIL_SAME = 7,    // the output is the pattern file itself
    TILEMAP_FAIL_TEMP = 8,    // the temporary file cannot be made or put in place
};

struct TileMapReport {
    TileMapFailure failure;
    uint32_t fileCode; // the file layer's code for TILEMAP_FAIL_OUTPUT, _PATTERN, _WRITE, _TEMP
    // The temporary file (UTF-8) that a TILEMAP_FAIL_TEMP or _WRITE concerns,
    // or null when the map went straight to a device; kept until the next job.
    const char* tempName;
};

// Runs a job: reads the pattern file (UTF-8 name) and writes the tile map to
// the output file (UTF-8 name). The input name is the job's graphic file,
// which is not read. Returns the count of numbers the map took, or 0 when the
// job failed; a failed job leaves an existing output file as it was and
// creates none, nor any folder, a successful one replaces the output (the
// file at the end of its links) in one step and has it on disk. A device,
// FIFO or socket is written straight. The pattern file is never the output.
// A pattern that is neither a file nor a pipe (a device) is refused unread:
// TILEMAP_FAIL_PATTERN with FILE_DEVICE.
int32_t TileMap_Run(const char* inputName, const char* outputName, const char* patternName,
                    const TileMapJob* job);
// The same, also telling why it failed (report may be null).
int32_t TileMap_RunEx(const char* inputName, const char* outputName, const char* patternName,
                      const TileMapJob* job, TileMapReport* report);

// The map's length in bytes: the input count in the inverse method, else the
// output count.
int32_t TileMap_MapLength(const TileMapJob* job);

// A source of pattern lines: reads the next line into line and returns it,
// or returns null at the end.
typedef StrBuf* (*TileMapLineSource)(StrBuf* line, void* context);

// The heart of a job without its files: feeds the lines of source to the
// pattern interpreter until they end or the map is full, filling map
// (TileMap_MapLength bytes, zero-filled by the caller). Returns the count of
// numbers taken; *failure is TILEMAP_OK, TILEMAP_FAIL_NOMEM or
// TILEMAP_FAIL_EMPTY (then the result is 0). The counts must be above 0.
int32_t TileMap_Fill(const TileMapJob* job, TileMapLineSource source, void* context, uint8_t* map,
                     TileMapFailure* failure);

// A source of pattern text: stores up to room bytes of it in out, lines
// ended by LF, and returns how many; 0 only at the end.
typedef uint32_t (*TileMapTextSource)(char* out, uint32_t room, void* context);

// TileMap_Fill on text read in blocks, which holds no line whole that is
// longer than holdLimit bytes (0: 65536); see Pattern_Text.
int32_t TileMap_FillText(const TileMapJob* job, TileMapTextSource source, void* context,
                         int32_t holdLimit, uint8_t* map, TileMapFailure* failure);

struct MapTrace;
// The same, with a listener that hears what the interpreter reads and
// passes over (the pattern check), and a trace that records where each
// number taken came from (the preview; may be null); the map is the one the
// job makes.
int32_t TileMap_FillTextNoted(const TileMapJob* job, TileMapTextSource source, void* context,
                              int32_t holdLimit, uint8_t* map, TileMapFailure* failure,
                              PatternNote note, MapTrace* trace = nullptr);

struct FileHandle;
// Writes length bytes to the file outputName (UTF-8) with the care a job's
// map gets: links followed, a folder, a read-only or busy file refused, an
// exclusive temporary put in place in one step and synced, a device written
// straight. Returns 1, or 0 with the failure in report (OUTPUT, TEMP or
// WRITE); the output is then as it was.
int32_t TileMap_WriteFile(const char* outputName, const uint8_t* bytes, uint32_t length,
                          TileMapReport* report);
// Writes length bytes whole to a file already open (standard output, say),
// in order from where it stands; the caller closes it. Returns 1, or 0 with
// TILEMAP_FAIL_WRITE in report.
int32_t TileMap_WriteOpen(FileHandle* file, const uint8_t* bytes, uint32_t length,
                          TileMapReport* report);

// An output written in pieces as they are made, with the care of
// TileMap_WriteFile, so that no more than a block of it is ever held.
struct TileMapWriter;
// Starts writing the file outputName (UTF-8) or, when file is set, that
// open file (standard output, say), which the caller owns and closes.
// Returns the writer, to end with TileMap_WriterEnd, or null with the
// failure (OUTPUT, TEMP or NOMEM) in report.
TileMapWriter* TileMap_WriterOpen(const char* outputName, FileHandle* file, TileMapReport* report);
// Appends length bytes. False once a write has failed; the rest is then
// ignored, and TileMap_WriterEnd tells why.
bool TileMap_WriterPut(TileMapWriter* writer, const void* bytes, uint64_t length);
// Frees writer (null is ignored). With keep, what was put goes in place
// and it returns 1, or 0 with the failure (WRITE or TEMP) in report; without
// keep (the maker gave up), the output stays as it was and it returns 0.
int32_t TileMap_WriterEnd(TileMapWriter* writer, bool keep, TileMapReport* report);

struct TextStream;
// Runs a job on a pattern stream already open, which the caller owns and
// closes (a standard input, say); it is read until the map is full or the
// text ends. With output null the map goes to the file outputName as
// TileMap_RunEx writes it; otherwise it is written to output with one write.
int32_t TileMap_RunStreams(TextStream* pattern, const char* outputName, TextStream* output,
                           const TileMapJob* job, TileMapReport* report);
