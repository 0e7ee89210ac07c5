// The pattern language interpreter: reads the lines of a pattern, whether
// handed over one by one or split from text in blocks (engine/patterntext.cpp).
// Directive and setting lines are split with the tokenizer; number lists are
// walked in place, which splits them the same way without copying each item.
// Made numbers are held as runs (engine/runs.h), never one by one, so that
// 1~2000000000 or a loop of two billion passes costs no more than the numbers
// the map can still take. Numbers waiting for delivery are delivered as soon
// as they are many, and a loop body keeps only what the map can still use, so
// that a line or block of any length runs in bounded memory.
#include "engine/pattern_work.h"
#include "engine/scan.h"
#include "textlib/mem.h"
#include <cstring>

namespace {

const PatternKeyword START_KEYWORDS[PATTERN_KEYWORDS] = {
    {"LOOP", "LOOP", KEYWORD_LOOP},
    {"REPEAT", "REPEAT", KEYWORD_REPEAT},
};

PatternKeyword keywords[PATTERN_KEYWORDS] = {
    {"LOOP", "LOOP", KEYWORD_LOOP},
    {"REPEAT", "REPEAT", KEYWORD_REPEAT},
};
PatternState state = {};

// Equality without regard to the case of ASCII letters only.
bool EqualNoCase(const char* a, const char* b) {
    for (;; a++, b++) {
        char x = *a >= 'a' && *a <= 'z' ? static_cast<char>(*a - 32) : *a;
        char y = *b >= 'a' && *b <= 'z' ? static_cast<char>(*b - 32) : *b;
        if (x != y) return false;
        if (!x) return true;
    }
}

bool EndsWith(const char* text, int32_t length, char c) {
    return length > 0 && text[length - 1] == c;
}

// Delivery is held back while the numbers waiting are too few to fill the
// map, and too few runs to cost memory. Held over, they reach the map in the
// same order and the map fills on the same line (every number uses up at
// most one slot), so exactly the same lines are read; consecutive lines such
// as 1, 2, 3 then merge into one run.
const int32_t HELD_RUNS = 64;

inline void DeliverIfMany(PatternWork* work) {
    if (work->direct.count >= HELD_RUNS || work->directCount >= work->room)
        PatternWork_Deliver(work);
}

void AppendBody(PatternWork* work, int64_t start, int64_t count, int64_t step) {
    PatternWork_Note(work, PATTERN_NOTE_RUN, nullptr, start, count, step);
    if (!LoopBody_Add(&work->body, start, count, step)) work->noMemory = true;
}

void Append(PatternWork* work, int64_t start, int64_t count, int64_t step) {
    if (count <= 0) return;
    if (state.inLoop) return AppendBody(work, start, count, step);
    PatternWork_Note(work, PATTERN_NOTE_RUN, nullptr, start, count, step);
    PatternWork_Flush(work); // single numbers first, and the room they leave
    if (!RunList_Append(&work->direct, start, count, step)) work->noMemory = true;
    work->directCount += count;
    DeliverIfMany(work);
}

void CloseLoop() {
    state.inLoop = 0;
    state.depth = 0;
    state.base = 0;
    state.step = 0;
    state.count = 1;
}

// Tells the listener of text the language passes over: from rest to the
// end of the line (or its NUL) when that is not all blank.
void NoteRest(PatternWork* work, int32_t kind, const char* rest, const char* text) {
    if (!work->note.hear) return;
    for (const char* p = rest; *p; p++)
        if (!Scan_IsBlank(*p)) return PatternWork_Note(work, kind, text ? text : p);
}

void CarryOut(PatternWork* work, int32_t kind, const char* args) {
    if (kind == KEYWORD_LOOP && !state.inLoop) {
        int32_t v[2] = {1, 0}; // count, step
        const char* end;
        Scan_Format(args, "%d,%d", v, &end);
        NoteRest(work, PATTERN_NOTE_ARGS, end, args);
        PatternWork_Note(work, PATTERN_NOTE_LOOP, nullptr, v[0], v[1]);
        state.inLoop = 1;
        state.base = 0;
        state.count = v[0];
        state.step = v[1];
        LoopBody_Start(&work->body, v[0], v[1], work->sink.lo, work->sink.hi, work->room);
        return;
    }
    int32_t v[3] = {0, 1, 0}; // start, count, step
    const char* end;
    Scan_Format(args, "%d,%d,%d", v, &end);
    NoteRest(work, PATTERN_NOTE_ARGS, end, args);
    if (kind == KEYWORD_LOOP) { // inside an open loop: a sequence for the body
        Append(work, v[0], v[1], v[2]);
        return;
    }
    state.lastKind = KEYWORD_REPEAT;
    Append(work, v[0], v[1], v[2]);
}

void DirectiveLine(PatternWork* work, const char* line, int32_t length) {
    if (!EndsWith(line, length, ')')) return PatternWork_Note(work, PATTERN_NOTE_NOPAREN, line);
    StrTok tok;
    StrTok_Start(&tok, line + 1);
    if (!StrTok_Next(work->token, &tok, '(', 1))
        return PatternWork_Note(work, PATTERN_NOTE_WORD, line);
    bool done = false;
    int32_t rows = state.rowCount < PATTERN_KEYWORDS ? state.rowCount : PATTERN_KEYWORDS;
    for (int32_t row = 0; row < rows; row++) {
        state.lastKind = 0;
        StrBuf_Trim(work->token);
        if (!EqualNoCase(work->token->data, keywords[row].text)) continue;
        // A failed take leaves the word in the token for the next row.
        if (!StrTok_Next(work->token, &tok, ')', 1)) continue;
        CarryOut(work, keywords[row].kind, work->token->data);
        NoteRest(work, PATTERN_NOTE_REST, tok.cursor, nullptr);
        done = true;
        break;
    }
    if (!done) PatternWork_Note(work, PATTERN_NOTE_WORD, line);
    if (state.lastKind == KEYWORD_REPEAT) PatternWork_EndOfLine(work);
}

void SettingLine(PatternWork* work, const char* line, int32_t length) {
    if (!EndsWith(line, length, ')')) return PatternWork_Note(work, PATTERN_NOTE_NOPAREN, line);
    StrTok tok;
    StrTok_Start(&tok, line);
    if (!StrTok_Next(work->token, &tok, '(', 1) || !EqualNoCase(work->token->data, "$SET") ||
        !StrTok_Next(work->token, &tok, ',', 1))
        return PatternWork_Note(work, PATTERN_NOTE_SETTING, line);
    int32_t rows = state.rowCount < PATTERN_KEYWORDS ? state.rowCount : PATTERN_KEYWORDS;
    for (int32_t row = 0; row < rows; row++) {
        if (!EqualNoCase(work->token->data, keywords[row].name)) continue;
        if (!StrTok_Next(work->token, &tok, ')', 1)) continue;
        StrBuf_RemoveChar(work->token, '"');
        StrBuf_Trim(work->token);
        if (work->token->length == 0) PatternWork_Note(work, PATTERN_NOTE_SETTING, line);
        if (work->token->length > 0) {
            size_t n = static_cast<size_t>(work->token->length);
            if (n > sizeof keywords[row].text - 1) n = sizeof keywords[row].text - 1;
            memcpy(keywords[row].text, work->token->data, n);
            keywords[row].text[n] = 0;
            if (n < static_cast<size_t>(work->token->length))
                PatternWork_Note(work, PATTERN_NOTE_CUT, keywords[row].text);
        }
        NoteRest(work, PATTERN_NOTE_REST, tok.cursor, nullptr);
        return;
    }
    PatternWork_Note(work, PATTERN_NOTE_SETTING, line);
}

// One item of a number list: a~b, a(k) or a, tried in that order; text after
// the form is ignored. item need not end at its comma: every form stops at
// a comma anyway.
void ListItem(PatternWork* work, const char* item) {
    const char* p = item;
    int32_t a;
    if (!Scan_Int(&p, &a)) return PatternWork_Note(work, PATTERN_NOTE_ITEM, item);
    int32_t b;
    const char* q = p + 1;
    if (*p == '~' && Scan_Int(&q, &b)) {
        if (a < b)
            Append(work, a, int64_t{b} - a + 1, 1);
        else
            Append(work, a, int64_t{a} - b + 1, -1);
        p = q;
    } else if (*p == '(' && Scan_Int(&q, &b)) {
        Append(work, a, b, 0);
        p = *q == ')' ? q + 1 : q;
    } else {
        Append(work, a, 1, 0);
    }
    // The item ends at its comma.
    for (; work->note.hear && *p && *p != ','; p++)
        if (!Scan_IsBlank(*p)) return PatternWork_Note(work, PATTERN_NOTE_ITEMREST, p);
}

inline void SkipBlanks(const char** p) {
    while (Scan_IsBlank(**p))
        ++*p;
}

} // namespace

void PatternWork_Deliver(PatternWork* work) {
    PatternWork_Flush(work);
    if (!work->full && work->direct.count > 0) {
        work->full = work->sink.takeRuns(work->sink.context, work->direct.runs, work->direct.count);
        work->room = work->sink.room(work->sink.context);
    }
    RunList_Clear(&work->direct);
    work->directCount = 0;
}

// The end of a line: a loop that ends here is flushed, and the numbers
// waiting are delivered unless they are few (see HELD_RUNS).
void PatternWork_EndOfLine(PatternWork* work) {
    if (state.inLoop) {
        if (state.depth > 0) return;
        PatternWork_Deliver(work);
        if (!LoopBody_Seal(&work->body)) work->noMemory = true;
        if (!work->full && work->body.runs.liveRuns > 0 && state.count > 0) {
            work->full =
                work->sink.takeLoop(work->sink.context, &work->body.runs, state.count, state.step);
            work->room = work->sink.room(work->sink.context);
        }
        LoopBody_Start(&work->body, 0, 0, 0, 0, 0);
        CloseLoop();
        return;
    }
    DeliverIfMany(work);
}

// Walks the comma-separated items of text (up to its NUL) in place, as the
// tokenizer would split it with empty items skipped; each item is trimmed
// and loses its blanks (1 ~ 5 reads as 1~5) before it is read.
void PatternWork_ListItems(PatternWork* work, const char* text) {
    const char* p = text;
    while (!work->full) {
        while (*p == ',')
            p++;
        if (!*p) break;
        // Most items are a bare number up to the comma, with white space
        // around it at most: that is the item, trimmed and with no blank inside.
        const char* q = p;
        int32_t a;
        if (Scan_Int(&q, &a) && (SkipBlanks(&q), *q == ',' || !*q)) {
            p = q;
            if (state.inLoop) {
                AppendBody(work, a, 1, 0);
                continue;
            }
            PatternWork_TakeLone(work, a); // after any numbers waiting in direct
            continue;
        }
        const char* start = p;
        bool blank = false;
        for (; *p && *p != ','; p++)
            blank |= *p == ' ';
        const char* end = p;
        while (start < end && Scan_IsBlank(*start))
            start++;
        while (end > start && Scan_IsBlank(end[-1]))
            end--;
        if (start == end) continue;
        if (!blank) {
            ListItem(work, start);
            continue;
        }
        uint32_t length = static_cast<uint32_t>(end - start);
        StrBuf_AssignStr(work->token, "");
        if (StrBuf_Insert(work->token, -1, start, length)->length != static_cast<int32_t>(length)) {
            work->noMemory = true;
            break;
        }
        StrBuf_RemoveChar(work->token, ' ');
        ListItem(work, work->token->data);
    }
}

void PatternWork_ListLine(PatternWork* work, const char* line) {
    PatternWork_ListItems(work, line);
    PatternWork_EndOfLine(work);
}

void PatternWork_LineText(PatternWork* work, char* line, int32_t length) {
    if (line[0] == '#') return;
    if (length > 0 && (Scan_IsBlank(line[0]) || Scan_IsBlank(line[length - 1]))) {
        while (length > 0 && Scan_IsBlank(line[length - 1]))
            length--;
        line[length] = 0;
        while (length > 0 && Scan_IsBlank(*line))
            line++, length--;
    }
    switch (line[0]) {
    case '/': DirectiveLine(work, line, length); break;
    case '{':
        if (state.inLoop && state.depth < INT32_MAX) state.depth++;
        if (!state.inLoop) PatternWork_Note(work, PATTERN_NOTE_OPENBRACE, nullptr);
        NoteRest(work, PATTERN_NOTE_REST, line + 1, nullptr);
        break;
    case '}':
        if (state.depth > 0)
            state.depth--;
        else
            PatternWork_Note(work, PATTERN_NOTE_CLOSEBRACE, nullptr);
        NoteRest(work, PATTERN_NOTE_REST, line + 1, nullptr);
        PatternWork_EndOfLine(work);
        break;
    case '$': SettingLine(work, line, length); break;
    default: PatternWork_ListLine(work, line); break;
    }
}

PatternKeyword* Pattern_Keywords() {
    return keywords;
}
PatternState* Pattern_State() {
    return &state;
}

void Pattern_ResetKeywords() {
    memcpy(keywords, START_KEYWORDS, sizeof keywords);
}

void Pattern_StartJob() {
    state.rowCount = PATTERN_KEYWORDS;
    state.lastKind = 0;
    CloseLoop();
}

PatternWork* PatternWork_New(PatternSink sink, PatternNote note, int32_t holdLimit) {
    PatternWork* work = static_cast<PatternWork*>(Mem_Alloc(sizeof(PatternWork)));
    if (!work) return nullptr;
    work->sink = sink;
    work->note = note;
    work->token = StrBuf_New();
    RunList_Init(&work->direct);
    work->directCount = 0;
    work->room = sink.room(sink.context);
    LoopBody_Init(&work->body);
    work->loneCount = 0;
    work->full = false;
    work->noMemory = false;
    work->held = StrBuf_New();
    work->holdLimit = holdLimit > 0 ? holdLimit : 65536;
    work->longKind = 0;
    work->squeeze.length = 0;
    work->itemCut = false;
    if (work->token != StrBuf_Null && work->held != StrBuf_Null) return work;
    PatternWork_Free(work);
    return nullptr;
}

void PatternWork_Free(PatternWork* work) {
    if (!work) return;
    StrBuf_Free(work->token);
    StrBuf_Free(work->held);
    RunList_Free(&work->direct);
    LoopBody_Free(&work->body);
    Mem_Free(work);
}

bool PatternWork_Stopped(const PatternWork* work) {
    return work->full || work->noMemory;
}

bool PatternWork_NoMemory(const PatternWork* work) {
    return work->noMemory;
}

void Pattern_Finish(PatternWork* work) {
    PatternWork_Deliver(work);
}

void Pattern_Line(PatternWork* work, StrBuf* line) {
    // Strip the one line-break byte, if any; the null buffer has none.
    if (line->length > 0) {
        char last = line->data[line->length - 1];
        if (last == '\r' || last == '\n') line->data[--line->length] = 0;
    }
    PatternWork_LineText(work, line->data, line->length);
    PatternWork_Flush(work);
}
