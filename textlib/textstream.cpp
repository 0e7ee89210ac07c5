// The text stream: encoding detection by byte-order mark, one character at
// a time decoded through a small ring into UTF-8, line reading with line
// breaks folded to LF, and raw output at the stream's position.
//
// TextStream_ReadLine has a fast path for UTF-8, ANSI and UTF-16 text: it
// takes whole characters straight from the read cache when their UTF-8 form
// is known without the ring (ASCII, valid UTF-8 sequences, CP949 pairs, BMP
// units) and leaves everything else (line breaks, malformed or cut
// sequences, surrogates) to TextStream_GetByte. Both hand out the same bytes.
#include "textlib/textstream.h"

#include <cstring>

#include "textlib/conv.h"
#include "textlib/mem.h"
#include "textlib/utf.h"

namespace {

constexpr int END = -1;
constexpr uint32_t RING = 6;

bool RingEmpty(const TextStream* s) {
    return s->ringRead == s->ringWrite;
}

void PutBack(TextStream* s, int c) {
    s->ringRead = (s->ringRead + RING - 1) % RING;
    s->ring[s->ringRead] = static_cast<uint8_t>(c);
}

// Ends the text for good: every later read lies past the end of the file.
void EndForGood(TextStream* s) {
    s->position = (s->size > s->position ? s->size : s->position) + 1;
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

// Decodes the character at the position into the ring. Leaves the ring
// empty at the end of the text.
void DecodeChar(TextStream* s) {
    uint8_t ahead[16];
    uint32_t cp = 0;
    bool have = false;
    switch (s->encoding) {
    case TEXTENC_UTF8: {
        const uint32_t read = TextStream_Read(s, ahead, 6);
        const int used = Utf8_Decode(&cp, ahead, read);
        if (used < 0) return EndForGood(s);
        s->position = s->position + used - read;
        have = used > 0;
        break;
    }
    case TEXTENC_UTF16BE:
    case TEXTENC_UTF16LE: {
        const uint32_t read = TextStream_Read(s, ahead, 4);
        const int used = s->encoding == TEXTENC_UTF16LE ? Utf16_DecodeLE(&cp, ahead, read / 2)
                                                        : Utf16_DecodeBE(&cp, ahead, read / 2);
        if (used < 0) return EndForGood(s);
        if (used == 0 && read > 0) return EndForGood(s); // an odd byte at the end
        s->position = s->position + 2 * used - read;
        have = used > 0;
        break;
    }
    case TEXTENC_UTF32BE:
    case TEXTENC_UTF32LE: {
        const uint32_t read = TextStream_Read(s, ahead, 4);
        if (read > 0 && read < 4) return EndForGood(s);
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
        s->position = s->position + used - read;
        have = true;
        break;
    }
    }
    if (!have) return;
    const int n = Utf8_Encode(s->ring, sizeof s->ring, cp);
    s->ringRead = 0;
    s->ringWrite = n > 0 ? static_cast<uint32_t>(n) : 0;
}

// Makes the cache hold the position; returns the cached bytes from there.
uint32_t CacheAt(TextStream* s, const uint8_t** at) {
    if (s->position < s->cacheStart || s->position >= s->cacheStart + s->cacheCount) {
        s->cacheStart = s->position;
        s->cacheCount = 0;
        uint32_t done = 0;
        if (File_ReadAt(s->file, s->cache, s->position, TEXTSTREAM_CACHE, &done) == FILE_OK)
            s->cacheCount = done;
    }
    const uint64_t offset = s->position - s->cacheStart;
    *at = s->cache + offset;
    return s->cacheCount - static_cast<uint32_t>(offset);
}

// Takes whole characters that need no ring straight from the cache into out
// (at most room bytes), stopping before a line break and before anything the
// slow path must see. Returns the bytes stored.
uint32_t FastTake(TextStream* s, char* out, uint32_t room) {
    uint32_t stored = 0;
    const bool utf8 = s->encoding == TEXTENC_UTF8;
    const bool ansi = s->encoding == TEXTENC_ANSI;
    const bool le = s->encoding == TEXTENC_UTF16LE;
    if (!utf8 && !ansi && !le && s->encoding != TEXTENC_UTF16BE) return 0;
    while (stored + 4 <= room) {
        const uint8_t* p;
        const uint32_t avail = CacheAt(s, &p);
        if (avail == 0) break;
        uint32_t i = 0;
        if (utf8 || ansi) {
            while (i < avail && stored + 4 <= room) {
                const uint8_t b = p[i];
                if (b < 0x80) {
                    if (b == '\r' || b == '\n') break;
                    out[stored++] = static_cast<char>(b);
                    ++i;
                    continue;
                }
                uint32_t cp;
                int used;
                if (utf8) {
                    used = Utf8_Decode(&cp, p + i, avail - i);
                    if (used < 2 || used > 4 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
                        break;
                    std::memcpy(out + stored, p + i, static_cast<size_t>(used));
                    stored += static_cast<uint32_t>(used);
                } else {
                    if (avail - i < 2) break;
                    used = Ansi_DecodeChar(&cp, p + i, avail - i);
                    const int n = Utf8_Encode(reinterpret_cast<uint8_t*>(out) + stored, 4, cp);
                    if (n < 0) break;
                    stored += static_cast<uint32_t>(n);
                }
                i += static_cast<uint32_t>(used);
            }
        } else {
            while (i + 2 <= avail && stored + 4 <= room) {
                const uint32_t unit =
                    le ? (uint32_t(p[i + 1]) << 8 | p[i]) : (uint32_t(p[i]) << 8 | p[i + 1]);
                if (unit == '\r' || unit == '\n' || (unit >= 0xD800 && unit <= 0xDFFF)) break;
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
            s->cacheStart = s->position + copied;
            s->cacheCount = 0;
            uint32_t done = 0;
            if (File_ReadAt(s->file, s->cache, s->cacheStart, TEXTSTREAM_CACHE, &done) == FILE_OK)
                s->cacheCount = done;
            const uint32_t take = rest < s->cacheCount ? rest : s->cacheCount;
            std::memcpy(out + copied, s->cache, take);
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
    if (RingEmpty(s)) {
        if (s->position == 0 && s->encoding == TEXTENC_NONE) DetectEncoding(s);
        DecodeChar(s);
        if (RingEmpty(s)) return END;
    }
    const uint8_t byte = s->ring[s->ringRead];
    s->ringRead = (s->ringRead + 1) % RING;
    return static_cast<int8_t>(byte);
}

StrBuf* TextStream_ReadLine(StrBuf* buf, TextStream* s) {
    StrBuf_AssignStr(buf, "");
    char block[1024];
    uint32_t n = 0;
    bool done = false;
    while (!done) {
        if (n >= 1014) {
            StrBuf_Insert(buf, -1, block, n);
            n = 0;
        }
        if (RingEmpty(s) && s->encoding != TEXTENC_NONE) {
            n += FastTake(s, block + n, 1014 - n);
            if (n >= 1014) continue;
        }
        const int c = TextStream_GetByte(s);
        if (c == '\n') {
            block[n++] = '\n';
            done = true;
        } else if (c == '\r') {
            const int next = TextStream_GetByte(s);
            if (next != '\n') PutBack(s, next);
            block[n++] = '\n';
            done = true;
        } else if (c == END) {
            done = true;
        } else {
            block[n++] = static_cast<char>(c);
        }
    }
    if (n > 0) StrBuf_Insert(buf, -1, block, n);
    return buf->length >= 1 ? buf : nullptr;
}

char* TextStream_GetLine(char* buffer, int32_t size, TextStream* s) {
    if (size < 1) return nullptr;
    int32_t stored = 0;
    while (stored < size - 1) {
        const int c = TextStream_GetByte(s);
        if (c == END) break;
        if (c == '\r') {
            const int next = TextStream_GetByte(s);
            if (next != '\n') PutBack(s, next);
            buffer[stored++] = '\n';
            break;
        }
        buffer[stored++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    if (stored == 0) return nullptr;
    buffer[stored] = 0;
    return buffer;
}
