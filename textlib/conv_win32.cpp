// Code page conversion on Windows: the platform's own MultiByteToWideChar
// and WideCharToMultiByte between the ANSI code page (CP_ACP, 949 on the
// target systems) and UTF-8, through rotating static slots.
#include <windows.h>

#include "textlib/conv.h"

namespace {

const int SLOT_COUNT = 8;
const int SLOT_SIZE = 8192;
// The most units or bytes a converted text may need, its terminator included.
const int SLOT_LIMIT = 8191;

WCHAR wideSlots[SLOT_COUNT][SLOT_SIZE];
char resultSlots[SLOT_COUNT][SLOT_SIZE];
unsigned wideCounter;
unsigned resultCounter;

const char* Convert(const char* text, UINT from, UINT to) {
    WCHAR* wide = wideSlots[wideCounter++ % SLOT_COUNT];
    char* result = resultSlots[resultCounter++ % SLOT_COUNT];
    // 0 cannot come back for a terminated text; it is refused rather than
    // passed on as a buffer size, which would mean "only count".
    const int n = MultiByteToWideChar(from, 0, text, -1, nullptr, 0);
    if (n <= 0 || n > SLOT_LIMIT) return nullptr;
    MultiByteToWideChar(from, 0, text, -1, wide, n);
    // Wine's CP_UTF8 decoder lets a sequence cut short by the end of the text
    // swallow the terminator ("\xE4" gives U+FFFD alone), and the next step
    // reads up to a terminator: make sure there is one.
    wide[n] = 0;
    const int m = WideCharToMultiByte(to, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (m <= 0 || m > SLOT_LIMIT) return nullptr;
    WideCharToMultiByte(to, 0, wide, -1, result, m, nullptr, nullptr);
    return result;
}

} // namespace

const char* Conv_AnsiToUtf8(const char* text) {
    return Convert(text, CP_ACP, CP_UTF8);
}

const char* Conv_Utf8ToAnsi(const char* text) {
    return Convert(text, CP_UTF8, CP_ACP);
}

int Ansi_DecodeChar(uint32_t* unit, const uint8_t* bytes, uint32_t count) {
    if (count == 0) {
        *unit = 0;
        return 0;
    }
    const int length = IsDBCSLeadByte(bytes[0]) && count >= 2 ? 2 : 1;
    WCHAR wide = 0;
    const int n =
        MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(bytes), length, &wide, 1);
    *unit = n == 1 ? wide : 0;
    return length;
}
