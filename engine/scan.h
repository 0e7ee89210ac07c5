// Number scanning for the pattern language: the rules of sscanf for formats
// made of "%d" conversions and literal characters, implemented here so that
// every build reads a pattern the same way whatever its C library does.
#pragma once
#include <cstdint>

// White space as the C library's isspace sees it in the "C" locale.
inline bool Scan_IsBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The value of a run of more than ten digits, clamped to 32 bits.
int64_t Scan_LongDigits(const char* digits, const char* end, bool negative);

// Reads one "%d" conversion at *cursor: white space, an optional sign, then
// decimal digits. On success stores the value in *value (a number beyond the
// signed 32-bit range reads as the nearest bound), moves *cursor past the
// digits and returns 1; otherwise returns 0 and leaves both alone. Inline:
// the pattern interpreter reads every number of a pattern through it.
inline int Scan_Int(const char** cursor, int32_t* value) {
    const char* p = *cursor;
    while (Scan_IsBlank(*p))
        p++;
    bool negative = *p == '-';
    if (*p == '+' || *p == '-') p++;
    const char* digits = p;
    uint64_t magnitude = 0; // wraps harmlessly past 19 digits; see below
    for (unsigned d; (d = static_cast<unsigned char>(*p - '0')) <= 9; p++)
        magnitude = magnitude * 10 + d;
    if (p == digits) return 0;
    int64_t v;
    if (p - digits > 10) {
        v = Scan_LongDigits(digits, p, negative);
    } else {
        v = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
        v = v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : v;
    }
    *value = static_cast<int32_t>(v);
    *cursor = p;
    return 1;
}

// Scans text by format, whose "%d" conversions store into values[0], [1], ...
// in turn and whose other characters must match the text exactly. Stops at
// the first mismatch. Returns the number of values stored; values beyond that
// keep what they held. With end, *end is where the last value stored ends
// (text when none is), the start of what the scan read nothing from.
int Scan_Format(const char* text, const char* format, int32_t* values, const char** end = nullptr);
