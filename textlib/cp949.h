// The project's own code page 949 tables, so that the Linux build converts
// exactly as Windows does (user-defined rows included) without the platform.
#pragma once
#include <cstdint>

// True when b leads a two-byte character in code page 949.
bool Cp949_IsLeadByte(uint8_t b);
// Decodes one character. Returns the bytes used (1 or 2; 1 when only one
// byte is available) and stores the UTF-16 unit, or returns 0 when the
// sequence has no mapping (the unit is then left alone).
int Cp949_DecodeChar(uint16_t* unit, const uint8_t* bytes, uint32_t count);
// Encodes one UTF-16 unit. Returns the bytes written to out (1 or 2), or 0
// when code page 949 lacks the character.
int Cp949_EncodeChar(uint8_t out[2], uint16_t unit);
