#!/usr/bin/env python3
"""Turns the dump of scripts/cp949_dump.cpp into textlib/cp949_table.inc.

The dump records what the Win32 code page 949 conversion (under Wine) gives
for every single byte, every lead byte with every trail byte and every UTF-16
unit. textlib/cp949.cpp relies on a few facts about that behaviour, which this
script checks before it writes anything, so that a different Wine (or Windows)
that behaves otherwise stops the generation instead of producing a table that
silently disagrees:

  - the lead bytes form one range, and a lead byte alone gives the default unit;
  - every other single byte gives exactly one unit;
  - a lead byte followed by 0x00 gives the default unit and then U+0000
    (the NUL is not taken as a trail byte);
  - a lead byte with any other trail byte gives exactly one unit, the default
    unit when the pair has no mapping;
  - no two mapped sequences give the same unit, and WideCharToMultiByte turns
    every mapped unit back into its own sequence.

Units that WideCharToMultiByte turns into some other character (best fit) are
not carried; the table leaves them out and the Linux build writes the default
character for them.

Usage: gen_cp949_table.py DUMP OUTPUT
"""
import sys


def fail(message):
    sys.exit("gen_cp949_table: " + message)


def read_dump(path):
    info = {}
    single = {}
    double = {}
    wide = {}
    with open(path, encoding="ascii") as f:
        for line in f:
            fields = line.split()
            if not fields:
                continue
            kind = fields[0]
            if kind in ("acp", "system", "cpinfo", "lead"):
                info[kind] = fields[1:]
            elif kind in ("s", "d"):
                if any(x.startswith("error") for x in fields[2:]):
                    fail("conversion error in dump line: " + line.strip())
                units = [int(x, 16) for x in fields[2:]]
                (single if kind == "s" else double)[int(fields[1], 16)] = units
            elif kind == "w":
                slash = fields.index("/")
                if any(x.startswith("error") for x in fields[2:slash]):
                    fail("conversion error in dump line: " + line.strip())
                wide[int(fields[1], 16)] = (bytes(int(x, 16) for x in fields[2:slash]),
                                            fields[slash + 1] == "1")
            else:
                fail("unknown dump line: " + line.strip())
    if len(single) != 256 or len(wide) != 0x10000:
        fail("incomplete dump")
    return info, single, double, wide


def main():
    if len(sys.argv) != 3:
        fail("usage: gen_cp949_table.py DUMP OUTPUT")
    info, single, double, wide = read_dump(sys.argv[1])

    if info.get("acp") != ["949"]:
        print("gen_cp949_table: note: the dump ran with ANSI code page %s" %
              " ".join(info.get("acp", ["?"])), file=sys.stderr)
    max_size, default_byte, default_unit = info["cpinfo"]
    default_byte = int(default_byte, 16)
    default_unit = int(default_unit, 16)
    if max_size != "2":
        fail("code page 949 is not a double-byte code page here")

    leads = [int(x, 16) for x in info["lead"]]
    lead_first, lead_last = leads[0], leads[-1]
    if leads != list(range(lead_first, lead_last + 1)):
        fail("the lead bytes are not one range")
    if len(double) != 256 * len(leads):
        fail("incomplete dump of two-byte sequences")

    # Single bytes.
    single_units = []
    for b in range(256):
        units = single[b]
        if b in leads:
            if units != [default_unit]:
                fail("lead byte %02X alone gives %s" % (b, units))
        elif len(units) != 1:
            fail("byte %02X gives %d units" % (b, len(units)))
        single_units.append(units[0])

    # Two-byte sequences: rows of mapped trail bytes, cut into segments.
    mapped = {}  # (lead, trail) -> unit
    for lead in leads:
        for trail in range(256):
            units = double[lead << 8 | trail]
            if trail == 0:
                if units != [default_unit, 0]:
                    fail("%02X 00 gives %s" % (lead, units))
                continue
            if len(units) != 1:
                fail("%02X %02X gives %d units" % (lead, trail, len(units)))
            if units[0] != default_unit:
                mapped[(lead, trail)] = units[0]

    cells = []  # the units of all segments, in order
    segments = []  # (first trail, last trail, index of the first cell)
    row_start = []  # per lead byte, index of its first segment
    for lead in leads:
        row_start.append(len(segments))
        trail = 1
        while trail < 256:
            if (lead, trail) not in mapped:
                trail += 1
                continue
            first = trail
            while trail < 256 and (lead, trail) in mapped:
                cells.append(mapped[(lead, trail)])
                trail += 1
            segments.append((first, trail - 1, len(cells) - (trail - first)))
    row_start.append(len(segments))
    if len(cells) > 0xFFFF or len(segments) > 0xFFFF:
        fail("table too large for 16-bit indexes")

    # The encoder is the inverse of the decoder: check that Windows agrees.
    carried = {}  # unit -> bytes
    for b in range(256):
        if b not in leads:
            carried.setdefault(single_units[b], []).append(bytes([b]))
    for (lead, trail), unit in mapped.items():
        carried.setdefault(unit, []).append(bytes([lead, trail]))
    for unit, sequences in carried.items():
        if len(sequences) != 1:
            fail("unit %04X has several sequences: %s" % (unit, sequences))
        if wide[unit][0] != sequences[0]:
            fail("WideCharToMultiByte(%04X) gives %s, not %s" %
                 (unit, wide[unit][0].hex(), sequences[0].hex()))
    best_fit = [u for u, (out, used) in wide.items() if u not in carried and not used]
    for u, (out, used) in wide.items():
        if u not in carried and used and out != bytes([default_byte]):
            fail("unit %04X gives %s with the default flag" % (u, out.hex()))

    # Compare with Python's cp949 codec plus the user-defined rows, for the record.
    differences = 0
    for lead in leads:
        for trail in range(1, 256):
            try:
                text = bytes([lead, trail]).decode("cp949")
                python = ord(text) if len(text) == 1 else None
            except UnicodeDecodeError:
                python = None
            if python is None and lead in (0xC9, 0xFE) and 0xA1 <= trail <= 0xFE:
                python = 0xE000 + (0 if lead == 0xC9 else 94) + trail - 0xA1
            if python != mapped.get((lead, trail)):
                differences += 1

    with open(sys.argv[2], "w", encoding="ascii", newline="\n") as out:
        w = out.write
        w("// Generated by scripts/gen_cp949_table.py from what MultiByteToWideChar and\n")
        w("// WideCharToMultiByte give for code page 949 (%s, dumped by\n" %
          " ".join(info.get("system", ["?"])))
        w("// scripts/cp949_dump.cpp); regenerate with scripts/gen-cp949.sh, do not edit.\n")
        w("// %d mapped two-byte sequences in %d segments; %d units carried in all;\n" %
          (len(cells), len(segments), len(carried)))
        w("// %d units that Windows writes as a best-fit character are left out.\n" %
          len(best_fit))
        w("// Python's cp949 codec with rows C9 and FE as U+E000.. differs in %d pairs.\n\n" %
          differences)
        w("const uint16_t kCp949DefaultUnit = 0x%04X;\n" % default_unit)
        w("const uint8_t kCp949DefaultByte = 0x%02X;\n" % default_byte)
        w("const uint8_t kCp949LeadFirst = 0x%02X;\n" % lead_first)
        w("const uint8_t kCp949LeadLast = 0x%02X;\n\n" % lead_last)
        w("// The unit of each byte alone (a lead byte alone gives the default unit).\n")
        w("const uint16_t kCp949Single[256] = {\n")
        for i in range(0, 256, 8):
            w("    " + " ".join("0x%04X," % u for u in single_units[i:i + 8]) + "\n")
        w("};\n\n")
        w("// For lead byte kCp949LeadFirst + i, its segments are kCp949Segments[\n")
        w("// kCp949RowStart[i]] up to kCp949Segments[kCp949RowStart[i + 1]].\n")
        w("const uint16_t kCp949RowStart[%d] = {\n" % len(row_start))
        for i in range(0, len(row_start), 10):
            w("    " + " ".join("%d," % s for s in row_start[i:i + 10]) + "\n")
        w("};\n\n")
        w("// Runs of mapped trail bytes: first, last, index of the first's unit in kCp949Cells.\n")
        w("const Cp949Segment kCp949Segments[%d] = {\n" % len(segments))
        for i in range(0, len(segments), 4):
            w("    " + " ".join("{0x%02X, 0x%02X, %d}," % s for s in segments[i:i + 4]) + "\n")
        w("};\n\n")
        w("const uint16_t kCp949Cells[%d] = {\n" % len(cells))
        for i in range(0, len(cells), 10):
            w("    " + " ".join("0x%04X," % u for u in cells[i:i + 10]) + "\n")
        w("};\n")

    print("gen_cp949_table: %d cells, %d segments, %d carried units, %d best-fit units, "
          "%d differences from Python's codec" %
          (len(cells), len(segments), len(carried), len(best_fit), differences),
          file=sys.stderr)


if __name__ == "__main__":
    main()
