// Code page 949 (Unified Hangul Code) by table: the decoder reads the
// generated tables directly; the encoder's table is their inverse, built on
// first use. Portable: compiled in both builds, so that the Windows build's
// tests can compare it with the platform's own conversion.
#include "textlib/cp949.h"

namespace {

struct Cp949Segment {
    uint8_t first; // first trail byte of a run of mapped pairs
    uint8_t last;  // last trail byte of the run
    uint16_t cell; // index of the first pair's unit in kCp949Cells
};

#include "textlib/cp949_table.inc"

static_assert(kCp949DefaultUnit == CP949_DEFAULT_UNIT, "table made for another default");
static_assert(kCp949DefaultByte == CP949_DEFAULT_BYTE, "table made for another default");

uint16_t DecodePair(uint8_t lead, uint8_t trail) {
    const int row = lead - kCp949LeadFirst;
    for (int i = kCp949RowStart[row]; i < kCp949RowStart[row + 1]; ++i) {
        const Cp949Segment& s = kCp949Segments[i];
        if (trail >= s.first && trail <= s.last) return kCp949Cells[s.cell + (trail - s.first)];
    }
    return kCp949DefaultUnit;
}

// Unit -> the byte (below 0x100) or the lead and trail bytes (lead << 8 |
// trail, never below 0x8100); 0 when unmapped, except for U+0000 itself.
struct EncodeTable {
    uint16_t code[0x10000] = {};

    EncodeTable() {
        for (int b = 0; b < 0x100; ++b)
            if (!Cp949_IsLeadByte(static_cast<uint8_t>(b))) code[kCp949Single[b]] = uint16_t(b);
        for (int lead = kCp949LeadFirst; lead <= kCp949LeadLast; ++lead) {
            const int row = lead - kCp949LeadFirst;
            for (int i = kCp949RowStart[row]; i < kCp949RowStart[row + 1]; ++i) {
                const Cp949Segment& s = kCp949Segments[i];
                for (int trail = s.first; trail <= s.last; ++trail)
                    code[kCp949Cells[s.cell + (trail - s.first)]] = uint16_t(lead << 8 | trail);
            }
        }
    }
};

const EncodeTable& Encoder() {
    static const EncodeTable table;
    return table;
}

} // namespace

bool Cp949_IsLeadByte(uint8_t b) {
    return b >= kCp949LeadFirst && b <= kCp949LeadLast;
}

int Cp949_DecodeChar(uint16_t* unit, const uint8_t* bytes, uint32_t count) {
    if (count == 0) return 0;
    const uint8_t lead = bytes[0];
    if (!Cp949_IsLeadByte(lead)) {
        *unit = kCp949Single[lead];
        return 1;
    }
    // Windows does not let a NUL end a character: the lead byte stands
    // alone and the NUL still ends the text.
    if (count < 2 || bytes[1] == 0) {
        *unit = kCp949DefaultUnit;
        return 1;
    }
    *unit = DecodePair(lead, bytes[1]);
    return 2;
}

int Cp949_EncodeChar(uint8_t out[2], uint16_t unit) {
    const uint16_t code = Encoder().code[unit];
    if (code == 0 && unit != 0) return 0;
    if (code < 0x100) {
        out[0] = static_cast<uint8_t>(code);
        return 1;
    }
    out[0] = static_cast<uint8_t>(code >> 8);
    out[1] = static_cast<uint8_t>(code & 0xFF);
    return 2;
}
