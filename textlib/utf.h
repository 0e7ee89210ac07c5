// One-character decoders for UTF-8 and UTF-16 and the UTF-8 encoder that the
// text reader turns a file's characters into UTF-8 with.
#pragma once
#include <cstdint>

// Decodes one UTF-8 sequence (up to the 6-byte forms). Returns the bytes
// used (1..6), 0 when count is 0, or -1 for a malformed or cut sequence.
// Surrogates and values above U+10FFFF pass; Utf8_Encode refuses them.
int Utf8_Decode(uint32_t* cp, const uint8_t* bytes, uint32_t count);
// Decodes one UTF-16 character from units stored as byte pairs (low byte
// first for LE, high byte first for BE); count is in 16-bit units. Returns
// the units used (1 or 2), 0 when count is 0, or -1.
int Utf16_DecodeLE(uint32_t* cp, const uint8_t* units, uint32_t count);
int Utf16_DecodeBE(uint32_t* cp, const uint8_t* units, uint32_t count);
// Encodes cp into out (room bytes). Returns the bytes written (1..4), or -1
// for surrogates, values from 0x110000 on, or too little room.
int Utf8_Encode(uint8_t* out, uint32_t room, uint32_t cp);
