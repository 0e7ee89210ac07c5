// The growable NUL-terminated byte string with inline storage for short
// texts, and the tokenizer that copies one token at a time into it.
#pragma once
#include <cstdint>

constexpr int32_t STRBUF_INLINE = 244;

struct StrBuf {
    char* data;       // the text, always NUL-terminated
    int32_t capacity; // bytes at data, terminator included
    int32_t length;   // bytes before the terminator
    char inlineData[STRBUF_INLINE];
};

// The shared empty buffer that StrBuf_New hands out when memory runs out.
// Every modifying operation leaves it unchanged and returns it.
extern StrBuf* const StrBuf_Null;

// Returns a new empty buffer, owned by the caller (free with StrBuf_Free),
// or StrBuf_Null when memory runs out.
StrBuf* StrBuf_New();
void StrBuf_Free(StrBuf* buf);
// The text; valid until the next operation that changes the buffer.
inline const char* StrBuf_Data(const StrBuf* buf) {
    return buf->data;
}
inline int32_t StrBuf_Length(const StrBuf* buf) {
    return buf->length;
}

// Each returns buf. When memory runs out (or the text would pass the signed
// 32-bit limit) the buffer stays unchanged.
// A position below 0 or past the end appends.
StrBuf* StrBuf_Insert(StrBuf* buf, int32_t pos, const void* bytes, uint32_t count);
StrBuf* StrBuf_InsertStr(StrBuf* buf, int32_t pos, const char* text);
StrBuf* StrBuf_AssignStr(StrBuf* buf, const char* text);
// Makes room for extra bytes after the text and returns where they go, or
// null when memory runs out (or for StrBuf_Null); StrBuf_Extend then takes
// count of them (count <= extra) into the text. For readers that fill the
// buffer in place.
char* StrBuf_Reserve(StrBuf* buf, uint32_t extra);
void StrBuf_Extend(StrBuf* buf, uint32_t count);
// Removes every byte equal to ch (an ASCII code).
StrBuf* StrBuf_RemoveChar(StrBuf* buf, int ch);
// Removes ASCII white space at both ends; bytes 0x80..0xFF are never blank.
StrBuf* StrBuf_Trim(StrBuf* buf);

// A cursor over a caller-owned text, which must stay alive and unchanged
// while the tokenizer is in use.
struct StrTok {
    const char* start;
    const char* cursor;
    int32_t count;
};

void StrTok_Start(StrTok* tok, const char* text);
// Copies the next token (up to sep or the end) into out. Returns 1 when a
// token was taken, 0 when none is left. When out cannot take the token it
// keeps its old contents, but the tokenizer still advances and returns 1.
int StrTok_Next(StrBuf* out, StrTok* tok, int sep, uint8_t skipEmpty);
