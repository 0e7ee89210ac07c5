// The project's own code page 949 tables, so that the Linux build converts
// exactly as Windows (as Wine 8 implements it) does, user-defined rows
// included, without the platform. The tables are generated from Windows'
// own conversion (textlib/cp949_table.inc, scripts/gen-cp949.sh).
#pragma once
#include <cstdint>

// The default character: what a sequence without a mapping decodes to, and
// what the code page writes for a character it lacks.
const uint16_t CP949_DEFAULT_UNIT = 0x003F;
const uint8_t CP949_DEFAULT_BYTE = 0x3F;

// True when b leads a two-byte character in code page 949 (0x81..0xFE).
bool Cp949_IsLeadByte(uint8_t b);

// Decodes one character as MultiByteToWideChar(949, 0) does inside a text
// and stores its UTF-16 unit; every sequence yields one. Returns the bytes
// used: 2 for a lead byte with a trail byte other than 0x00 (a pair without
// a mapping gives CP949_DEFAULT_UNIT, its trail byte consumed all the same);
// 1 for any other byte, a lead byte at the end of the bytes or before a
// 0x00 (giving CP949_DEFAULT_UNIT). 0 when count is 0 (unit left alone).
int Cp949_DecodeChar(uint16_t* unit, const uint8_t* bytes, uint32_t count);

// Encodes one UTF-16 unit. Returns the bytes written to out (1 or 2), or 0
// when code page 949 lacks the character (where Windows may write a best-fit
// character instead; the callers write CP949_DEFAULT_BYTE).
int Cp949_EncodeChar(uint8_t out[2], uint16_t unit);
