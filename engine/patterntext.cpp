// Pattern text in blocks: splits text into lines for the interpreter
// (engine/pattern.cpp) where it stands, reads the common line of bare numbers
// in a lane of its own, and reads a line longer than the hold limit without
// holding it whole, so that a line of any length runs in bounded memory.
#include "engine/pattern_work.h"
#include "engine/scan.h"
#include <cstring>

namespace {

// How a line longer than the hold limit is read on.
enum LongKind : int32_t {
    LONG_NONE = 0,    // held whole so far
    LONG_SKIP = 1,    // the held part decides the line; the rest is passed over
    LONG_SQUEEZE = 2, // a directive or setting line: read to its end into a short line
    LONG_LIST = 3,    // a number list: its items are read as they come
};

// Adds bytes to the line not yet ended; false, with the job marked short of
// memory, when it cannot grow.
bool AppendToHeld(PatternWork* work, const char* bytes, size_t count) {
    const int32_t before = work->held->length;
    StrBuf_Insert(work->held, -1, bytes, static_cast<uint32_t>(count));
    if (work->held->length == before + static_cast<int32_t>(count)) return true;
    work->noMemory = true;
    return false;
}

// Keeps of held only length bytes from from, moved to its start.
void KeepOnly(StrBuf* held, int32_t from, int32_t length) {
    std::memmove(held->data, held->data + from, static_cast<size_t>(length));
    held->length = length;
    held->data[length] = 0;
}

// Parts of a long directive or setting line, in the order they come.
enum SqueezeStage : int32_t {
    SQ_DIRECTIVE,  // '/', then the '(' the tokenizer skips before the word
    SQ_WORD,       // the directive word, up to '('
    SQ_WORD_OPEN,  // the '(' after the word, more of which the tokenizer skips
    SQ_ARGS,       // the argument text, up to ')'
    SQ_SET,        // the "$SET" word, up to '(' (not trimmed)
    SQ_SET_OPEN,   // the '(' after it, skipped
    SQ_NAME,       // the row name, up to ',' (not trimmed)
    SQ_NAME_COMMA, // the ',' after it, skipped
    SQ_TEXT,       // the new text, up to ')': quotes removed, trimmed
    SQ_REST,       // after the ')' that ends the last token: only the last mark counts
};

// Where the scan of "%d,%d,%d" stands in the arguments.
enum SqueezeScan : int32_t {
    SCAN_BLANKS, // before a number: white space is skipped
    SCAN_SIGN,   // a sign read, a digit must follow
    SCAN_DIGITS, // in a number
    SCAN_COMMA,  // a number read, a ',' must follow
    SCAN_DONE,   // stopped: the rest is read no further
};

// A word keeps this many bytes at most: more than a keyword text holds, and
// more than the 23 bytes a new text is cut to.
constexpr int32_t SQUEEZE_WORD = 64;

inline void Put(LineSqueeze* q, char c) {
    if (q->length < static_cast<int32_t>(sizeof q->out) - 2) q->out[q->length++] = c;
}

void Squeeze_Start(LineSqueeze* q, char first) {
    q->length = 0;
    q->stage = first == '/' ? SQ_DIRECTIVE : SQ_SET;
    q->kept = 0;
    q->scan = SCAN_BLANKS;
    q->numbers = 0;
    q->digits = -1;
    q->commas = 0;
    q->lastMark = -1;
    q->marked = false;
}

// One byte of a word. A word trimmed at its start keeps no leading white
// space; past SQUEEZE_WORD bytes a byte that is not blank leaves one 'x' for
// the rest, which makes the word as long as it is for every comparison.
void SqueezeWord(LineSqueeze* q, char c, bool trimmed) {
    if (trimmed && q->kept == 0 && Scan_IsBlank(c)) return;
    if (q->kept < SQUEEZE_WORD) {
        Put(q, c);
        q->kept++;
    } else if (q->kept == SQUEEZE_WORD && (!trimmed || !Scan_IsBlank(c))) {
        Put(q, 'x');
        q->kept++;
    }
}

// One digit of a number: leading zeros become one, and eleven significant
// digits are past every 32-bit value, which the scan clamps to anyway.
void SqueezeDigit(LineSqueeze* q, char c) {
    if (q->digits < 0) {
        Put(q, c);
        q->digits = c != '0';
    } else if (q->digits == 0) {
        if (c != '0') q->out[q->length - 1] = c, q->digits = 1;
    } else if (q->digits < 11) {
        Put(q, c);
        q->digits++;
    }
}

// One byte of the argument text, as the scan of "%d,%d,%d" takes it (the
// loop's "%d,%d" reads a part of the same). What the scan never reads keeps
// its commas (four are as many as any count of them tells) and one mark
// that it is not blank.
void SqueezeArgument(LineSqueeze* q, char c) {
    const bool digit = c >= '0' && c <= '9';
    switch (q->scan) {
    case SCAN_BLANKS:
        if (Scan_IsBlank(c)) {
            if (q->out[q->length - 1] != ' ') Put(q, ' ');
            return;
        }
        if (c == '-' || c == '+') {
            Put(q, c);
            q->scan = SCAN_SIGN;
            return;
        }
        if (digit) break;
        Put(q, c);
        q->scan = SCAN_DONE;
        return;
    case SCAN_SIGN:
        if (digit) break;
        Put(q, c);
        q->scan = SCAN_DONE;
        return;
    case SCAN_DIGITS:
        if (digit) return SqueezeDigit(q, c);
        q->digits = -1;
        if (++q->numbers == 3) {
            q->scan = SCAN_DONE;
            return SqueezeArgument(q, c);
        }
        q->scan = SCAN_COMMA;
        return SqueezeArgument(q, c);
    case SCAN_COMMA:
        Put(q, c);
        q->scan = c == ',' ? SCAN_BLANKS : SCAN_DONE;
        return;
    default:
        if (c == ',' && q->commas < 4) {
            Put(q, c);
            q->commas++;
        } else if (c != ',' && !Scan_IsBlank(c) && !q->marked) {
            Put(q, 'x');
            q->marked = true;
        }
        return;
    }
    q->scan = SCAN_DIGITS;
    SqueezeDigit(q, c);
}

// The next bytes of a long directive or setting line, which started with
// the first byte given to Squeeze_Start.
void Squeeze_More(LineSqueeze* q, const char* bytes, size_t count) {
    for (size_t i = 0; i < count; i++) {
        const char c = bytes[i];
        if (!Scan_IsBlank(c)) q->lastMark = static_cast<unsigned char>(c);
        if (q->stage == SQ_REST) continue;
        if (c == 0) { // the tokenizer reads no further
            Put(q, c);
            q->stage = SQ_REST;
            continue;
        }
        switch (q->stage) {
        case SQ_DIRECTIVE:
            if (q->length == 0)
                Put(q, c);
            else if (c != '(')
                q->stage = SQ_WORD, SqueezeWord(q, c, true);
            break;
        case SQ_WORD:
            if (c == '(')
                Put(q, c), q->stage = SQ_WORD_OPEN;
            else
                SqueezeWord(q, c, true);
            break;
        case SQ_WORD_OPEN:
            if (c == '(') break;
            q->stage = SQ_ARGS;
            [[fallthrough]];
        case SQ_ARGS:
            if (c == ')')
                Put(q, c), q->stage = SQ_REST;
            else
                SqueezeArgument(q, c);
            break;
        case SQ_SET:
            if (c == '(')
                Put(q, c), q->stage = SQ_SET_OPEN, q->kept = 0;
            else
                SqueezeWord(q, c, false);
            break;
        case SQ_SET_OPEN:
            if (c == '(') break;
            q->stage = SQ_NAME;
            [[fallthrough]];
        case SQ_NAME:
            if (c == ',')
                Put(q, c), q->stage = SQ_NAME_COMMA, q->kept = 0;
            else
                SqueezeWord(q, c, false);
            break;
        case SQ_NAME_COMMA:
            if (c == ',') break;
            q->stage = SQ_TEXT;
            [[fallthrough]];
        default: // SQ_TEXT
            if (c == ')')
                Put(q, c), q->stage = SQ_REST;
            else if (c != '"')
                SqueezeWord(q, c, true);
            break;
        }
    }
}

// The line is over: it ends with its own last mark. Returns the short line.
const char* Squeeze_End(LineSqueeze* q) {
    int32_t end = q->length;
    while (end > 0 && Scan_IsBlank(q->out[end - 1]))
        end--;
    if (q->lastMark >= 0 && (end == 0 || q->out[end - 1] != static_cast<char>(q->lastMark)))
        q->out[q->length++] = static_cast<char>(q->lastMark);
    q->out[q->length] = 0;
    return q->out;
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
void ReadHeldItems(PatternWork* work) {
    StrBuf* held = work->held;
    int32_t comma = held->length - 1;
    while (comma >= 0 && held->data[comma] != ',')
        comma--;
    if (comma >= 0) {
        held->data[comma] = 0;
        PatternWork_ListItems(work, held->data);
        KeepOnly(held, comma + 1, held->length - comma - 1);
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
void StartLongLine(PatternWork* work) {
    StrBuf* held = work->held;
    const char* data = held->data;
    if (data[0] == '#') {
        KeepOnly(held, 0, 1);
        work->longKind = LONG_SKIP;
        return;
    }
    int32_t lead = 0;
    while (lead < held->length && Scan_IsBlank(data[lead]))
        lead++;
    if (lead == held->length) { // blanks only: one of them says as much
        KeepOnly(held, 0, 1);
        return;
    }
    const char c = data[lead];
    if (c == '{' || c == '}') {
        KeepOnly(held, lead, 1);
        work->longKind = LONG_SKIP;
    } else if (c == '/' || c == '$') {
        Squeeze_Start(&work->squeeze, c);
        Squeeze_More(&work->squeeze, data + lead, static_cast<size_t>(held->length - lead));
        KeepOnly(held, 0, 0);
        work->longKind = LONG_SQUEEZE;
    } else if (std::memchr(data, 0, static_cast<size_t>(held->length))) {
        PatternWork_ListItems(work, data); // its walk stops at the NUL: the rest says nothing
        KeepOnly(held, 0, 0);
        work->longKind = LONG_SKIP;
    } else {
        work->longKind = LONG_LIST;
        ReadHeldItems(work);
    }
}

// Takes the next bytes of the line not yet ended (no LF among them).
void ContinueLine(PatternWork* work, const char* bytes, size_t count) {
    switch (work->longKind) {
    case LONG_SKIP: return;
    case LONG_SQUEEZE: return Squeeze_More(&work->squeeze, bytes, count);
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
        if (!AppendToHeld(work, bytes, nul ? static_cast<size_t>(nul - bytes) : count)) return;
        if (nul) {
            PatternWork_ListItems(work, work->held->data);
            KeepOnly(work->held, 0, 0);
            work->longKind = LONG_SKIP;
        } else if (work->held->length > work->holdLimit) {
            ReadHeldItems(work);
        }
        return;
    }
    default:
        if (AppendToHeld(work, bytes, count) && work->held->length > work->holdLimit)
            StartLongLine(work);
    }
}

// The line not yet ended has ended.
void FinishHeldLine(PatternWork* work) {
    StrBuf* held = work->held;
    if (work->longKind == LONG_SQUEEZE) {
        const char* line = Squeeze_End(&work->squeeze);
        AppendToHeld(work, line, static_cast<size_t>(work->squeeze.length));
    }
    if (work->longKind == LONG_LIST)
        PatternWork_ListLine(work, held->data);
    else
        PatternWork_LineText(work, held->data, held->length);
    KeepOnly(held, 0, 0);
    work->longKind = LONG_NONE;
    work->itemCut = false;
}

inline bool IsLineBlank(char c) { // white space that does not end a line
    return c == ' ' || (c >= '\t' && c <= '\r' && c != '\n');
}

// A number of the lane where it stands: an optional sign and one to ten
// digits, clamped to 32 bits as the scan clamps it. Longer digit runs are
// the list walker's.
inline bool LaneNumber(char** cursor, int32_t* out) {
    char* p = *cursor;
    const bool negative = *p == '-';
    p += *p == '-' || *p == '+';
    const char* digits = p;
    uint64_t value = 0;
    for (unsigned d; (d = static_cast<unsigned char>(*p) - unsigned{'0'}) <= 9; p++)
        value = value * 10 + d;
    if (p == digits || p - digits > 10) return false;
    const int64_t v = negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value);
    *out = static_cast<int32_t>(v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : v);
    *cursor = p;
    return true;
}

// Ranges and repeats this short are taken number by number in the lane.
constexpr int64_t LANE_RUN = 64;

// Hands the rest of the line from item on to the list walker, which reads
// it the same way; a line that goes on past end is held. Returns where the
// next line starts.
char* ToWalker(PatternWork* work, char* item, char* end) {
    char* lf = static_cast<char*>(std::memchr(item, '\n', static_cast<size_t>(end - item)));
    if (!lf) {
        work->longKind = LONG_LIST;
        ContinueLine(work, item, static_cast<size_t>(end - item));
        return end;
    }
    *lf = 0;
    PatternWork_ListLine(work, item);
    return lf + 1;
}

// The common lines, number lists outside a loop, read where they stand with
// each number taken by the map at once, line after line. A line enters the
// lane when it begins with a sign or a digit (after white space). Its items
// are bare numbers and, in a job (no listener), short ranges a~b and
// repeats a(k) written without blanks inside; any other item hands the rest
// of its line to the list walker, which reads it the same way. *end is a
// NUL. Returns where the first line not read starts, or null when the first
// line is no number list or a loop is open.
char* NumberLane(PatternWork* work, const PatternState* state, char* p, char* end) {
    if (state->inLoop) return nullptr;
    const bool job = !work->note.hear;
    for (char* const first = p;;) {
        if (static_cast<unsigned char>(*p) - unsigned{'0'} > 9) {
            const char* q = p;
            while (IsLineBlank(*q))
                q++;
            if (q >= end || !((*q >= '0' && *q <= '9') || *q == '-' || *q == '+'))
                return p == first ? nullptr : p;
        }
        for (;;) { // the items of the line
            while (*p == ',')
                p++;
            char* item = p;
            // The commonest item: up to nine digits with white space around
            // them, then a comma or the line's end (*end is a NUL, neither).
            while (IsLineBlank(*p))
                p++;
            unsigned d = static_cast<unsigned char>(*p) - unsigned{'0'};
            if (d <= 9) {
                int32_t v = static_cast<int32_t>(d);
                for (int n = 1;
                     n < 9 && (d = static_cast<unsigned char>(*++p) - unsigned{'0'}) <= 9; n++)
                    v = v * 10 + static_cast<int32_t>(d);
                if (d <= 9) p++;
                while (IsLineBlank(*p))
                    p++;
                if (*p == ',' || *p == '\n') {
                    PatternWork_TakeLone(work, v);
                    if (*p == ',' && !work->full) continue;
                    goto line_end;
                }
                p = item;
            }
            {
                while (IsLineBlank(*p))
                    p++;
                int32_t a, b = 0;
                if (!LaneNumber(&p, &a)) {
                    p = ToWalker(work, item, end);
                    break;
                }
                int64_t count = 1, step = 0;
                if (job && (*p == '~' || *p == '(')) {
                    const char form = *p++;
                    if (!LaneNumber(&p, &b) || (form == '(' && *p++ != ')')) {
                        p = ToWalker(work, item, end);
                        break;
                    }
                    step = form == '(' ? 0 : a < b ? 1 : -1;
                    count = form == '(' ? b : a < b ? int64_t{b} - a + 1 : int64_t{a} - b + 1;
                }
                while (IsLineBlank(*p))
                    p++;
                if (p >= end || (*p != ',' && *p != '\n') || count > LANE_RUN) {
                    p = ToWalker(work, item, end);
                    break;
                }
                if (count == 1)
                    PatternWork_TakeLone(work, a);
                else if (count > 1) // a repeat may ask for none
                    PatternWork_TakeSpan(work, a, static_cast<int32_t>(step),
                                         static_cast<int32_t>(count));
                if (*p == ',' && !work->full) continue;
            }
        line_end:
            char* lf = *p == '\n'
                           ? p
                           : static_cast<char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
            if (work->direct.count > 0 || work->full)
                PatternWork_EndOfLine(work); // else it does nothing
            p = lf ? lf + 1 : end;
            break;
        }
        if (p >= end || work->full || work->noMemory || work->longKind != LONG_NONE) return p;
    }
}

} // namespace

void Pattern_Text(PatternWork* work, char* text, uint32_t length) {
    char* p = text;
    char* const end = text + length;
    *end = 0; // the lane's scans stop there
    const PatternState* state = Pattern_State();
    while (p < end && !work->full && !work->noMemory) {
        if (work->held->length == 0 && work->longKind == LONG_NONE) {
            char* next = NumberLane(work, state, p, end);
            if (next) {
                p = next;
                continue;
            }
        }
        // Other lines may do more than make numbers: only while the map is not full.
        PatternWork_Flush(work);
        if (work->full) break;
        char* lf = static_cast<char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
        char* stop = lf ? lf : end;
        if (work->held->length == 0 && work->longKind == LONG_NONE && lf) {
            *lf = 0; // a whole line in the text: read in place
            PatternWork_LineText(work, p, static_cast<int32_t>(lf - p));
        } else {
            ContinueLine(work, p, static_cast<size_t>(stop - p));
            if (lf) FinishHeldLine(work);
        }
        p = stop + 1;
    }
    PatternWork_Flush(work);
}

void Pattern_TextEnd(PatternWork* work) {
    if (!work->full && !work->noMemory && (work->held->length > 0 || work->longKind != LONG_NONE))
        FinishHeldLine(work);
}
