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
        PatternWork_ListItems(work, held->data);
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
        PatternWork_ListItems(work, data); // its walk stops at the NUL: the rest says nothing
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
            PatternWork_ListItems(work, work->held->data);
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
        PatternWork_ListLine(work, held->data);
    else
        PatternWork_LineText(work, held->data, held->length);
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
char* NumberLane(PatternWork* work, const PatternState* state, char* p, char* end) {
    const char* q = p;
    while (q < end && IsLineBlank(*q))
        q++;
    if (state->inLoop || q >= end || !((*q >= '0' && *q <= '9') || *q == '-' || *q == '+'))
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
            PatternWork_ListLine(work, item);
            return lf + 1;
        }
        value = negative ? -value : value;
        if (value > INT32_MAX || value < INT32_MIN) value = value < 0 ? INT32_MIN : INT32_MAX;
        PatternWork_TakeLone(work, static_cast<int32_t>(value));
        if (*p == '\n' || work->full) {
            char* lf = *p == '\n'
                           ? p
                           : static_cast<char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
            if (work->direct.count > 0 || work->full)
                PatternWork_EndOfLine(work); // else it does nothing
            return lf ? lf + 1 : end;
        }
    }
}

} // namespace

void Pattern_Text(PatternWork* work, char* text, uint32_t length) {
    char* p = text;
    char* const end = text + length;
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
            HoldMore(work, p, static_cast<size_t>(stop - p));
            if (lf) EndHeld(work);
        }
        p = stop + 1;
    }
    PatternWork_Flush(work);
}

void Pattern_TextEnd(PatternWork* work) {
    if (!work->full && !work->noMemory && (work->held->length > 0 || work->longKind != LONG_NONE))
        EndHeld(work);
}
