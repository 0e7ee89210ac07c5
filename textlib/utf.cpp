// UTF-8 and UTF-16 decoding of one character, and UTF-8 encoding.
#include "textlib/utf.h"

int Utf8_Decode(uint32_t* cp, const uint8_t* bytes, uint32_t count) {
    if (count == 0) return 0;
    const uint8_t first = bytes[0];
    uint32_t more;
    uint32_t value;
    uint32_t smallest;
    if (first < 0x80) {
        *cp = first;
        return 1;
    } else if (first < 0xC0) {
        return -1;
    } else if (first < 0xE0) {
        more = 1, value = first & 0x1F, smallest = 0x80;
    } else if (first < 0xF0) {
        more = 2, value = first & 0x0F, smallest = 0x800;
    } else if (first < 0xF8) {
        more = 3, value = first & 0x07, smallest = 0x10000;
    } else if (first < 0xFC) {
        more = 4, value = first & 0x03, smallest = 0x200000;
    } else if (first < 0xFE) {
        more = 5, value = first & 0x01, smallest = 0x4000000;
    } else {
        return -1;
    }
    if (count < more + 1) return -1;
    for (uint32_t i = 1; i <= more; ++i) {
        if ((bytes[i] & 0xC0) != 0x80) return -1;
        value = (value << 6) | (bytes[i] & 0x3F);
    }
    if (value < smallest) return -1;
    *cp = value;
    return static_cast<int>(more + 1);
}

namespace {

int Utf16_Decode(uint32_t* cp, const uint8_t* units, uint32_t count, bool bigEndian) {
    auto unit = [&](uint32_t i) -> uint32_t {
        const uint8_t* p = units + 2 * i;
        return bigEndian ? (uint32_t(p[0]) << 8 | p[1]) : (uint32_t(p[1]) << 8 | p[0]);
    };
    if (count == 0) return 0;
    const uint32_t first = unit(0);
    if (first < 0xD800 || first > 0xDFFF) {
        *cp = first;
        return 1;
    }
    if (first <= 0xDBFF && count >= 2) {
        const uint32_t second = unit(1);
        if (second >= 0xDC00 && second <= 0xDFFF) {
            *cp = ((first - 0xD800) << 10) + (second - 0xDC00) + 0x10000;
            return 2;
        }
    }
    return -1;
}

} // namespace

int Utf16_DecodeLE(uint32_t* cp, const uint8_t* units, uint32_t count) {
    return Utf16_Decode(cp, units, count, false);
}

int Utf16_DecodeBE(uint32_t* cp, const uint8_t* units, uint32_t count) {
    return Utf16_Decode(cp, units, count, true);
}

int Utf8_Encode(uint8_t* out, uint32_t room, uint32_t cp) {
    if (cp >= 0x110000 || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
    if (cp < 0x80) {
        if (room < 1) return -1;
        out[0] = static_cast<uint8_t>(cp);
        return 1;
    }
    if (cp < 0x800) {
        if (room < 2) return -1;
        out[0] = static_cast<uint8_t>(0xC0 | (cp >> 6));
        out[1] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        if (room < 3) return -1;
        out[0] = static_cast<uint8_t>(0xE0 | (cp >> 12));
        out[1] = static_cast<uint8_t>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
        return 3;
    }
    if (room < 4) return -1;
    out[0] = static_cast<uint8_t>(0xF0 | (cp >> 18));
    out[1] = static_cast<uint8_t>(0x80 | ((cp >> 12) & 0x3F));
    out[2] = static_cast<uint8_t>(0x80 | ((cp >> 6) & 0x3F));
    out[3] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
    return 4;
}
