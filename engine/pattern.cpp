// The pattern language interpreter. Directive and setting lines are split
// with the tokenizer; number lists are walked in place, which splits them
// the same way without copying each item. Made numbers are held as runs
// (engine/runs.h), never one by one, so that 1~2000000000 or a loop of two
// billion passes costs no more than the numbers the map can still take.
// Numbers waiting for delivery are delivered as soon as they are many, and a
// loop body keeps only what the map can still use, so that a line or block
// of any length runs in bounded memory.
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

bool EndsWith(const char* text, int32_t length, char c) {
    return length > 0 && text[length - 1] == c;
}

void Deliver(PatternWork* work);
void Flush(PatternWork* work);

// Tells the listener, if any; a job has none and pays one test.
inline void Note(PatternWork* work, int32_t kind, const char* text, int64_t a = 0, int64_t b = 0,
                 int64_t c = 0) {
    if (work->note.hear) work->note.hear(work->note.context, kind, text, a, b, c);
}

// Delivery is held back while the numbers waiting are too few to fill the
// map, and too few runs to cost memory. Held over, they reach the map in the
// same order and the map fills on the same line (every number uses up at
// most one slot), so exactly the same lines are read; consecutive lines such
// as 1, 2, 3 then merge into one run.
const int32_t HELD_RUNS = 64;

inline void DeliverIfMany(PatternWork* work) {
    if (work->direct.count >= HELD_RUNS || work->directCount >= work->room) Deliver(work);
}

void AppendBody(PatternWork* work, int64_t start, int64_t count, int64_t step) {
    Note(work, PATTERN_NOTE_RUN, nullptr, start, count, step);
    if (!LoopBody_Add(&work->body, start, count, step)) work->noMemory = true;
}

void Append(PatternWork* work, int64_t start, int64_t count, int64_t step) {
    if (count <= 0) return;
    if (g_state.inLoop) return AppendBody(work, start, count, step);
    Note(work, PATTERN_NOTE_RUN, nullptr, start, count, step);
    Flush(work); // single numbers first, and the room they leave
    if (!RunList_Append(&work->direct, start, count, step)) work->noMemory = true;
    work->directCount += count;
    DeliverIfMany(work);
}

// Single numbers wait in work->lone, for one call of the sink for many.
void Flush(PatternWork* work) {
    if (work->loneCount == 0) return;
    if (!work->full) {
        work->room = work->sink.takeNumbers(work->sink.context, work->lone, work->loneCount);
        work->full = work->room <= 0;
    }
    work->loneCount = 0;
}

inline void TakeLone(PatternWork* work, int32_t n) {
    Note(work, PATTERN_NOTE_RUN, nullptr, n, 1, 0);
    if (work->direct.count > 0) Deliver(work);
    work->lone[work->loneCount++] = n;
    if (work->loneCount == static_cast<int32_t>(sizeof work->lone / sizeof work->lone[0]))
        Flush(work);
}

void Deliver(PatternWork* work) {
    Flush(work);
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
// waiting are delivered unless they are few (see HELD_RUNS).
void EndOfLine(PatternWork* work) {
    if (g_state.inLoop) {
        if (g_state.depth > 0) return;
        Deliver(work);
        if (!LoopBody_Seal(&work->body)) work->noMemory = true;
        if (!work->full && work->body.runs.liveRuns > 0 && g_state.count > 0) {
            work->full = work->sink.takeLoop(work->sink.context, &work->body.runs, g_state.count,
                                             g_state.step);
            work->room = work->sink.room(work->sink.context);
        }
        LoopBody_Start(&work->body, 0, 0, 0, 0, 0);
        CloseLoop();
        return;
    }
    DeliverIfMany(work);
}

// Arguments that were not read to their end: none read from a text that is
// not blank, or as many commas as values read (text after one was dropped).
void NoteArgs(PatternWork* work, const char* args, int read) {
    if (!work->note.hear) return;
    int commas = 0;
    bool blank = true;
    for (const char* p = args; *p; p++) {
        commas += *p == ',';
        blank = blank && Scan_IsBlank(*p);
    }
    if ((!blank && read == 0) || (read > 0 && commas >= read)) Note(work, PATTERN_NOTE_ARGS, args);
}

void CarryOut(PatternWork* work, int32_t kind, const char* args) {
    if (kind == KEYWORD_LOOP && !g_state.inLoop) {
        int32_t v[2] = {1, 0}; // count, step
        NoteArgs(work, args, Scan_Format(args, "%d,%d", v));
        Note(work, PATTERN_NOTE_LOOP, nullptr, v[0], v[1]);
        g_state.inLoop = 1;
        g_state.base = 0;
        g_state.count = v[0];
        g_state.step = v[1];
        LoopBody_Start(&work->body, v[0], v[1], work->sink.lo, work->sink.hi, work->room);
        return;
    }
    int32_t v[3] = {0, 1, 0}; // start, count, step
    NoteArgs(work, args, Scan_Format(args, "%d,%d,%d", v));
    if (kind == KEYWORD_LOOP) { // inside an open loop: a sequence for the body
        Append(work, v[0], v[1], v[2]);
        return;
    }
    g_state.lastKind = KEYWORD_REPEAT;
    Append(work, v[0], v[1], v[2]);
}

void DirectiveLine(PatternWork* work, const char* line, int32_t length) {
    if (!EndsWith(line, length, ')')) return Note(work, PATTERN_NOTE_NOPAREN, line);
    StrTok tok;
    StrTok_Start(&tok, line + 1);
    if (!StrTok_Next(work->token, &tok, '(', 1)) return Note(work, PATTERN_NOTE_WORD, line);
    bool done = false;
    int32_t rows = g_state.rowCount < PATTERN_KEYWORDS ? g_state.rowCount : PATTERN_KEYWORDS;
    for (int32_t row = 0; row < rows; row++) {
        g_state.lastKind = 0;
        StrBuf_Trim(work->token);
        if (!EqualNoCase(work->token->data, g_keywords[row].text)) continue;
        // A failed take leaves the word in the token for the next row.
        if (!StrTok_Next(work->token, &tok, ')', 1)) continue;
        CarryOut(work, g_keywords[row].kind, work->token->data);
        done = true;
        break;
    }
    if (!done) Note(work, PATTERN_NOTE_WORD, line);
    if (g_state.lastKind == KEYWORD_REPEAT) EndOfLine(work);
}

void SettingLine(PatternWork* work, const char* line, int32_t length) {
    if (!EndsWith(line, length, ')')) return Note(work, PATTERN_NOTE_NOPAREN, line);
    StrTok tok;
    StrTok_Start(&tok, line);
    if (!StrTok_Next(work->token, &tok, '(', 1) || !EqualNoCase(work->token->data, "$SET") ||
        !StrTok_Next(work->token, &tok, ',', 1))
        return Note(work, PATTERN_NOTE_SETTING, line);
    int32_t rows = g_state.rowCount < PATTERN_KEYWORDS ? g_state.rowCount : PATTERN_KEYWORDS;
    for (int32_t row = 0; row < rows; row++) {
        if (!EqualNoCase(work->token->data, g_keywords[row].name)) continue;
        if (!StrTok_Next(work->token, &tok, ')', 1)) continue;
        StrBuf_RemoveChar(work->token, '"');
        StrBuf_Trim(work->token);
        if (work->token->length == 0) Note(work, PATTERN_NOTE_SETTING, line);
        if (work->token->length > 0) {
            size_t n = static_cast<size_t>(work->token->length);
            if (n > sizeof g_keywords[row].text - 1) n = sizeof g_keywords[row].text - 1;
            memcpy(g_keywords[row].text, work->token->data, n);
            g_keywords[row].text[n] = 0;
        }
        return;
    }
    Note(work, PATTERN_NOTE_SETTING, line);
}

// One item of a number list: a~b, a(k) or a, tried in that order; text after
// the form is ignored. item need not end at its comma: every form stops at
// a comma anyway.
void ListItem(PatternWork* work, const char* item) {
    const char* p = item;
    int32_t a;
    if (!Scan_Int(&p, &a)) return Note(work, PATTERN_NOTE_ITEM, item);
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

inline void SkipBlanks(const char** p) {
    while (Scan_IsBlank(**p))
        ++*p;
}

// Walks the comma-separated items of text (up to its NUL) in place, as the
// tokenizer would split it with empty items skipped; each item is trimmed
// and loses its blanks (1 ~ 5 reads as 1~5) before it is read.
void ListItems(PatternWork* work, const char* text) {
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
            if (g_state.inLoop) {
                AppendBody(work, a, 1, 0);
                continue;
            }
            TakeLone(work, a); // after any numbers waiting in direct
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

void ListLine(PatternWork* work, const char* line) {
    ListItems(work, line);
    EndOfLine(work);
}

// One line without its line break; line[length] is its NUL and writable.
void LineText(PatternWork* work, char* line, int32_t length) {
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
        if (g_state.inLoop && g_state.depth < INT32_MAX) g_state.depth++;
        if (!g_state.inLoop) Note(work, PATTERN_NOTE_OPENBRACE, nullptr);
        break;
    case '}':
        if (g_state.depth > 0)
            g_state.depth--;
        else
            Note(work, PATTERN_NOTE_CLOSEBRACE, nullptr);
        EndOfLine(work);
        break;
    case '$': SettingLine(work, line, length); break;
    default: ListLine(work, line); break;
    }
}

// How a line longer than the hold limit is read on.
enum LongKind : int32_t {
    LONG_NONE = 0, // held whole so far
    LONG_SKIP = 1, // the held part decides the line; the rest is passed over
    LONG_HOLD = 2, // a directive or setting line: its head is held, then its last mark
    LONG_LIST = 3, // a number list: its items are read as they come
};

bool Hold(PatternWork* work, const char* bytes, size_t count) {
    const int32_t before = work->held->length;
    StrBuf_Insert(work->held, -1, bytes, static_cast<uint32_t>(count));
    if (work->held->length == before + static_cast<int32_t>(count)) return true;
    work->noMemory = true;
    return false;
}

void Keep(StrBuf* held, int32_t from, int32_t length) {
    std::memmove(held->data, held->data + from, static_cast<size_t>(length));
    held->length = length;
    held->data[length] = 0;
}

// Shortens an unfinished list item to a text that reads the same however
// it goes on: blanks are removed (as from every item), runs of other white
// space become one, leading zeros of a number one zero, and a number keeps
// eleven significant digits, past which its value is out of range anyway.
// Returns the new length.
int32_t SqueezeItem(char* item, int32_t length) {
    int32_t out = 0, significant = -1; // -1: not in a number
    for (int32_t i = 0; i < length; i++) {
        const char c = item[i];
        if (c == ' ') continue;
        if (c >= '0' && c <= '9') {
            if (significant < 0) {
                item[out++] = c;
                significant = c != '0';
            } else if (significant == 0) {
                if (c != '0') item[out - 1] = c, significant = 1;
            } else if (significant < 11) {
                item[out++] = c;
                significant++;
            }
            continue;
        }
        significant = -1;
        if (Scan_IsBlank(c) && out > 0 && Scan_IsBlank(item[out - 1])) continue;
        item[out++] = c;
    }
    item[out] = 0;
    return out;
}

// Reads the held items of a long number list up to its last comma, and
// shortens an item that is still too long.
void ListOn(PatternWork* work) {
    StrBuf* held = work->held;
    int32_t comma = held->length - 1;
    while (comma >= 0 && held->data[comma] != ',')
        comma--;
    if (comma >= 0) {
        held->data[comma] = 0;
        ListItems(work, held->data);
        Keep(held, comma + 1, held->length - comma - 1);
    }
    // Squeezed, an item is read within its first 30 bytes or so: a blank, a
    // sign, a number, '~' or '(', a blank, a sign, a number, and one more.
    const int32_t itemLimit = work->holdLimit > 64 ? work->holdLimit : 64;
    if (held->length > work->holdLimit) {
        held->length = SqueezeItem(held->data, held->length);
        if (held->length > itemLimit) { // the rest says nothing
            held->data[held->length = itemLimit] = 0;
            work->itemCut = true;
        }
    }
}

// The held part of a line has passed the hold limit: decides how it goes on.
void GoLong(PatternWork* work) {
    StrBuf* held = work->held;
    const char* data = held->data;
    if (data[0] == '#') {
        Keep(held, 0, 1);
        work->longKind = LONG_SKIP;
        return;
    }
    int32_t lead = 0;
    while (lead < held->length && Scan_IsBlank(data[lead]))
        lead++;
    if (lead == held->length) { // blanks only: one of them says as much
        Keep(held, 0, 1);
        return;
    }
    const char c = data[lead];
    if (c == '{' || c == '}') {
        Keep(held, lead, 1);
        work->longKind = LONG_SKIP;
    } else if (c == '/' || c == '$') {
        for (int32_t i = held->length - 1; i >= work->holdLimit && work->lastMark < 0; i--)
            if (!Scan_IsBlank(data[i])) work->lastMark = static_cast<unsigned char>(data[i]);
        Keep(held, 0, work->holdLimit);
        work->longKind = LONG_HOLD;
    } else if (std::memchr(data, 0, static_cast<size_t>(held->length))) {
        ListItems(work, data); // its walk stops at the NUL: the rest says nothing
        Keep(held, 0, 0);
        work->longKind = LONG_SKIP;
    } else {
        work->longKind = LONG_LIST;
        ListOn(work);
    }
}

// Takes the next bytes of the line not yet ended (no LF among them).
void HoldMore(PatternWork* work, const char* bytes, size_t count) {
    switch (work->longKind) {
    case LONG_SKIP: return;
    case LONG_HOLD:
        for (size_t i = count; i-- > 0;)
            if (!Scan_IsBlank(bytes[i])) {
                work->lastMark = static_cast<unsigned char>(bytes[i]);
                break;
            }
        return;
    case LONG_LIST: {
        if (work->itemCut) { // up to the item's end: a comma, or a NUL that ends the walk
            size_t end = 0;
            while (end < count && bytes[end] != ',' && bytes[end] != 0)
                end++;
            if (end == count) return;
            count -= end;
            bytes += end;
            work->itemCut = false;
        }
        // The walk of a list stops at a NUL: the rest of the line says nothing.
        const char* nul = static_cast<const char*>(std::memchr(bytes, 0, count));
        if (!Hold(work, bytes, nul ? static_cast<size_t>(nul - bytes) : count)) return;
        if (nul) {
            ListItems(work, work->held->data);
            Keep(work->held, 0, 0);
            work->longKind = LONG_SKIP;
        } else if (work->held->length > work->holdLimit) {
            ListOn(work);
        }
        return;
    }
    default:
        if (Hold(work, bytes, count) && work->held->length > work->holdLimit) GoLong(work);
    }
}

// The line not yet ended has ended.
void EndHeld(PatternWork* work) {
    StrBuf* held = work->held;
    if (work->longKind == LONG_HOLD && work->lastMark >= 0) {
        const char mark = static_cast<char>(work->lastMark);
        Hold(work, &mark, 1);
    }
    if (work->longKind == LONG_LIST)
        ListLine(work, held->data);
    else
        LineText(work, held->data, held->length);
    Keep(held, 0, 0);
    work->longKind = LONG_NONE;
    work->lastMark = -1;
    work->itemCut = false;
}

inline bool IsLineBlank(char c) { // white space that does not end a line
    return c == ' ' || (c >= '\t' && c <= '\r' && c != '\n');
}

// The common line, bare numbers with commas and white space between them
// outside a loop, read where it stands with each number taken by the map at
// once. The lane starts on a line that begins with a sign or a digit (after
// white space), a number list, and hands any other item, with the rest of
// the line, to the list walker, which reads it the same way; so does a line
// that goes on past end, whose rest is then held. Returns where the next
// line starts, or null when the line is no number list or a loop is open.
char* NumberLane(PatternWork* work, char* p, char* end) {
    const char* q = p;
    while (q < end && IsLineBlank(*q))
        q++;
    if (g_state.inLoop || q >= end || !((*q >= '0' && *q <= '9') || *q == '-' || *q == '+'))
        return nullptr;
    for (;;) {
        while (p < end && *p == ',')
            p++;
        char* item = p;
        while (p < end && IsLineBlank(*p))
            p++;
        const bool negative = p < end && *p == '-';
        if (p < end && (*p == '-' || *p == '+')) p++;
        const char* digits = p;
        int64_t value = 0;
        while (p < end && *p >= '0' && *p <= '9' && p - digits < 10)
            value = value * 10 + (*p++ - '0');
        const bool none = p == digits;
        while (p < end && IsLineBlank(*p))
            p++;
        if (none || p >= end || (*p != ',' && *p != '\n')) {
            // Anything else, from this item on: the walker's.
            char* lf = static_cast<char*>(std::memchr(item, '\n', static_cast<size_t>(end - item)));
            if (!lf) {
                work->longKind = LONG_LIST;
                HoldMore(work, item, static_cast<size_t>(end - item));
                return end;
            }
            *lf = 0;
            ListLine(work, item);
            return lf + 1;
        }
        value = negative ? -value : value;
        if (value > INT32_MAX || value < INT32_MIN) value = value < 0 ? INT32_MIN : INT32_MAX;
        TakeLone(work, static_cast<int32_t>(value));
        if (*p == '\n' || work->full) {
            char* lf = *p == '\n'
                           ? p
                           : static_cast<char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
            if (work->direct.count > 0 || work->full) EndOfLine(work); // else it does nothing
            return lf ? lf + 1 : end;
        }
    }
}

} // namespace

void Pattern_Text(PatternWork* work, char* text, uint32_t length) {
    char* p = text;
    char* const end = text + length;
    while (p < end && !work->full && !work->noMemory) {
        if (work->held->length == 0 && work->longKind == LONG_NONE) {
            char* next = NumberLane(work, p, end);
            if (next) {
                p = next;
                continue;
            }
        }
        // Other lines may do more than make numbers: only while the map is not full.
        Flush(work);
        if (work->full) break;
        char* lf = static_cast<char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
        char* stop = lf ? lf : end;
        if (work->held->length == 0 && work->longKind == LONG_NONE && lf) {
            *lf = 0; // a whole line in the text: read in place
            LineText(work, p, static_cast<int32_t>(lf - p));
        } else {
            HoldMore(work, p, static_cast<size_t>(stop - p));
            if (lf) EndHeld(work);
        }
        p = stop + 1;
    }
    Flush(work);
}

void Pattern_TextEnd(PatternWork* work) {
    if (!work->full && !work->noMemory && (work->held->length > 0 || work->longKind != LONG_NONE))
        EndHeld(work);
}

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
    work->note = PatternNote{nullptr, nullptr};
    work->token = StrBuf_New();
    RunList_Init(&work->direct);
    work->directCount = 0;
    work->room = sink.room(sink.context);
    LoopBody_Init(&work->body);
    work->loneCount = 0;
    work->full = false;
    work->noMemory = false;
    work->held = StrBuf_New();
    work->holdLimit = 65536;
    work->longKind = 0;
    work->lastMark = -1;
    work->itemCut = false;
    return work->token != StrBuf_Null && work->held != StrBuf_Null;
}

void PatternWork_Free(PatternWork* work) {
    StrBuf_Free(work->token);
    work->token = StrBuf_Null;
    StrBuf_Free(work->held);
    work->held = StrBuf_Null;
    RunList_Free(&work->direct);
    LoopBody_Free(&work->body);
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
    LineText(work, line->data, line->length);
    Flush(work);
}
