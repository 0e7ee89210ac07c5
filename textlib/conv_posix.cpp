// Code page conversion without Windows. It follows the Win32 backend
// (conv_win32.cpp) step by step, with the project's own stand-ins for the
// platform: code page 949 as the ANSI code page (cp949.h) and UTF-8 read by
// the rules of Win32's CP_UTF8 conversion as Wine implements it, so that both
// builds give the same bytes for every text, malformed ones included. The one
// allowed difference: a character that code page 949 lacks becomes '?' here,
// where WideCharToMultiByte may write a best-fit character (U+00E9 as 'e').
// Nothing here is POSIX-specific; the Windows build's tests compile this file
// too and compare it with the platform.
#include "textlib/conv.h"

#include "textlib/cp949.h"
#include "textlib/utf.h"

#include <cstring>

namespace {

const uint32_t SLOT_COUNT = 8;
const uint32_t SLOT_SIZE = 8192;
// The most units or bytes a converted text may need, its terminator included.
const uint32_t SLOT_LIMIT = 8191;

uint16_t wideSlots[SLOT_COUNT][SLOT_SIZE];
char resultSlots[SLOT_COUNT][SLOT_SIZE];
uint32_t wideCounter;
uint32_t resultCounter;

// The stand-ins for MultiByteToWideChar and WideCharToMultiByte: each takes
// a whole text (its terminator included), returns the units or bytes it
// makes and stores them in out unless out is null (then it only counts).
typedef uint32_t (*ToWide)(const uint8_t* text, uint32_t length, uint16_t* out);
typedef uint32_t (*FromWide)(const uint16_t* wide, uint32_t length, uint8_t* out);

uint32_t AnsiToWide(const uint8_t* text, uint32_t length, uint16_t* out) {
    uint32_t n = 0;
    for (uint32_t at = 0; at < length; ++n) {
        uint16_t unit;
        at += static_cast<uint32_t>(Cp949_DecodeChar(&unit, text + at, length - at));
        if (out) out[n] = unit;
    }
    return n;
}

uint32_t WideToAnsi(const uint16_t* wide, uint32_t length, uint8_t* out) {
    uint32_t m = 0;
    for (uint32_t i = 0; i < length; ++i) {
        uint8_t bytes[2];
        int used = Cp949_EncodeChar(bytes, wide[i]);
        if (used == 0) {
            // Surrogates too, one at a time: the code page has nothing above U+FFFF.
            bytes[0] = CP949_DEFAULT_BYTE;
            used = 1;
        }
        if (out) std::memcpy(out + m, bytes, static_cast<size_t>(used));
        m += static_cast<uint32_t>(used);
    }
    return m;
}

// One UTF-8 sequence by Wine's rules (its RtlUTF8ToUnicodeN). Returns the code
// point, or a value above 0x10FFFF for a malformed sequence, which becomes one
// U+FFFD; *at moves past the bytes consumed. The rules differ from "one
// U+FFFD per maximal subpart" in three ways that matter for agreement:
//  - a sequence that would run past the end swallows everything to the end,
//    the text's terminator included;
//  - an overlong form or a surrogate is noticed only after the continuation
//    byte that shows it has been consumed (E0 80 is one U+FFFD, not two);
//  - a value above U+10FFFF is noticed before its second continuation byte
//    is consumed (F4 90 80 80 is three U+FFFD).
uint32_t DecodeUtf8(const uint8_t* text, uint32_t length, uint32_t* at) {
    const uint32_t BAD = 0xFFFFFFFF;
    const uint8_t first = text[(*at)++];
    uint32_t more;
    uint32_t value;
    if (first >= 0xC2 && first <= 0xDF) {
        more = 1, value = first & 0x1F;
    } else if (first >= 0xE0 && first <= 0xEF) {
        more = 2, value = first & 0x0F;
    } else if (first >= 0xF0 && first <= 0xF4) {
        more = 3, value = first & 0x07;
    } else {
        return BAD; // a continuation byte, C0, C1 or F5..FF alone
    }
    if (length - *at < more) {
        *at = length;
        return BAD;
    }
    for (uint32_t left = more; left > 0; --left) {
        const uint8_t next = text[*at];
        if ((next & 0xC0) != 0x80) return BAD;
        value = value << 6 | (next & 0x3F);
        if (left == 2 && value >= (0x110000 >> 6)) return BAD; // not consumed
        ++*at;
        if (left == 3 && value < (0x10000 >> 12)) return BAD; // overlong four-byte form
        if (left == 2 && value < (0x800 >> 6)) return BAD;    // overlong three-byte form
        if (left == 2 && value >= (0xD800 >> 6) && value <= (0xDFFF >> 6)) return BAD;
    }
    return value;
}

uint32_t Utf8ToWide(const uint8_t* text, uint32_t length, uint16_t* out) {
    uint32_t n = 0;
    for (uint32_t at = 0; at < length;) {
        uint32_t cp = text[at];
        if (cp < 0x80) {
            ++at;
        } else {
            cp = DecodeUtf8(text, length, &at);
            if (cp > 0x10FFFF) cp = 0xFFFD;
        }
        if (cp >= 0x10000) {
            if (out) {
                out[n] = static_cast<uint16_t>(0xD800 | (cp - 0x10000) >> 10);
                out[n + 1] = static_cast<uint16_t>(0xDC00 | (cp & 0x3FF));
            }
            n += 2;
        } else {
            if (out) out[n] = static_cast<uint16_t>(cp);
            n += 1;
        }
    }
    return n;
}

uint32_t WideToUtf8(const uint16_t* wide, uint32_t length, uint8_t* out) {
    uint32_t m = 0;
    for (uint32_t i = 0; i < length; ++i) {
        uint32_t cp = wide[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < length && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD; // a surrogate without its partner
        }
        uint8_t bytes[4];
        const int used = Utf8_Encode(bytes, sizeof bytes, cp);
        if (out) std::memcpy(out + m, bytes, static_cast<size_t>(used));
        m += static_cast<uint32_t>(used);
    }
    return m;
}

uint32_t WideLength(const uint16_t* wide) {
    uint32_t n = 0;
    while (wide[n] != 0)
        ++n;
    return n + 1;
}

const char* Convert(const char* text, ToWide toWide, FromWide fromWide) {
    uint16_t* wide = wideSlots[wideCounter++ % SLOT_COUNT];
    char* result = resultSlots[resultCounter++ % SLOT_COUNT];
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(text);
    const uint32_t length = static_cast<uint32_t>(std::strlen(text)) + 1;
    const uint32_t n = toWide(bytes, length, nullptr);
    if (n > SLOT_LIMIT) return nullptr;
    toWide(bytes, length, wide);
    wide[n] = 0; // as in conv_win32.cpp: the UTF-8 decoder may swallow the terminator
    const uint32_t wideLength = WideLength(wide);
    const uint32_t m = fromWide(wide, wideLength, nullptr);
    if (m > SLOT_LIMIT) return nullptr;
    fromWide(wide, wideLength, reinterpret_cast<uint8_t*>(result));
    return result;
}

} // namespace

const char* Conv_AnsiToUtf8(const char* text) {
    return Convert(text, AnsiToWide, WideToUtf8);
}

const char* Conv_Utf8ToAnsi(const char* text) {
    return Convert(text, Utf8ToWide, WideToAnsi);
}

int Ansi_DecodeChar(uint32_t* unit, const uint8_t* bytes, uint32_t count) {
    if (count == 0) {
        *unit = 0;
        return 0;
    }
    const uint32_t length = Cp949_IsLeadByte(bytes[0]) && count >= 2 ? 2 : 1;
    // The platform is asked for one unit; a lead byte before a NUL makes two
    // (the default character and U+0000), which fails, and the unit is 0.
    uint16_t wide[2];
    *unit = AnsiToWide(bytes, length, wide) == 1 ? wide[0] : 0;
    return static_cast<int>(length);
}
