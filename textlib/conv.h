// The crossings between the ANSI code page (949 on the target systems) of
// the user interface and the UTF-8 of the text and file library.
#pragma once
#include <cstdint>

// Convert a NUL-terminated text. The result lives in one of eight rotating
// static slots and stays valid until eight further conversions have been
// made: copy it at once. Null when the text or its result does not fit in
// 8191 units. Characters the code page lacks become its default character.
const char* Conv_AnsiToUtf8(const char* text);
const char* Conv_Utf8ToAnsi(const char* text);

// Decodes one ANSI character into one UTF-16 unit (0 when the code page
// rejects it). Returns the bytes used: 2 for a lead byte when two bytes are
// available, else 1. count must be at least 1.
int Ansi_DecodeChar(uint32_t* unit, const uint8_t* bytes, uint32_t count);
