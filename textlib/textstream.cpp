// The text stream: encoding detection by byte-order mark, one character at
// a time decoded through a small ring into UTF-8, line reading with line
// breaks folded to LF, and raw output at the stream's position.
//
// TextStream_ReadLine has a fast path for UTF-8, ANSI and UTF-16 text: it
// takes whole characters straight from the read cache when their UTF-8 form
// is known without the ring (ASCII, valid UTF-8 sequences, CP949 pairs, BMP
// units) and leaves everything else (line breaks, malformed or cut
// sequences, surrogates) to TextStream_GetByte. Both hand out the same bytes.
//
// A value that UTF-8 cannot carry ends the line it stands in, and is dropped
// where no line has begun (at a line start, or at the start of a piece of
// TextStream_GetLine), so that GetLine's pieces still join to ReadLine's
// lines and every line ends where a piece ends.
//
// A pipe or terminal cannot seek, and the file layer reads it in order only:
// each refill of the cache then keeps the last bytes of the window before
// it, so that a look-ahead that ran past the window can step back into it.
#include "textlib/textstream.h"

#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "textlib/conv.h"
#include "textlib/mem.h"
#include "textlib/utf.h"

namespace {

constexpr int END = -1;
constexpr int BREAK = -2; // a value UTF-8 cannot carry: the end of a line, not of the text
constexpr uint32_t RING = 6;
constexpr uint32_t KEEP = 16; // the longest look-ahead

bool RingEmpty(const TextStream* s) {
    return s->ringRead == s->ringWrite;
}

void PutBack(TextStream* s, int c) {
    s->ringRead = (s->ringRead + RING - 1) % RING;
    s->ring[s->ringRead] = static_cast<uint8_t>(c);
}

// Ends the text for good: every later read lies past the end of the file,
// or for a file read in order, far from where it stands, which it refuses.
// Whether the second byte of a pair, at trail, is a line break of its own:
// an LF, or a CR that no LF follows.
bool HidesBreak(const uint8_t* trail, uint32_t count) {
    return trail[0] == '\n' || (trail[0] == '\r' && count >= 2 && trail[1] != '\n');
}

void EndForGood(TextStream* s) {
    s->position = !File_IsSeekable(s->file) ? UINT64_MAX / 2
                                            : (s->size > s->position ? s->size : s->position) + 1;
    s->ringRead = s->ringWrite = 0;
}

void DetectEncoding(TextStream* s) {
    uint8_t mark[4];
    const uint32_t n = TextStream_Read(s, mark, 4);
    int32_t encoding = TEXTENC_ANSI;
    uint32_t length = 0;
    if (n == 4 && mark[0] == 0 && mark[1] == 0 && mark[2] == 0xFE && mark[3] == 0xFF) {
        encoding = TEXTENC_UTF32BE, length = 4;
    } else if (n == 4 && mark[0] == 0xFF && mark[1] == 0xFE && mark[2] == 0 && mark[3] == 0) {
        encoding = TEXTENC_UTF32LE, length = 4;
    } else if (n >= 2 && mark[0] == 0xFF && mark[1] == 0xFE) {
        encoding = TEXTENC_UTF16LE, length = 2;
    } else if (n >= 3 && mark[0] == 0xEF && mark[1] == 0xBB && mark[2] == 0xBF) {
        encoding = TEXTENC_UTF8, length = 3;
    } else if (n >= 2 && mark[0] == 0xFE && mark[1] == 0xFF) {
        encoding = TEXTENC_UTF16BE, length = 2;
    }
    s->encoding = encoding;
    s->ringRead = s->ringWrite = 0;
    s->position = length;
}

// Fills the cache from the file at offset at.
void Refill(TextStream* s, uint64_t at) {
    uint32_t keep = 0;
    if (!File_IsSeekable(s->file) && at == s->cacheStart + s->cacheCount) {
        keep = s->cacheCount < KEEP ? s->cacheCount : KEEP;
        std::memmove(s->cache, s->cache + s->cacheCount - keep, keep);
    }
    s->cacheStart = at - keep;
    s->cacheCount = keep;
    uint32_t done = 0;
    if (File_ReadAt(s->file, s->cache + keep, at, TEXTSTREAM_CACHE - keep, &done) == FILE_OK)
        s->cacheCount += done;
}

// Decodes the character at the position into the ring. Leaves the ring
// empty at the end of the text, and returns BREAK (else 0) for a value
// UTF-8 cannot carry.
int DecodeChar(TextStream* s) {
    uint8_t ahead[16];
    uint32_t cp = 0;
    bool have = false;
    switch (s->encoding) {
    case TEXTENC_UTF8: {
        const uint32_t read = TextStream_Read(s, ahead, 6);
        const int used = Utf8_Decode(&cp, ahead, read);
        if (used < 0) return EndForGood(s), 0;
        s->position = s->position + used - read;
        have = used > 0;
        break;
    }
    case TEXTENC_UTF16BE:
    case TEXTENC_UTF16LE: {
        const uint32_t read = TextStream_Read(s, ahead, 4);
        const int used = s->encoding == TEXTENC_UTF16LE ? Utf16_DecodeLE(&cp, ahead, read / 2)
                                                        : Utf16_DecodeBE(&cp, ahead, read / 2);
        if (used < 0) return EndForGood(s), 0;
        if (used == 0 && read > 0) return EndForGood(s), 0; // an odd byte at the end
        s->position = s->position + 2 * used - read;
        have = used > 0;
        break;
    }
    case TEXTENC_UTF32BE:
    case TEXTENC_UTF32LE: {
        const uint32_t read = TextStream_Read(s, ahead, 4);
        if (read > 0 && read < 4) return EndForGood(s), 0;
        if (read == 4) {
            cp = s->encoding == TEXTENC_UTF32BE
                     ? uint32_t(ahead[0]) << 24 | uint32_t(ahead[1]) << 16 |
                           uint32_t(ahead[2]) << 8 | ahead[3]
                     : uint32_t(ahead[3]) << 24 | uint32_t(ahead[2]) << 16 |
                           uint32_t(ahead[1]) << 8 | ahead[0];
            have = true;
        }
        break;
    }
    default: { // TEXTENC_ANSI, and TEXTENC_NONE read like it
        const uint32_t read = TextStream_Read(s, ahead, 16);
        if (read == 0) break;
        const int used = Ansi_DecodeChar(&cp, ahead, read);
        if (used == 2 && HidesBreak(ahead + 1, read - 1)) s->hiddenBreaks++;
        s->position = s->position + used - read;
        have = true;
        break;
    }
    }
    if (!have) return 0;
    const int n = Utf8_Encode(s->ring, sizeof s->ring, cp);
    if (n <= 0) return BREAK; // no bytes; reading goes on after it
    s->ringRead = 0;
    s->ringWrite = static_cast<uint32_t>(n);
    return 0;
}

// TextStream_GetByte with BREAK told apart from the end.
int ReadByte(TextStream* s) {
    if (RingEmpty(s)) {
        if (s->position == 0 && s->encoding == TEXTENC_NONE) DetectEncoding(s);
        if (DecodeChar(s) == BREAK) return BREAK;
        if (RingEmpty(s)) return END;
    }
    const uint8_t byte = s->ring[s->ringRead];
    s->ringRead = (s->ringRead + 1) % RING;
    return static_cast<int8_t>(byte);
}

// After a CR: an LF that follows belongs to it; any other byte is put back,
// except a BREAK, which could only be dropped at the start of the next line.
void AfterCr(TextStream* s) {
    const int next = ReadByte(s);
    if (next != '\n' && next != BREAK) PutBack(s, next);
}

// Makes the cache hold the position; returns the cached bytes from there.
uint32_t CacheAt(TextStream* s, const uint8_t** at) {
    if (s->position < s->cacheStart || s->position >= s->cacheStart + s->cacheCount)
        Refill(s, s->position);
    const uint64_t offset = s->position - s->cacheStart;
    *at = s->cache + offset;
    return s->cacheCount - static_cast<uint32_t>(offset);
}

// Copies the run of plain bytes at p to out, at most limit bytes of it:
// bytes 0x20..0x7F, and with text (many lines wanted) any byte below 0x80
// but CR, a CR LF inside the run going out as its LF. *used is how many bytes
// of p it took; returns how many it wrote.
uint32_t PlainCopy(const uint8_t* p, uint32_t avail, char* out, uint32_t limit, bool text,
                   uint32_t* used) {
    constexpr uint64_t ONES = 0x0101010101010101ull;
    constexpr uint64_t HIGH = 0x8080808080808080ull;
    uint32_t i = 0, o = 0;
    for (;;) {
#if defined(__SSE2__)
        const __m128i cr16 = _mm_set1_epi8('\r'), space16 = _mm_set1_epi8(0x20);
        while (i + 16 <= avail && o + 16 <= limit) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + o), v);
            // Bytes past 0x7F are negative as signed bytes, so below 0x20 too.
            const int marks = text ? _mm_movemask_epi8(_mm_or_si128(v, _mm_cmpeq_epi8(v, cr16)))
                                   : _mm_movemask_epi8(_mm_cmplt_epi8(v, space16));
            if (marks) {
                const uint32_t k =
                    static_cast<uint32_t>(__builtin_ctz(static_cast<unsigned>(marks)));
                i += k;
                o += k;
                goto stopped;
            }
            i += 16;
            o += 16;
        }
#endif
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        while (i + 8 <= avail && o + 8 <= limit) {
            uint64_t w;
            std::memcpy(&w, p + i, 8);
            std::memcpy(out + o, &w, 8); // whole, though only the run's bytes count
            // A byte that stops the run sets its high bit here; bytes above the
            // first such byte may be marked falsely (a borrow runs upward), so
            // only the lowest mark (the first byte in memory order) counts.
            const uint64_t cr = w ^ (ONES * '\r');
            const uint64_t marks =
                text ? (w | ((cr - ONES) & ~cr)) & HIGH : ((w - ONES * 0x20) | w) & HIGH;
            if (marks) {
                const uint32_t k = static_cast<uint32_t>(__builtin_ctzll(marks) >> 3);
                i += k;
                o += k;
                break;
            }
            i += 8;
            o += 8;
        }
#endif
        while (i < avail && o < limit && p[i] < 0x80 && (text ? p[i] != '\r' : p[i] >= 0x20))
            out[o++] = static_cast<char>(p[i++]);
#if defined(__SSE2__)
    stopped:
#endif
        if (!text || i + 1 >= avail || o >= limit || p[i] != '\r' || p[i + 1] != '\n') break;
        out[o++] = '\n';
        i += 2;
    }
    *used = i;
    return o;
}

// The length of the well-formed UTF-8 sequence of 2 to 4 bytes at p (one
// that decodes to a scalar value UTF-8 may carry), or 0.
int WellFormedUtf8(const uint8_t* p, uint32_t avail) {
    const uint8_t b = p[0];
    auto cont = [&](uint32_t k) { return k < avail && (p[k] & 0xC0) == 0x80; };
    if (b >= 0xC2 && b <= 0xDF) return cont(1) ? 2 : 0;
    if (b >= 0xE0 && b <= 0xEF) {
        if (!cont(1) || !cont(2)) return 0;
        if (b == 0xE0 && p[1] < 0xA0) return 0;  // overlong
        if (b == 0xED && p[1] >= 0xA0) return 0; // surrogate
        return 3;
    }
    if (b >= 0xF0 && b <= 0xF4) {
        if (!cont(1) || !cont(2) || !cont(3)) return 0;
        if (b == 0xF0 && p[1] < 0x90) return 0;  // overlong
        if (b == 0xF4 && p[1] >= 0x90) return 0; // past U+10FFFF
        return 4;
    }
    return 0;
}

// Takes whole characters that need no ring straight from the cache into out
// (at most room bytes), and line breaks when what follows is plain enough to
// leave in place (the slow path would put it back unchanged). Stops before
// anything else, which the slow path must see, and with oneLine after the
// first line break. Returns the bytes stored; *lineDone is set when oneLine
// and a line break was taken.
uint32_t FastTake(TextStream* s, char* out, uint32_t room, bool oneLine, bool* lineDone) {
    uint32_t stored = 0;
    const int32_t enc = s->encoding;
    const bool bytewise = enc == TEXTENC_UTF8 || enc == TEXTENC_ANSI;
    if (!bytewise && enc != TEXTENC_UTF16LE && enc != TEXTENC_UTF16BE) return 0;
    const bool le = enc == TEXTENC_UTF16LE;
    while (stored + 4 <= room) {
        const uint8_t* p;
        const uint32_t avail = CacheAt(s, &p);
        if (avail == 0) break;
        uint32_t i = 0;
        if (bytewise) {
            while (i < avail && stored + 4 <= room) {
                // Runs of printable ASCII, eight bytes at a time.
                uint32_t taken;
                stored +=
                    PlainCopy(p + i, avail - i, out + stored, room - stored - 3, !oneLine, &taken);
                i += taken;
                if (i >= avail || stored + 4 > room) break;
                const uint8_t b = p[i];
                if (b < 0x80) {
                    if (b == '\n' || b == '\r') {
                        if (b == '\r') {
                            // CR LF, or CR before plain ASCII; else the slow path.
                            if (i + 1 >= avail || p[i + 1] >= 0x80) break;
                            if (p[i + 1] == '\n') ++i;
                        }
                        out[stored++] = '\n';
                        ++i;
                        if (!oneLine) continue;
                        s->position += i;
                        *lineDone = true;
                        return stored;
                    }
                    out[stored++] = static_cast<char>(b);
                    ++i;
                    continue;
                }
                uint32_t cp;
                int used;
                if (enc == TEXTENC_UTF8) {
                    used = WellFormedUtf8(p + i, avail - i);
                    if (used == 0) break;
                    std::memcpy(out + stored, p + i, static_cast<size_t>(used));
                    stored += static_cast<uint32_t>(used);
                } else {
                    if (avail - i < 2 || (p[i + 1] == '\r' && avail - i < 3)) break;
                    used = Ansi_DecodeChar(&cp, p + i, avail - i);
                    if (used == 2 && HidesBreak(p + i + 1, avail - i - 1)) s->hiddenBreaks++;
                    const int n = Utf8_Encode(reinterpret_cast<uint8_t*>(out) + stored, 4, cp);
                    if (n < 0) break;
                    stored += static_cast<uint32_t>(n);
                }
                i += static_cast<uint32_t>(used);
            }
        } else {
            auto unitAt = [&](uint32_t k) {
                return le ? (uint32_t(p[k + 1]) << 8 | p[k]) : (uint32_t(p[k]) << 8 | p[k + 1]);
            };
            while (i + 2 <= avail && stored + 4 <= room) {
#if defined(__SSE2__)
                // Eight ASCII units at a time, none of them CR (nor LF for one line),
                // written as bytes; a unit past ASCII is cut in the write, but it is
                // not counted.
                while (i + 16 <= avail && stored + 8 <= room) {
                    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
                    if (!le) v = _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8));
                    const __m128i zero = _mm_setzero_si128();
                    const __m128i ascii =
                        _mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(-0x80)), zero);
                    const __m128i breaks =
                        _mm_or_si128(_mm_cmpeq_epi16(v, _mm_set1_epi16('\r')),
                                     oneLine ? _mm_cmpeq_epi16(v, _mm_set1_epi16('\n')) : zero);
                    const unsigned special = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(
                        _mm_andnot_si128(ascii, _mm_cmpeq_epi16(zero, zero)), breaks)));
                    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + stored),
                                     _mm_packus_epi16(v, v));
                    if (special) {
                        const uint32_t plain = static_cast<uint32_t>(__builtin_ctz(special)) / 2;
                        stored += plain;
                        i += 2 * plain;
                        goto unit;
                    }
                    stored += 8;
                    i += 16;
                }
#endif
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
                // Four ASCII units at a time, none of them CR (nor LF for one line).
                for (uint64_t w; i + 8 <= avail && stored + 8 <= room;) {
                    constexpr uint64_t LOW = 0x0001000100010001ull;
                    std::memcpy(&w, p + i, 8);
                    if (!le)
                        w = (w & 0x00FF00FF00FF00FFull) << 8 | (w >> 8 & 0x00FF00FF00FF00FFull);
                    const uint64_t cr = w ^ (LOW * '\r'), lf = oneLine ? w ^ (LOW * '\n') : ~0ull;
                    const uint64_t zero16 = 0x8000800080008000ull, high = w & ~(LOW * 0x7F);
                    // The top bit of each unit that is not plain: past ASCII (exact), or
                    // CR or LF (exact for the first such unit, which is all that counts).
                    const uint64_t special =
                        ((((high & ~zero16) + (LOW * 0x7FFF)) | high) & zero16) |
                        ((cr - LOW) & ~cr & zero16) | ((lf - LOW) & ~lf & zero16);
                    if (special != 0) {
                        // The plain units before the first other one, then the unit itself
                        // the slow way.
                        const int plain = __builtin_ctzll(special) >> 4;
                        for (int k = 0; k < plain; k++)
                            out[stored++] = static_cast<char>(w >> (16 * k));
                        i += 2 * static_cast<uint32_t>(plain);
                        break;
                    }
                    const uint32_t packed =
                        static_cast<uint32_t>((w & 0xFF) | (w >> 8 & 0xFF00) |
                                              (w >> 16 & 0xFF0000) | (w >> 24 & 0xFF000000));
                    std::memcpy(out + stored, &packed, 4);
                    stored += 4;
                    i += 8;
                }
#endif
#if defined(__SSE2__)
            unit:
#endif
                if (i + 2 > avail || stored + 4 > room) break;
                const uint32_t unit = unitAt(i);
                if (unit < 0x80 && unit != '\r' && (unit != '\n' || !oneLine)) {
                    out[stored++] = static_cast<char>(unit);
                    i += 2;
                    continue;
                }
                if (unit == '\n' || unit == '\r') {
                    if (unit == '\r') {
                        if (i + 4 > avail) break;
                        const uint32_t next = unitAt(i + 2);
                        if (next >= 0x80) break;
                        if (next == '\n') i += 2;
                    }
                    out[stored++] = '\n';
                    i += 2;
                    if (!oneLine) continue;
                    s->position += i;
                    *lineDone = true;
                    return stored;
                }
                if (unit >= 0xD800 && unit <= 0xDFFF) break;
                stored += static_cast<uint32_t>(
                    Utf8_Encode(reinterpret_cast<uint8_t*>(out) + stored, 4, unit));
                i += 2;
            }
        }
        s->position += i;
        if (i < avail) break; // stopped inside the window: the slow path goes on
    }
    return stored;
}

} // namespace

uint32_t TextStream_Open(const char* name, uint32_t flags, TextStream** out) {
    *out = nullptr;
    TextStream* s = static_cast<TextStream*>(Mem_AllocZero(sizeof(TextStream)));
    if (!s) return FILE_NOMEM;
    const uint32_t result = File_Open(name, flags, &s->file, &s->size);
    if (result != FILE_OK) {
        Mem_Free(s);
        return result;
    }
    s->flags = flags;
    s->encoding = TEXTENC_NONE;
    *out = s;
    return FILE_OK;
}

uint32_t TextStream_OpenFile(FileHandle* file, uint32_t flags, TextStream** out) {
    *out = nullptr;
    TextStream* s = static_cast<TextStream*>(Mem_AllocZero(sizeof(TextStream)));
    if (!s) {
        File_Close(file);
        return FILE_NOMEM;
    }
    s->file = file;
    s->flags = flags;
    s->encoding = TEXTENC_NONE;
    *out = s;
    return FILE_OK;
}

void TextStream_Close(TextStream* stream) {
    if (!stream) return;
    if (stream->file) File_Close(stream->file);
    Mem_Free(stream);
}

uint32_t TextStream_Read(TextStream* s, void* dest, uint32_t count) {
    uint8_t* out = static_cast<uint8_t*>(dest);
    s->ringRead = s->ringWrite = 0;
    uint32_t copied = 0;
    if (s->position >= s->cacheStart && s->position < s->cacheStart + s->cacheCount) {
        const uint64_t left = s->cacheStart + s->cacheCount - s->position;
        copied = static_cast<uint32_t>(left < count ? left : count);
        std::memcpy(out, s->cache + (s->position - s->cacheStart), copied);
    }
    if (copied < count) {
        const uint32_t rest = count - copied;
        if (rest > 255) {
            uint32_t done = 0;
            if (File_ReadAt(s->file, out + copied, s->position + copied, rest, &done) == FILE_OK)
                copied += done;
        } else {
            Refill(s, s->position + copied);
            const uint32_t at = static_cast<uint32_t>(s->position + copied - s->cacheStart);
            const uint32_t left = s->cacheCount - at;
            const uint32_t take = rest < left ? rest : left;
            std::memcpy(out + copied, s->cache + at, take);
            copied += take;
        }
    }
    s->position += copied;
    return copied;
}

uint32_t TextStream_Write(TextStream* s, const void* bytes, uint32_t count) {
    s->ringRead = s->ringWrite = 0;
    s->cacheCount = 0;
    uint32_t done = 0;
    if (count > 0 && File_WriteAt(s->file, bytes, s->position, count, &done) != FILE_OK) done = 0;
    s->position += done;
    if (s->position > s->size) s->size = s->position;
    return done;
}

int TextStream_GetByte(TextStream* s) {
    const int c = ReadByte(s);
    return c == BREAK ? END : c;
}

namespace {

// Gathers text into out, at most room bytes, each line break folded to one
// LF, until the text ends (*ended set) or, with oneLine, a line ends (*ended
// set too). A value UTF-8 cannot carry ends a line that *open says has
// begun (with an LF unless oneLine) and is dropped otherwise. Returns the
// bytes stored; *open tells whether they end inside a line.
uint32_t Gather(TextStream* s, char* out, uint32_t room, bool oneLine, bool* open, bool* ended) {
    uint32_t n = 0;
    while (n < room) {
        if (RingEmpty(s) && s->encoding != TEXTENC_NONE) {
            const uint32_t fast = FastTake(s, out + n, room - n, oneLine, ended);
            if (fast > 0) {
                n += fast;
                *open = out[n - 1] != '\n';
            }
            if (*ended || n >= room) break;
        }
        const int c = ReadByte(s);
        if (c == END) {
            *ended = true;
            break;
        }
        if (c == BREAK) {
            if (!*open) continue;
            *open = false;
            if (oneLine) {
                *ended = true;
                break;
            }
            out[n++] = '\n';
            continue;
        }
        if (c == '\r') AfterCr(s);
        out[n++] = c == '\r' ? '\n' : static_cast<char>(c);
        *open = c != '\r' && c != '\n';
        if (!*open && oneLine) {
            *ended = true;
            break;
        }
    }
    return n;
}

} // namespace

StrBuf* TextStream_ReadLine(StrBuf* buf, TextStream* s) {
    if (buf != StrBuf_Null) { // emptying never needs memory
        buf->length = 0;
        buf->data[0] = 0;
    }
    // The line is gathered in pieces of up to 1014 bytes, straight into the
    // buffer when it has room, else in a local block that is appended.
    constexpr uint32_t PIECE = 1014;
    char block[PIECE + 4];
    bool done = false, open = false;
    while (!done) {
        char* piece = StrBuf_Reserve(buf, PIECE + 4);
        const bool inPlace = piece != nullptr;
        if (!inPlace) piece = block;
        const uint32_t n = Gather(s, piece, PIECE, true, &open, &done);
        if (inPlace)
            StrBuf_Extend(buf, n);
        else if (n > 0)
            StrBuf_Insert(buf, -1, block, n);
    }
    return buf->length >= 1 ? buf : nullptr;
}

char* TextStream_GetLine(char* buffer, int32_t size, TextStream* s) {
    if (size < 1) return nullptr;
    bool done = false, open = false; // a piece begins where no line has begun
    const uint32_t stored = Gather(s, buffer, static_cast<uint32_t>(size - 1), true, &open, &done);
    if (stored == 0) return nullptr;
    buffer[stored] = 0;
    return buffer;
}

uint32_t TextStream_ReadText(char* out, uint32_t room, TextStream* s) {
    bool open = s->lineOpen != 0, ended = false;
    const uint32_t n = Gather(s, out, room, false, &open, &ended);
    s->lineOpen = open;
    return n;
}

uint32_t TextStream_ReadTextLine(char* out, uint32_t room, TextStream* s) {
    const bool wasOpen = s->lineOpen != 0;
    bool open = wasOpen, ended = false;
    uint32_t n = Gather(s, out, room, true, &open, &ended);
    // A value UTF-8 cannot carry ends a begun line here without the LF that
    // TextStream_ReadText gives it.
    if (ended && !open && n < room && (n == 0 ? wasOpen : out[n - 1] != '\n')) out[n++] = '\n';
    s->lineOpen = open;
    return n;
}
