// The text stream: a file read as UTF-8 lines whatever its encoding (found
// by its byte-order mark), with line breaks folded to LF, and raw byte
// output at the stream's position.
#pragma once
#include <cstdint>
#include "file.h"
#include "strbuf.h"

enum TextEncoding : int32_t {
    TEXTENC_NONE = 0,
    TEXTENC_ANSI = 1,
    TEXTENC_UTF8 = 2,
    TEXTENC_UTF16BE = 3,
    TEXTENC_UTF16LE = 4,
    TEXTENC_UTF32BE = 5,
    TEXTENC_UTF32LE = 6,
};

// The read cache: large enough that reading costs few calls into the system.
constexpr uint32_t TEXTSTREAM_CACHE = 65536;

struct TextStream {
    FileHandle* file;
    uint32_t flags;
    uint64_t position;
    uint64_t size;
    int32_t encoding;
    uint8_t ring[6];
    uint32_t ringRead;
    uint32_t ringWrite;
    uint64_t cacheStart;
    uint32_t cacheCount;
    uint8_t cache[TEXTSTREAM_CACHE];
    uint32_t lineOpen; // the text TextStream_ReadText handed out ends inside a line
    // Line breaks of ANSI text taken as the second byte of a lead byte's
    // pair, so that they end no line: a file line the reader joins to the one
    // before (the pair reads as U+0000). Counted as they are read.
    uint32_t hiddenBreaks;
};

// Opens name (UTF-8) with the flags of the file layer. On success *out owns
// the stream (close with TextStream_Close); on failure it is null and the
// file layer's code is returned.
uint32_t TextStream_Open(const char* name, uint32_t flags, TextStream** out);
// The same on a file already open (a standard stream, say), which the stream
// then owns: it is closed with the stream, or at once when this fails
// (FILE_NOMEM). The size is taken as 0.
uint32_t TextStream_OpenFile(FileHandle* file, uint32_t flags, TextStream** out);
// Closes the file and frees the stream; null is ignored.
void TextStream_Close(TextStream* stream);
// Raw cached read at the position; returns the bytes copied.
uint32_t TextStream_Read(TextStream* stream, void* dest, uint32_t count);
// Raw write at the position; returns the bytes written.
uint32_t TextStream_Write(TextStream* stream, const void* bytes, uint32_t count);
// The next byte of the UTF-8 text as a signed char widened to int, or -1 at
// the end (and for good after a malformed sequence). A value UTF-8 cannot
// carry (a surrogate, or past U+10FFFF) gives -1 too, but reading goes on
// after it: the line readers end a line there, or drop it at a line start.
int TextStream_GetByte(TextStream* stream);
// Reads one line into buf, its break folded to one LF. Returns buf, or null
// at the end of the text (nothing read).
StrBuf* TextStream_ReadLine(StrBuf* buf, TextStream* stream);
// Reads at most size - 1 bytes of one line into buffer, NUL-terminated; the
// rest of a longer line comes with the next call. Null at the end.
char* TextStream_GetLine(char* buffer, int32_t size, TextStream* stream);
// Reads up to room bytes of text into out, line after line, each break
// folded to one LF; a value UTF-8 cannot carry ends a line as an LF would
// (then the line is the one TextStream_ReadLine hands out, less its LF).
// Returns the bytes stored, 0 only at the end of the text. No terminator.
uint32_t TextStream_ReadText(char* out, uint32_t room, TextStream* stream);
// The same text, but each call ends after the first LF: read in turn, the
// calls hand out exactly what TextStream_ReadText does, and what hiddenBreaks
// grows by during a call belongs to the line the call read from.
uint32_t TextStream_ReadTextLine(char* out, uint32_t room, TextStream* stream);
