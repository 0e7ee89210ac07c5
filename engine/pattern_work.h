// Internal to the pattern language interpreter: what its two halves share,
// the line reader (engine/pattern.cpp) and the reader of text in blocks
// (engine/patterntext.cpp). The path of a single number is inline here, since
// text of one number a line takes every number through it.
#pragma once
#include "engine/pattern.h"

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

// One single number, after any numbers waiting in work->direct.
inline void PatternWork_TakeLone(PatternWork* work, int32_t n) {
    PatternWork_Note(work, PATTERN_NOTE_RUN, nullptr, n, 1, 0);
    if (work->direct.count > 0) PatternWork_Deliver(work);
    work->lone[work->loneCount++] = n;
    if (work->loneCount == static_cast<int32_t>(sizeof work->lone / sizeof work->lone[0]))
        PatternWork_Flush(work);
}
