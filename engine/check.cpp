// The pattern check. The pattern's text comes through the job's own text
// reader and is handed to the job's fill one line at a time, so the line
// that the interpreter is reading is known whenever its listener hears
// something. The summary comes from the forward map of the same pattern.
#include "engine/check.h"
#include "engine/pattern.h"
#include "engine/trace.h"
#include "textlib/mem.h"
#include "textlib/textstream.h"
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

constexpr uint32_t BLOCK = 65536;

struct Listener;
void Add(Listener* l, int32_t line, int32_t kind, const char* text, int64_t value, int64_t extra,
         bool always = false);

struct Feed {
    TextStream* stream; // null: the text comes back from the spool
    char* buffer;
    uint32_t at, end;
    int32_t line; // of the file: a line break hidden in a lead byte's pair counts too
    bool lineEnded;
    // The text of a stream that cannot be read twice, kept for the second
    // reading (or null), its length so far or where it is read back.
    FileHandle* spool;
    uint64_t spooled;
    uint32_t spoolCode; // the first failure to keep or read back the text
    // Who hears of NUL bytes and hidden line breaks while the job reads (or
    // null), and whether the text is read a line at a time, which numbers
    // the file's lines.
    Listener* listener;
    bool byLine;
    int32_t hidden;  // line breaks hidden in the line being read
    int32_t nulLine; // -line once the line's first byte is known, line once a NUL was heard in it
    char first;      // the first byte of the line being read
};

// A feed from the start of a stream (or of the spool, stream null).
Feed NewFeed(TextStream* stream, char* buffer, FileHandle* spool, uint32_t spoolCode,
             Listener* listener) {
    return Feed{stream, buffer, 0, 0, 1, false, spool, 0, spoolCode, listener, listener != nullptr,
                0,      0,      0};
}

// The encoding that text read without a byte-order mark looks like, from
// where its zero bytes stand, or null.
const char* Unmarked(const char* t, uint32_t n) {
    if (n >= 4 && t[0] && !t[1] && !t[2] && !t[3]) return "UTF-32LE";
    if (n >= 4 && !t[0] && !t[1] && !t[2] && t[3]) return "UTF-32BE";
    if (n >= 2 && t[0] && !t[1]) return "UTF-16LE";
    if (n >= 2 && !t[0] && t[1]) return "UTF-16BE";
    return nullptr;
}

// The next block of text: from the stream (kept in the spool, if any), or
// read back from the spool. The job's own reading takes one line at a time,
// so that the line breaks hidden in it are known.
uint32_t Refill(Feed* f) {
    uint32_t n = 0, done = 0;
    if (!f->stream) {
        f->spoolCode = File_ReadAt(f->spool, f->buffer, f->spooled, BLOCK, &n);
    } else {
        const uint32_t hidden = f->stream->hiddenBreaks;
        const bool start = f->spooled == 0 && f->stream->encoding == TEXTENC_NONE;
        n = f->byLine ? TextStream_ReadTextLine(f->buffer, BLOCK, f->stream)
                      : TextStream_ReadText(f->buffer, BLOCK, f->stream);
        f->hidden += static_cast<int32_t>(f->stream->hiddenBreaks - hidden);
        const char* unmarked = Unmarked(f->buffer, n);
        if (start && f->listener && f->stream->encoding == TEXTENC_ANSI && unmarked)
            Add(f->listener, 1, CHECK_NOBOM, unmarked, 0, 0, true);
        if (n > 0 && f->spool && f->spoolCode == FILE_OK) {
            f->spoolCode = File_WriteAt(f->spool, f->buffer, f->spooled, n, &done);
            if (f->spoolCode == FILE_OK && done < n) f->spoolCode = FILE_ERROR; // the disk is full
        }
    }
    f->spooled += n;
    return f->spoolCode == FILE_OK ? n : 0;
}

// The line being read has ended: the next line is the file's line after
// the last break it hid.
void NextLine(Feed* f) {
    for (int32_t i = 0; i < f->hidden && f->listener; i++)
        Add(f->listener, f->line + i, CHECK_LEADBREAK, nullptr, 0, 0);
    f->line += 1 + f->hidden;
    f->hidden = 0;
    f->lineEnded = false;
}

// Hands out the text up to the end of the current line at most.
uint32_t FeedLine(char* out, uint32_t room, void* context) {
    Feed* f = static_cast<Feed*>(context);
    if (f->lineEnded) NextLine(f);
    if (f->at == f->end) {
        f->at = 0;
        f->end = Refill(f);
        if (f->end == 0) return 0;
    }
    const char* lf = static_cast<const char*>(memchr(f->buffer + f->at, '\n', f->end - f->at));
    uint32_t n = lf ? static_cast<uint32_t>(lf - (f->buffer + f->at)) + 1 : f->end - f->at;
    if (n > room) n = room;
    memcpy(out, f->buffer + f->at, n);
    f->at += n;
    // The job reads a line no further than a NUL, a comment not at all.
    if (f->nulLine != f->line && f->listener) {
        if (f->nulLine != -f->line) f->first = out[0], f->nulLine = -f->line;
        if (f->first != '#' && memchr(out, 0, n)) {
            f->nulLine = f->line;
            Add(f->listener, f->line, CHECK_NUL, nullptr, 0, 0);
        }
    }
    f->lineEnded = out[n - 1] == '\n';
    return n;
}

struct Listener {
    CheckResult* result;
    Feed* feed;
    const TileMapJob* job;
    MapTrace* trace; // or null
    int32_t loopLine;
    bool noMemory;
};

// Keeps a diagnostic; past the listed limit only counts it, unless it is
// one of the file's end (always), which come last and say the most. A kind
// given negated keeps its text up to a comma (a list item's).
void Add(Listener* l, int32_t line, int32_t kind, const char* text, int64_t value, int64_t extra,
         bool always) {
    CheckResult* r = l->result;
    if (r->count >= CHECK_LISTED && !always) {
        r->more++;
        return;
    }
    if (!Mem_Grow(&r->list, &r->capacity, r->count, int64_t{r->count} + 1, 16, INT32_MAX)) {
        l->noMemory = true;
        return;
    }
    CheckDiagnostic* d = &r->list[r->count++];
    d->line = line;
    d->kind = kind < 0 ? -kind : kind;
    d->value = value;
    d->extra = extra;
    size_t n = 0;
    // A list item ends at its comma.
    while (text && text[n] && n < sizeof d->text - 1 && !(kind == CHECK_ITEM && text[n] == ',') &&
           !(kind == -CHECK_REST && text[n] == ','))
        n++;
    if (n) memcpy(d->text, text, n);
    d->text[n] = 0;
}

// The smallest and largest numbers a run makes, on every pass of an open loop.
void Numbers(Listener* l, int64_t start, int64_t count, int64_t step) {
    const PatternState* s = Pattern_State();
    if (start == 0 && step == 0) return; // empty slots, on purpose
    int64_t lo = start, hi = start + (count - 1) * step;
    if (lo > hi) std::swap(lo, hi);
    if (s->inLoop) {
        if (s->count <= 0) return; // the loop makes no pass
        const int64_t shift = (s->count - 1) * static_cast<int64_t>(s->step);
        if (shift < 0) lo += shift;
        if (shift > 0) hi += shift;
    }
    const int32_t line = l->feed->line;
    if (lo < 0 || hi > l->job->inputCount) {
        Add(l, line, CHECK_RANGE, nullptr, lo, hi);
    } else if (hi > 255 && l->job->method == EFFECT_MAP_IMPORT) {
        Add(l, line, CHECK_BYTE, nullptr, lo > 256 ? lo : 256, hi);
    }
}

void Hear(void* context, int32_t kind, const char* text, int64_t a, int64_t b, int64_t c) {
    Listener* l = static_cast<Listener*>(context);
    const int32_t line = l->feed->line;
    switch (kind) {
    case PATTERN_NOTE_RUN:
        if (l->trace) MapTrace_Made(l->trace, b, Pattern_State()->inLoop != 0);
        return Numbers(l, a, b, c);
    case PATTERN_NOTE_LOOP:
        l->loopLine = line;
        if (l->trace) l->trace->loopLine = line;
        if (a <= 0) {
            char count[24];
            snprintf(count, sizeof count, "%lld", static_cast<long long>(a));
            Add(l, line, CHECK_LOOPZERO, count, a, a);
        }
        return;
    case PATTERN_NOTE_REST: return Add(l, line, CHECK_REST, text, 0, 0);
    case PATTERN_NOTE_CUT: return Add(l, line, CHECK_CUT, text, 0, 0);
    case PATTERN_NOTE_ITEMREST: return Add(l, line, -CHECK_REST, text, 0, 0); // up to its comma
    case PATTERN_NOTE_ITEM: return Add(l, line, CHECK_ITEM, text, 0, 0);
    case PATTERN_NOTE_NOPAREN: return Add(l, line, CHECK_NOPAREN, text, 0, 0);
    case PATTERN_NOTE_WORD: return Add(l, line, CHECK_WORD, text, 0, 0);
    case PATTERN_NOTE_ARGS: return Add(l, line, CHECK_ARGS, text, 0, 0);
    case PATTERN_NOTE_SETTING: return Add(l, line, CHECK_SETTING, text, 0, 0);
    case PATTERN_NOTE_OPENBRACE: return Add(l, line, CHECK_OPENBRACE, nullptr, 0, 0);
    case PATTERN_NOTE_CLOSEBRACE: return Add(l, line, CHECK_CLOSEBRACE, nullptr, 0, 0);
    default: return;
    }
}

// After a full map: the first line still to come that says anything, and
// how many such lines there are.
void Unreached(Listener* l) {
    Feed* f = l->feed;
    f->listener = nullptr; // nothing more is read: only lines are counted
    char piece[BLOCK + 1];
    bool lineStart = true, counted = false;
    int32_t first = 0, lines = 0;
    while (!f->lineEnded) // the rest of the line where the map filled
        if (FeedLine(piece, BLOCK, f) == 0) return;
    for (uint32_t n; (n = FeedLine(piece, BLOCK, f)) > 0;) {
        if (lineStart) counted = piece[0] == '#';
        for (uint32_t i = 0; i < n && !counted; i++)
            if (piece[i] != '\n' && piece[i] != ' ' && piece[i] != '\t' && piece[i] != '\r') {
                counted = true;
                lines++;
                if (!first) first = f->line;
            }
        lineStart = f->lineEnded;
    }
    if (first) Add(l, first, CHECK_UNREACHED, nullptr, lines, 0, true);
}

void Summarise(const uint8_t* map, const TileMapJob* job, CheckSummary* s) {
    s->unused = s->repeated = 0;
    int32_t uses[256] = {};
    for (int32_t i = 0; i < job->outputCount; i++)
        uses[map[i]]++;
    s->empty = uses[0];
    s->filled = job->outputCount - uses[0];
    const int32_t tiles = job->inputCount < 255 ? job->inputCount : 255;
    for (int32_t t = 1; t <= tiles; t++) {
        s->unused += uses[t] == 0;
        s->repeated += uses[t] > 1;
    }
    if (job->inputCount > 255) s->unused += job->inputCount - 255; // no byte names them
}

} // namespace

namespace {

// Checks the pattern text of stream; patternName (or null) opens it again
// for the summary in the undo method, else the text is spooled for it.
int32_t Run(TextStream* stream, const char* patternName, const TileMapJob* job, CheckResult* result,
            MapTrace* trace) {
    PatternKeyword words[PATTERN_KEYWORDS];
    memcpy(words, Pattern_Keywords(), sizeof words);
    FileHandle* spool = nullptr;
    if (!patternName && job->method != EFFECT_MAP_IMPORT &&
        (result->fileCode = File_OpenScratch(&spool)) != FILE_OK) {
        result->failure = TILEMAP_FAIL_TEMP;
        return -1;
    }
    Listener l = {result, nullptr, job, trace, 0, false};
    Feed feed = NewFeed(stream, static_cast<char*>(Mem_Alloc(BLOCK)), spool, FILE_OK, &l);
    l.feed = &feed;
    if (trace) trace->line = &feed.line;
    const int32_t length = TileMap_MapLength(job);
    result->map = static_cast<uint8_t*>(Mem_AllocZero(static_cast<size_t>(length)));
    uint8_t* forward = static_cast<uint8_t*>(Mem_AllocZero(static_cast<size_t>(job->outputCount)));
    if (feed.buffer && result->map && forward) {
        result->taken = TileMap_FillTextNoted(job, FeedLine, &feed, 0, result->map,
                                              &result->failure, PatternNote{&l, Hear}, trace);
        const int32_t filled = result->failure == TILEMAP_OK ? result->taken : 0;
        if (filled == job->outputCount) {
            Unreached(&l);
        } else {
            if (feed.listener) NextLine(&feed); // the breaks hidden in the last line
            if (Pattern_State()->inLoop) Add(&l, l.loopLine, CHECK_OPENLOOP, nullptr, 0, 0, true);
        }
        if (result->failure == TILEMAP_FAIL_EMPTY) Add(&l, 1, CHECK_EMPTY, nullptr, 0, 0, true);
        // The summary from the forward map of the same pattern, read again
        // with the directive words it started with.
        PatternKeyword after[PATTERN_KEYWORDS];
        memcpy(after, Pattern_Keywords(), sizeof after);
        memcpy(Pattern_Keywords(), words, sizeof words);
        TileMapJob plain = *job;
        plain.method = EFFECT_MAP_IMPORT;
        TileMapFailure failure;
        TextStream* again = nullptr;
        if (job->method == EFFECT_MAP_IMPORT) {
            memcpy(forward, result->map, static_cast<size_t>(length));
        } else if (spool ||
                   TextStream_Open(patternName, FILE_READ | FILE_NODEVICE, &again) == FILE_OK) {
            Feed second = NewFeed(again, feed.buffer, spool, feed.spoolCode, nullptr);
            TileMap_FillText(&plain, FeedLine, &second, 0, forward, &failure);
            if (second.spoolCode != FILE_OK) feed.spoolCode = second.spoolCode;
        }
        TextStream_Close(again);
        memcpy(Pattern_Keywords(), after, sizeof after);
        Summarise(forward, job, &result->summary);
    } else {
        result->failure = TILEMAP_FAIL_NOMEM;
    }
    if (l.noMemory) result->failure = TILEMAP_FAIL_NOMEM;
    if (feed.spoolCode != FILE_OK && result->failure != TILEMAP_FAIL_NOMEM) {
        result->failure = TILEMAP_FAIL_TEMP;
        result->fileCode = feed.spoolCode;
    }
    File_Close(spool);
    Mem_Free(feed.buffer);
    Mem_Free(forward);
    const bool failed =
        result->failure == TILEMAP_FAIL_NOMEM || result->failure == TILEMAP_FAIL_TEMP;
    return failed ? -1 : result->count + result->more;
}

} // namespace

int32_t Check_Run(const char* patternName, const TileMapJob* job, CheckResult* result,
                  MapTrace* trace) {
    memset(result, 0, sizeof *result);
    TextStream* stream = nullptr;
    result->fileCode = TextStream_Open(patternName, FILE_READ | FILE_NODEVICE, &stream);
    if (result->fileCode != FILE_OK) {
        result->failure = TILEMAP_FAIL_PATTERN;
        return -1;
    }
    const int32_t found = Run(stream, patternName, job, result, trace);
    TextStream_Close(stream);
    return found;
}

int32_t Check_RunStream(TextStream* pattern, const TileMapJob* job, CheckResult* result,
                        MapTrace* trace) {
    memset(result, 0, sizeof *result);
    return Run(pattern, nullptr, job, result, trace);
}

void Check_Free(CheckResult* result) {
    Mem_Free(result->list);
    Mem_Free(result->map);
    result->list = nullptr;
    result->map = nullptr;
    result->count = result->capacity = 0;
}
