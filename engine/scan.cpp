// Number scanning with the rules of sscanf: blanks and a sign before each
// number, literal characters matched exactly, stop at the first mismatch.
#include "engine/scan.h"

namespace {

// White space as the C library's isspace in the "C" locale.
bool IsBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

} // namespace

int Scan_Int(const char** cursor, int32_t* value) {
    const char* p = *cursor;
    while (IsBlank(*p))
        p++;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        p++;
    }
    if (static_cast<unsigned char>(*p - '0') > 9) return 0;
    // Digits past 2^32 cannot bring the value back into range: stop
    // accumulating there, so that the result clamps and nothing overflows.
    const uint64_t limit = UINT64_C(1) << 32;
    uint64_t magnitude = 0;
    for (unsigned digit; (digit = static_cast<unsigned char>(*p - '0')) <= 9; p++)
        if (magnitude < limit) magnitude = magnitude * 10 + digit;
    int64_t v = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    if (v > INT32_MAX) v = INT32_MAX;
    if (v < INT32_MIN) v = INT32_MIN;
    *value = static_cast<int32_t>(v);
    *cursor = p;
    return 1;
}

int Scan_Format(const char* text, const char* format, int32_t* values) {
    int stored = 0;
    const char* p = text;
    for (const char* f = format; *f; f++) {
        if (f[0] == '%' && f[1] == 'd') {
            if (!Scan_Int(&p, &values[stored])) break;
            stored++;
            f++;
        } else {
            if (*p != *f) break;
            p++;
        }
    }
    return stored;
}
