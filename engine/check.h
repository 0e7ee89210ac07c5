// The pattern check: a dry run of a tile map job that also says what the
// pattern language passes over in silence. It reads the pattern with the
// job's own reader and interpreter (a listener hooked into the interpreter),
// so its map is the job's map, and returns what it found as records with
// their line numbers; the caller words and shows them.
#pragma once
#include <cstdint>
#include "engine/tilemap.h"

enum CheckKind : int32_t {
    CHECK_RANGE = 1,      // value..extra: numbers outside 0..inputs (empty slot, or skipped)
    CHECK_BYTE = 2,       // value..extra: numbers above 255 (written as their low byte)
    CHECK_ITEM = 3,       // text: a list item that reads as no number (skipped)
    CHECK_NOPAREN = 4,    // text: a directive or setting line without its ')' (ignored)
    CHECK_WORD = 5,       // text: an unknown directive word (line ignored)
    CHECK_ARGS = 6,       // text: directive arguments that could not be read whole
    CHECK_SETTING = 7,    // text: a setting line that changes nothing
    CHECK_OPENBRACE = 8,  // an opening brace with no loop open (ignored)
    CHECK_CLOSEBRACE = 9, // a closing brace with no block open
    CHECK_OPENLOOP = 10,  // the loop opened on this line is still open at the end
    CHECK_UNREACHED = 11, // value: lines from here on never read, the map being full
    CHECK_REST = 12,      // text: what follows an item's form, a brace or a closing ')' (ignored)
    CHECK_CUT = 13,       // text: a new directive word cut to the 23 bytes kept
    CHECK_LOOPZERO = 14,  // text, value: a loop whose count (value) makes no pass
    CHECK_NUL = 15,       // a NUL byte: the rest of the line is ignored
    CHECK_NOBOM = 16,     // text: the encoding the text looks like, read without a byte-order mark
    CHECK_LEADBREAK = 17, // this line's break is the second byte of a lead byte's pair
    CHECK_EMPTY = 18,     // no number reached the map: the job fails (line 1)
};

struct CheckDiagnostic {
    int32_t line; // 1-based
    int32_t kind;
    int64_t value, extra;
    char text[48]; // the text concerned, cut to 47 bytes
};

struct CheckSummary {
    int32_t filled;   // output slots that hold a tile
    int32_t empty;    // output slots that hold no tile
    int32_t unused;   // input tiles that no slot holds
    int32_t repeated; // input tiles held by more than one slot
};

// Diagnostics kept in a result at most, besides those of the file's end; a
// pattern of millions of bad lines costs no more than these.
constexpr int32_t CHECK_LISTED = 10000;

struct CheckResult {
    CheckDiagnostic* list; // Check_Free
    int32_t count;
    int32_t capacity;
    int32_t more; // diagnostics past CHECK_LISTED: counted, not kept
    CheckSummary summary;
    uint8_t* map;  // the job's map, TileMap_MapLength bytes (Check_Free)
    int32_t taken; // what the job returns: numbers taken, 0 when it fails
    TileMapFailure failure;
    uint32_t fileCode; // TILEMAP_FAIL_PATTERN or _TEMP: the file layer's code
};

// Checks the pattern file patternName (UTF-8) for job. Returns the number of
// diagnostics (count + more), or -1 when the pattern cannot be read or memory runs out
// (result->failure says which). Free the result with Check_Free either way.
// With trace (MapTrace_Init'ed for the job's counts, or null), it also
// records where each number of the map came from.
int32_t Check_Run(const char* patternName, const TileMapJob* job, CheckResult* result,
                  MapTrace* trace = nullptr);
struct TextStream;
// The same on a pattern stream already open (standard input, say), which is
// read once and which the caller closes. In the undo method its text is kept
// in a scratch file for the summary; when that cannot be made or written,
// the result is -1 with TILEMAP_FAIL_TEMP and the file layer's code.
int32_t Check_RunStream(TextStream* pattern, const TileMapJob* job, CheckResult* result,
                        MapTrace* trace = nullptr);
void Check_Free(CheckResult* result);
