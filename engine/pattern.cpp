// The pattern language interpreter. Directive and setting lines are split
// with the tokenizer; number lists are walked in place, which splits them
// the same way without copying each item. Made numbers are held as runs
// (engine/runs.h), never one by one, so that 1~2000000000 or a loop of two
// billion passes costs no more than the numbers the map can still take.
#include "engine/pattern.h"
#include "engine/scan.h"
#include <cstring>

namespace {

const PatternKeyword START_KEYWORDS[PATTERN_KEYWORDS] = {
    {"LOOP", "LOOP", KEYWORD_LOOP},
    {"REPEAT", "REPEAT", KEYWORD_REPEAT},
};

PatternKeyword g_keywords[PATTERN_KEYWORDS] = {
    {"LOOP", "LOOP", KEYWORD_LOOP},
    {"REPEAT", "REPEAT", KEYWORD_REPEAT},
};
PatternState g_state = {};

// Equality without regard to the case of ASCII letters only.
bool EqualNoCase(const char* a, const char* b) {
    for (;; a++, b++) {
        char x = *a >= 'a' && *a <= 'z' ? static_cast<char>(*a - 32) : *a;
        char y = *b >= 'a' && *b <= 'z' ? static_cast<char>(*b - 32) : *b;
        if (x != y) return false;
        if (!x) return true;
    }
}

bool EndsWith(const StrBuf* buf, char c) {
    return buf->length > 0 && buf->data[buf->length - 1] == c;
}

void Append(PatternWork* work, int64_t start, int64_t count, int64_t step) {
    if (count <= 0) return;
    RunList* list = g_state.inLoop ? &work->body : &work->direct;
    if (!RunList_Append(list, start, count, step)) work->noMemory = true;
    if (list == &work->direct) work->directCount += count;
}

void Deliver(PatternWork* work) {
    if (!work->full && work->direct.count > 0) {
        work->full = work->sink.takeRuns(work->sink.context, work->direct.runs, work->direct.count);
        work->room = work->sink.room(work->sink.context);
    }
    RunList_Clear(&work->direct);
    work->directCount = 0;
}

void CloseLoop() {
    g_state.inLoop = 0;
    g_state.depth = 0;
    g_state.base = 0;
    g_state.step = 0;
    g_state.count = 1;
}

// The end of a line: a loop that ends here is flushed, and the numbers
// waiting are delivered, unless they are too few to fill the map. Held over,
// they reach the map in the same order and the map fills on the same line
// (every number uses up at most one slot), so exactly the same lines are
// read; consecutive lines such as 1, 2, 3 then merge into one run.
const int32_t HELD_RUNS = 64;

void EndOfLine(PatternWork* work) {
    if (g_state.inLoop) {
        if (g_state.depth > 0) return;
        Deliver(work);
        if (!work->full && work->body.count > 0 && g_state.count > 0) {
            work->full = work->sink.takeLoop(work->sink.context, work->body.runs, work->body.count,
                                             g_state.count, g_state.step);
            work->room = work->sink.room(work->sink.context);
        }
        RunList_Clear(&work->body);
        CloseLoop();
        return;
    }
    if (work->direct.count >= HELD_RUNS || work->directCount >= work->room) Deliver(work);
}

void CarryOut(PatternWork* work, int32_t kind, const char* args) {
    if (kind == KEYWORD_LOOP && !g_state.inLoop) {
        int32_t v[2] = {1, 0}; // count, step
        Scan_Format(args, "%d,%d", v);
        g_state.inLoop = 1;
        g_state.base = 0;
        g_state.count = v[0];
        g_state.step = v[1];
        return;
    }
    int32_t v[3] = {0, 1, 0}; // start, count, step
    Scan_Format(args, "%d,%d,%d", v);
    if (kind == KEYWORD_LOOP) { // inside an open loop: a sequence for the body
        Append(work, v[0], v[1], v[2]);
        return;
    }
    g_state.lastKind = KEYWORD_REPEAT;
    Append(work, v[0], v[1], v[2]);
}

void DirectiveLine(PatternWork* work, StrBuf* line) {
    if (!EndsWith(line, ')')) return;
    StrTok tok;
    StrTok_Start(&tok, line->data + 1);
    if (!StrTok_Next(work->token, &tok, '(', 1)) return;
    int32_t rows = g_state.rowCount < PATTERN_KEYWORDS ? g_state.rowCount : PATTERN_KEYWORDS;
    for (int32_t row = 0; row < rows; row++) {
        g_state.lastKind = 0;
        StrBuf_Trim(work->token);
        if (!EqualNoCase(work->token->data, g_keywords[row].text)) continue;
        // A failed take leaves the word in the token for the next row.
        if (!StrTok_Next(work->token, &tok, ')', 1)) continue;
        CarryOut(work, g_keywords[row].kind, work->token->data);
        break;
    }
    if (g_state.lastKind == KEYWORD_REPEAT) EndOfLine(work);
}

void SettingLine(PatternWork* work, StrBuf* line) {
    if (!EndsWith(line, ')')) return;
    StrTok tok;
    StrTok_Start(&tok, line->data);
    if (!StrTok_Next(work->token, &tok, '(', 1) || !EqualNoCase(work->token->data, "$SET")) return;
    if (!StrTok_Next(work->token, &tok, ',', 1)) return;
    int32_t rows = g_state.rowCount < PATTERN_KEYWORDS ? g_state.rowCount : PATTERN_KEYWORDS;
    for (int32_t row = 0; row < rows; row++) {
        if (!EqualNoCase(work->token->data, g_keywords[row].name)) continue;
        if (!StrTok_Next(work->token, &tok, ')', 1)) continue;
        StrBuf_RemoveChar(work->token, '"');
        StrBuf_Trim(work->token);
        if (work->token->length > 0) {
            size_t n = static_cast<size_t>(work->token->length);
            if (n > sizeof g_keywords[row].text - 1) n = sizeof g_keywords[row].text - 1;
            memcpy(g_keywords[row].text, work->token->data, n);
            g_keywords[row].text[n] = 0;
        }
        return;
    }
}

// Trims buf unless it has nothing to trim, which is the common case.
void Trim(StrBuf* buf) {
    if (buf->length > 0 && (Scan_IsBlank(buf->data[0]) || Scan_IsBlank(buf->data[buf->length - 1])))
        StrBuf_Trim(buf);
}

// One item of a number list: a~b, a(k) or a, tried in that order; text after
// the form is ignored. item need not end at its comma: every form stops at
// a comma anyway.
void ListItem(PatternWork* work, const char* item) {
    const char* p = item;
    int32_t a;
    if (!Scan_Int(&p, &a)) return;
    int32_t b;
    const char* q = p + 1;
    if (*p == '~' && Scan_Int(&q, &b)) {
        if (a < b)
            Append(work, a, int64_t{b} - a + 1, 1);
        else
            Append(work, a, int64_t{a} - b + 1, -1);
    } else if (*p == '(' && Scan_Int(&q, &b)) {
        Append(work, a, b, 0);
    } else {
        Append(work, a, 1, 0);
    }
}

// Walks the line's comma-separated items in place, as the tokenizer would
// split it with empty items skipped; each item is trimmed and loses its
// blanks (1 ~ 5 reads as 1~5) before it is read.
void ListLine(PatternWork* work, StrBuf* line) {
    const char* p = line->data;
    for (;;) {
        while (*p == ',')
            p++;
        if (!*p) break;
        // Most items are a bare number up to the comma: that is the item
        // whole, with nothing to trim and no blank inside.
        const char* q = p;
        int32_t a;
        if (Scan_Int(&q, &a) && (*q == ',' || !*q)) {
            RunList* list = g_state.inLoop ? &work->body : &work->direct;
            if (!RunList_AppendOne(list, a)) work->noMemory = true;
            if (list == &work->direct) work->directCount++;
            p = q;
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
    EndOfLine(work);
}

} // namespace

PatternKeyword* Pattern_Keywords() {
    return g_keywords;
}
PatternState* Pattern_State() {
    return &g_state;
}

void Pattern_ResetKeywords() {
    memcpy(g_keywords, START_KEYWORDS, sizeof g_keywords);
}

void Pattern_StartJob() {
    g_state.rowCount = PATTERN_KEYWORDS;
    g_state.lastKind = 0;
    CloseLoop();
}

bool PatternWork_Init(PatternWork* work, PatternSink sink) {
    work->sink = sink;
    work->token = StrBuf_New();
    RunList_Init(&work->direct);
    work->directCount = 0;
    work->room = sink.room(sink.context);
    RunList_Init(&work->body);
    work->full = false;
    work->noMemory = false;
    return work->token != StrBuf_Null;
}

void PatternWork_Free(PatternWork* work) {
    StrBuf_Free(work->token);
    work->token = StrBuf_Null;
    RunList_Free(&work->direct);
    RunList_Free(&work->body);
}

void Pattern_Finish(PatternWork* work) {
    Deliver(work);
}

void Pattern_Line(PatternWork* work, StrBuf* line) {
    // Strip the one line-break byte, if any; the null buffer has none.
    if (line->length > 0) {
        char last = line->data[line->length - 1];
        if (last == '\r' || last == '\n') line->data[--line->length] = 0;
    }
    if (line->data[0] == '#') return;
    Trim(line);
    switch (line->data[0]) {
    case '/': DirectiveLine(work, line); break;
    case '{':
        if (g_state.inLoop && g_state.depth < INT32_MAX) g_state.depth++;
        break;
    case '}':
        if (g_state.depth > 0) g_state.depth--;
        EndOfLine(work);
        break;
    case '$': SettingLine(work, line); break;
    default: ListLine(work, line); break;
    }
}
