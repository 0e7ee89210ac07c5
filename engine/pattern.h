// The pattern language interpreter: turns the lines of a pattern file into
// numbers for the map filler. Comment lines, number lists with ranges and
// repeats, the loop and repeat directives, braces around a loop body, and
// "$SET" lines that give a directive a new word. Nothing it cannot read is an
// error: such text is ignored.
#pragma once
#include <cstdint>
#include "engine/runs.h"
#include "engine/runstore.h"
#include "textlib/strbuf.h"

enum : int32_t {
    KEYWORD_LOOP = 1,
    KEYWORD_REPEAT = 2,
};

// A row of the keyword table: name finds the row from a "$SET" line and never
// changes; text is the word a directive line must carry.
struct PatternKeyword {
    char name[8];
    char text[24];
    int32_t kind;
};

constexpr int32_t PATTERN_KEYWORDS = 2;

// The interpreter's loop state, kept for the program's run.
struct PatternState {
    int32_t base;     // always 0 between lines: a flush works out each pass's base itself
    int32_t step;     // what each pass of the open loop adds to the body's numbers
    int32_t count;    // passes of the open loop; 1 when no loop is open
    int32_t rowCount; // rows of the keyword table that are searched
    int32_t inLoop;   // 1 while a loop is open
    int32_t depth;    // brace depth inside the open loop
    int32_t lastKind; // KEYWORD_REPEAT when the current line carried out a repeat
};

// Where the interpreter delivers its numbers: the map filler. Each take
// returns true once the map is full; nothing more is then offered.
struct PatternSink {
    void* context;
    // Numbers in lo..hi use up a slot; others use up nothing (lo INT64_MIN:
    // every number does). A loop body keeps only numbers that can still
    // reach the map on some pass.
    int64_t lo, hi;
    // How many more numbers the map can take at most. While the numbers
    // waiting for delivery are fewer, they cannot fill it, so the interpreter
    // may gather the numbers of several lines and deliver them at once.
    int64_t (*room)(void* context);
    // The runs in order.
    bool (*takeRuns)(void* context, const NumberRun* runs, int32_t count);
    // Single numbers in order; returns the room left, 0 or less once the
    // map is full (numbers after that are dropped).
    int64_t (*takeNumbers)(void* context, const int32_t* numbers, int32_t count);
    // The body's runs passes times; on pass p (from 0) every number of the
    // body except 0 is increased by p * step.
    bool (*takeLoop)(void* context, const RunStore* body, int64_t passes, int64_t step);
};

// What the interpreter tells a listener (a PatternNote) as it reads: the
// numbers it makes, and the text it passes over, which the language ignores
// without a word. A job has no listener; the pattern check has one.
enum PatternNoteKind : int32_t {
    PATTERN_NOTE_RUN = 1,        // a, b, c: start, count, step of numbers made
    PATTERN_NOTE_ITEM = 2,       // text: a list item that reads as no number (skipped)
    PATTERN_NOTE_NOPAREN = 3,    // text: a directive or setting line not ending in ')'
    PATTERN_NOTE_WORD = 4,       // text: a directive word that names no directive
    PATTERN_NOTE_ARGS = 5,       // text: directive arguments not read to their end
    PATTERN_NOTE_SETTING = 6,    // text: a setting line that changes nothing
    PATTERN_NOTE_OPENBRACE = 7,  // an opening brace with no loop open (ignored)
    PATTERN_NOTE_CLOSEBRACE = 8, // a closing brace with no block open
    PATTERN_NOTE_LOOP = 9,       // a, b: a loop opened with count a and step b
    PATTERN_NOTE_REST = 10,      // text: what follows a brace or the closing ')' of a line
    PATTERN_NOTE_CUT = 11,       // text: a new directive word cut to its first 23 bytes
    PATTERN_NOTE_ITEMREST = 12,  // text: what follows an item's form, up to its comma
};

struct PatternNote {
    void* context;
    // text is valid during the call only; null for kinds without text.
    void (*hear)(void* context, int32_t kind, const char* text, int64_t a, int64_t b, int64_t c);
};

// The keyword table and loop state, which live for the program's run.
PatternKeyword* Pattern_Keywords();
PatternState* Pattern_State();
// Puts the keyword table back to the words it starts with (tests only: a
// program keeps the words that "$SET" lines gave for its whole run).
void Pattern_ResetKeywords();
// Prepares for a job's first line: both keyword rows searched, no loop open.
void Pattern_StartJob();

// One job's working buffers, private to the interpreter.
struct PatternWork;
// Makes a job's working buffers: the numbers go to sink, what is read is
// told to note (hear null: nobody listens, as in every job), and Pattern_Text
// holds a line whole up to holdLimit bytes (0 or less: 65536). Returns null
// when memory runs out; the caller frees the buffers with PatternWork_Free.
PatternWork* PatternWork_New(PatternSink sink, PatternNote note, int32_t holdLimit);
// Frees the buffers; null is ignored.
void PatternWork_Free(PatternWork* work);
// Whether no more text must be handed over: the map is full, or memory ran
// out (PatternWork_NoMemory).
bool PatternWork_Stopped(const PatternWork* work);
// Whether a buffer could not grow: the job's numbers are incomplete.
bool PatternWork_NoMemory(const PatternWork* work);

// Handles one line of the pattern (its line break, if any, included). The
// line buffer is trimmed in place. Once PatternWork_Stopped turns true no
// further line must be handed over.
void Pattern_Line(PatternWork* work, StrBuf* line);
// Delivers the numbers still waiting; call after the last line.
void Pattern_Finish(PatternWork* work);

// Handles text of a pattern, lines separated by LF, in pieces of any size:
// the same as Pattern_Line on each line, but a line longer than the hold
// limit is not held whole (a number list is read item by item, a comment or
// brace line is passed over, a directive or setting line is read to its end
// into a short line of the same meaning). text[length] must be writable.
// Stops once the map is full.
void Pattern_Text(PatternWork* work, char* text, uint32_t length);
// Handles a last line that has no LF; call when the text ends.
void Pattern_TextEnd(PatternWork* work);
