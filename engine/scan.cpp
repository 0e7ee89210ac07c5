// Number scanning with the rules of sscanf: blanks and a sign before each
// number, literal characters matched exactly, stop at the first mismatch.
#include "engine/scan.h"

int64_t Scan_LongDigits(const char* digits, const char* end, bool negative) {
    // Past 2^32 no further digit can bring the value back into range.
    const uint64_t limit = UINT64_C(1) << 32;
    uint64_t magnitude = 0;
    for (const char* p = digits; p < end && magnitude < limit; p++)
        magnitude = magnitude * 10 + static_cast<unsigned>(*p - '0');
    if (negative)
        return magnitude >= UINT64_C(0x80000000) ? INT32_MIN : -static_cast<int64_t>(magnitude);
    return magnitude >= UINT64_C(0x7FFFFFFF) ? INT32_MAX : static_cast<int64_t>(magnitude);
}

int Scan_Format(const char* text, const char* format, int32_t* values, const char** end) {
    int stored = 0;
    const char* p = text;
    if (end) *end = text;
    for (const char* f = format; *f; f++) {
        if (f[0] == '%' && f[1] == 'd') {
            if (!Scan_Int(&p, &values[stored])) break;
            stored++;
            if (end) *end = p;
            f++;
        } else {
            if (*p != *f) break;
            p++;
        }
    }
    return stored;
}
