// Internal to the pattern language interpreter: what its two halves share,
// the line reader (engine/pattern.cpp) and the reader of text in blocks
// (engine/patterntext.cpp), among them the job's working buffers with the
// state of a line read on past the hold limit. The path of a single number is inline here, since
// text of one number a line takes every number through it.
#pragma once
#include "engine/loopbody.h"
#include "engine/pattern.h"
#include "textlib/strbuf.h"

// A directive or setting line too long to hold, read to its end as it comes
// and kept as a short line that the interpreter reads the same way: a word
// keeps what a keyword text can match, arguments what the scan reads (blanks
// folded, leading zeros and digits past any 32-bit value dropped) and a mark
// for the rest, the line its last byte that is not blank.
struct LineSqueeze {
    char out[256];
    int32_t length;
    int32_t stage;    // the part of the line being read
    int32_t kept;     // bytes kept of the current word
    int32_t scan;     // where the scan of the arguments stands
    int32_t numbers;  // numbers the scan has read
    int32_t digits;   // significant digits kept of the current number, -1 none yet
    int32_t commas;   // commas kept after the scan stopped
    int32_t lastMark; // the line's last byte that is not blank, or -1
    bool marked;      // the rest of the arguments has its mark
};

// One job's working buffers.
struct PatternWork {
    PatternSink sink;
    PatternNote note; // hear null: nobody listens (every job)
    StrBuf* token;
    RunList direct;      // numbers waiting for delivery
    int64_t directCount; // how many numbers direct holds
    int64_t room;        // what sink.room said after the last delivery
    int32_t lone[256];   // single numbers waiting, before any in direct
    int32_t loneCount;
    LoopBody body; // numbers collected while a loop is open
    bool full;     // the sink reported a full map
    bool noMemory; // a buffer could not grow: the job's numbers are incomplete
    // Text fed with Pattern_Text: the line not yet ended, held whole while it
    // is at most holdLimit bytes, and how a longer one is read on.
    StrBuf* held;
    int32_t holdLimit;
    int32_t longKind;
    LineSqueeze squeeze; // of a directive or setting line too long to hold
    bool itemCut;        // the rest of a list item too long to hold is dropped
};

// Delivers the single numbers waiting, then the runs in work->direct.
void PatternWork_Deliver(PatternWork* work);
// The end of a line: a loop that ends here is flushed, and the numbers
// waiting are delivered unless they are few.
void PatternWork_EndOfLine(PatternWork* work);
// Reads the comma-separated items of a number list, text up to its NUL.
void PatternWork_ListItems(PatternWork* work, const char* text);
// A number list line: its items, then the end of the line.
void PatternWork_ListLine(PatternWork* work, const char* line);
// One line without its line break; line[length] is its NUL and writable.
void PatternWork_LineText(PatternWork* work, char* line, int32_t length);

// Tells the listener, if any; a job has none and pays one test.
inline void PatternWork_Note(PatternWork* work, int32_t kind, const char* text, int64_t a = 0,
                             int64_t b = 0, int64_t c = 0) {
    if (work->note.hear) work->note.hear(work->note.context, kind, text, a, b, c);
}

// Single numbers wait in work->lone, for one call of the sink for many.
inline void PatternWork_Flush(PatternWork* work) {
    if (work->loneCount == 0) return;
    if (!work->full) {
        work->room = work->sink.takeNumbers(work->sink.context, work->lone, work->loneCount);
        work->full = work->room <= 0;
    }
    work->loneCount = 0;
}

// count numbers from a by step (count at most the waiting room's size), as
// single numbers; for a job, which has no listener to tell.
inline void PatternWork_TakeSpan(PatternWork* work, int32_t a, int32_t step, int32_t count) {
    constexpr int32_t ROOM = static_cast<int32_t>(sizeof work->lone / sizeof work->lone[0]);
    if (work->direct.count > 0) PatternWork_Deliver(work);
    if (work->loneCount + count > ROOM) PatternWork_Flush(work);
    int32_t* out = work->lone + work->loneCount;
    for (int32_t i = 0; i < count; i++, a += step)
        out[i] = a;
    work->loneCount += count;
    if (work->loneCount == ROOM) PatternWork_Flush(work);
}

// One single number, after any numbers waiting in work->direct.
inline void PatternWork_TakeLone(PatternWork* work, int32_t n) {
    PatternWork_Note(work, PATTERN_NOTE_RUN, nullptr, n, 1, 0);
    if (work->direct.count > 0) PatternWork_Deliver(work);
    work->lone[work->loneCount++] = n;
    if (work->loneCount == static_cast<int32_t>(sizeof work->lone / sizeof work->lone[0]))
        PatternWork_Flush(work);
}
