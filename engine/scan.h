// Number scanning for the pattern language: the rules of sscanf for formats
// made of "%d" conversions and literal characters, implemented here so that
// every build reads a pattern the same way whatever its C library does.
#pragma once
#include <cstdint>

// Reads one "%d" conversion at *cursor: white space, an optional sign, then
// decimal digits. On success stores the value in *value (a number beyond the
// signed 32-bit range reads as the nearest bound), moves *cursor past the
// digits and returns 1; otherwise returns 0 and leaves both alone.
int Scan_Int(const char** cursor, int32_t* value);

// Scans text by format, whose "%d" conversions store into values[0], [1], ...
// in turn and whose other characters must match the text exactly. Stops at
// the first mismatch. Returns the number of values stored; values beyond that
// keep what they held.
int Scan_Format(const char* text, const char* format, int32_t* values);
