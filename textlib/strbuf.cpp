// The growable string buffer and the tokenizer.
#include "textlib/strbuf.h"

#include <cstring>

#include "textlib/mem.h"

namespace {

StrBuf nullBuf = {nullBuf.inlineData, 1, 0, {}};

bool IsAsciiSpace(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Makes room for n bytes of text plus the terminator. False when memory runs
// out or n cannot be held in the signed 32-bit length; the buffer is then
// unchanged. A block the text moved out of is handed back in *old, for the
// caller to free once it has copied what it needed (the source of an insert
// may lie in the buffer itself).
bool Grow(StrBuf* buf, int64_t n, char** old) {
    *old = nullptr;
    if (n >= INT32_MAX - 4) return false;
    if (buf->capacity >= n + 1) return true;
    int64_t cap = n <= 1048576 ? (2 * n + 3) & ~int64_t(3) : (n + 1048579) & ~int64_t(3);
    if (cap > INT32_MAX) cap = INT32_MAX & ~int32_t(3);
    if (cap < n + 1) return false;
    char* block = static_cast<char*>(Mem_Alloc(static_cast<size_t>(cap)));
    if (!block) return false;
    std::memcpy(block, buf->data, static_cast<size_t>(buf->length) + 1);
    if (buf->data != buf->inlineData) *old = buf->data;
    buf->data = block;
    buf->capacity = static_cast<int32_t>(cap);
    return true;
}

// Replaces the text with count bytes; the buffer is unchanged on failure.
void Assign(StrBuf* buf, const char* bytes, int64_t count) {
    char* old;
    if (buf == StrBuf_Null || !Grow(buf, count, &old)) return;
    std::memmove(buf->data, bytes, static_cast<size_t>(count));
    buf->data[count] = 0;
    buf->length = static_cast<int32_t>(count);
    if (old) Mem_Free(old);
}

} // namespace

StrBuf* const StrBuf_Null = &nullBuf;

StrBuf* StrBuf_New() {
    StrBuf* buf = static_cast<StrBuf*>(Mem_AllocZero(sizeof(StrBuf)));
    if (!buf) return StrBuf_Null;
    buf->data = buf->inlineData;
    buf->capacity = STRBUF_INLINE;
    buf->length = 0;
    return buf;
}

void StrBuf_Free(StrBuf* buf) {
    if (!buf || buf == StrBuf_Null) return;
    if (buf->data != buf->inlineData) Mem_Free(buf->data);
    Mem_Free(buf);
}

StrBuf* StrBuf_Insert(StrBuf* buf, int32_t pos, const void* bytes, uint32_t count) {
    if (buf == StrBuf_Null || count == 0) return buf;
    int64_t length = buf->length;
    char* old;
    if (!Grow(buf, length + count, &old)) return buf;
    if (pos < 0 || pos > length) pos = static_cast<int32_t>(length);
    // Copy the run out first when it lies inside the text that moves.
    const char* src = static_cast<const char*>(bytes);
    const char* text = old ? old : buf->data;
    char* held = nullptr;
    if (!old && src >= text && src < text + length + 1) {
        held = static_cast<char*>(Mem_Alloc(count));
        if (!held) return buf;
        std::memcpy(held, src, count);
        src = held;
    }
    char* at = buf->data + pos;
    std::memmove(at + count, at, static_cast<size_t>(length - pos));
    std::memcpy(at, src, count);
    buf->length = static_cast<int32_t>(length + count);
    buf->data[buf->length] = 0;
    if (held) Mem_Free(held);
    if (old) Mem_Free(old);
    return buf;
}

StrBuf* StrBuf_InsertStr(StrBuf* buf, int32_t pos, const char* text) {
    size_t n = std::strlen(text);
    if (n > UINT32_MAX) return buf;
    return StrBuf_Insert(buf, pos, text, static_cast<uint32_t>(n));
}

StrBuf* StrBuf_AssignStr(StrBuf* buf, const char* text) {
    Assign(buf, text, static_cast<int64_t>(std::strlen(text)));
    return buf;
}

char* StrBuf_Reserve(StrBuf* buf, uint32_t extra) {
    char* old;
    if (buf == StrBuf_Null || !Grow(buf, int64_t(buf->length) + extra, &old)) return nullptr;
    if (old) Mem_Free(old);
    return buf->data + buf->length;
}

void StrBuf_Extend(StrBuf* buf, uint32_t count) {
    if (buf == StrBuf_Null) return;
    buf->length += static_cast<int32_t>(count);
    buf->data[buf->length] = 0;
}

StrBuf* StrBuf_RemoveChar(StrBuf* buf, int ch) {
    if (buf == StrBuf_Null) return buf;
    char* out = buf->data;
    for (const char* in = buf->data; *in; ++in)
        if (static_cast<unsigned char>(*in) != static_cast<unsigned char>(ch)) *out++ = *in;
    *out = 0;
    buf->length = static_cast<int32_t>(out - buf->data);
    return buf;
}

StrBuf* StrBuf_Trim(StrBuf* buf) {
    if (buf == StrBuf_Null) return buf;
    int32_t length = buf->length;
    while (length > 0 && IsAsciiSpace(static_cast<unsigned char>(buf->data[length - 1])))
        --length;
    int32_t lead = 0;
    while (lead < length && IsAsciiSpace(static_cast<unsigned char>(buf->data[lead])))
        ++lead;
    if (lead > 0) std::memmove(buf->data, buf->data + lead, static_cast<size_t>(length - lead));
    buf->length = length - lead;
    buf->data[buf->length] = 0;
    return buf;
}

void StrTok_Start(StrTok* tok, const char* text) {
    if (!text) text = "";
    tok->start = text;
    tok->cursor = text;
    tok->count = 0;
}

int StrTok_Next(StrBuf* out, StrTok* tok, int sep, uint8_t skipEmpty) {
    const char s = static_cast<char>(sep);
    if (tok->count > 0 && *tok->cursor == 0) return 0;
    if (skipEmpty) {
        if (tok->count == 0)
            while (*tok->cursor == s && s != 0)
                ++tok->cursor;
        if (*tok->cursor == 0) return 0;
    }
    const char* begin = tok->cursor;
    const char* end = begin;
    while (*end && *end != s)
        ++end;
    Assign(out, begin, end - begin);
    tok->cursor = *end ? end + 1 : end;
    if (skipEmpty)
        while (*tok->cursor == s && s != 0)
            ++tok->cursor;
    ++tok->count;
    return 1;
}
