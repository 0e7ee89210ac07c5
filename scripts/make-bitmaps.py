#!/usr/bin/env python3
"""Draws the program's built-in pictures and writes them as BMP and ICO files.

The output is a pure function of this script: running it again gives the
same bytes, so the committed files can be checked against it (--check).

  tiles.bmp      250 x 36, fifteen numbered round tiles (legend, about box)
  toolbar.bmp     32 x 16, run and author buttons
  combobox.bmp   160 x 16, pictures of the combo box keys
  extension.bmp  160 x 16, pictures of file kinds
  tileorder.ico  16 x 16 and 32 x 32 program icon

Strips whose pictures are cut out by the mask colour RGB(255, 5, 255) are
drawn with hard edges: a blended edge pixel would not match the mask and
would show as a pink fringe.

Usage: make-bitmaps.py [--out DIR] [--check]
"""
import argparse
import math
import os
import struct
import sys

MASK = (255, 5, 255)


class Canvas:
    def __init__(self, w, h, bg):
        self.w, self.h = w, h
        self.px = [[bg] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def blend(self, x, y, c, a):
        if a <= 0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        o = self.px[y][x]
        self.px[y][x] = tuple(int(round(o[i] + (c[i] - o[i]) * min(a, 1.0))) for i in range(3))

    def rect(self, x0, y0, x1, y1, c):
        """Fills the rectangle with corners (x0, y0) and (x1, y1), inclusive."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.set(x, y0, c)
            self.set(x, y1, c)
        for y in range(y0, y1 + 1):
            self.set(x0, y, c)
            self.set(x1, y, c)

    def line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.set(x0, y0, c)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def polygon(self, pts, c):
        """Fills the pixels whose centres lie inside the polygon."""
        for y in range(self.h):
            for x in range(self.w):
                if inside(pts, x + 0.5, y + 0.5):
                    self.set(x, y, c)

    def disc(self, cx, cy, r, c):
        for y in range(self.h):
            for x in range(self.w):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                    self.set(x, y, c)

    def ellipse(self, cx, cy, rx, ry, c):
        for y in range(self.h):
            for x in range(self.w):
                if ((x + 0.5 - cx) / rx) ** 2 + ((y + 0.5 - cy) / ry) ** 2 <= 1:
                    self.set(x, y, c)

    def ring(self, cx, cy, r0, r1, c):
        for y in range(self.h):
            for x in range(self.w):
                d = (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2
                if r0 * r0 <= d <= r1 * r1:
                    self.set(x, y, c)

    def glyphs(self, x, y, text, c, font):
        for ch in text:
            rows = font[ch]
            for j, row in enumerate(rows):
                for i, bit in enumerate(row):
                    if bit == "#":
                        self.set(x + i, y + j, c)
            x += len(rows[0]) + 1

    def paste(self, other, ox, oy):
        for y in range(other.h):
            for x in range(other.w):
                self.set(ox + x, oy + y, other.px[y][x])


def inside(pts, x, y):
    n, hit = len(pts), False
    for i in range(n):
        (x0, y0), (x1, y1) = pts[i], pts[(i + 1) % n]
        if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
            hit = not hit
    return hit


# Digits 4 x 7, drawn for the numbered tiles.
DIGITS = {
    "0": [".##.", "#..#", "#..#", "#..#", "#..#", "#..#", ".##."],
    "1": ["..#.", ".##.", "..#.", "..#.", "..#.", "..#.", ".###"],
    "2": [".##.", "#..#", "...#", "..#.", ".#..", "#...", "####"],
    "3": [".##.", "#..#", "...#", "..#.", "...#", "#..#", ".##."],
    "4": ["..#.", ".##.", "#.#.", "#.#.", "####", "..#.", "..#."],
    "5": ["####", "#...", "###.", "...#", "...#", "#..#", ".##."],
    "6": [".##.", "#...", "###.", "#..#", "#..#", "#..#", ".##."],
    "7": ["####", "...#", "..#.", "..#.", ".#..", ".#..", ".#.."],
    "8": [".##.", "#..#", "#..#", ".##.", "#..#", "#..#", ".##."],
    "9": [".##.", "#..#", "#..#", ".###", "...#", "...#", ".##."],
}
# Small 3 x 5 glyphs for the labels inside 16 x 16 pictures.
SMALL = {
    "0": ["###", "#.#", "#.#", "#.#", "###"],
    "1": [".#.", "##.", ".#.", ".#.", "###"],
    "2": ["##.", "..#", ".#.", "#..", "###"],
    "4": ["#.#", "#.#", "###", "..#", "..#"],
    "8": ["###", "#.#", "###", "#.#", "###"],
}


def hsv(h, s, v):
    i = int(h * 6) % 6
    f = h * 6 - int(h * 6)
    p, q, t = v * (1 - s), v * (1 - s * f), v * (1 - s * (1 - f))
    r, g, b = [(v, t, p), (q, v, p), (p, v, t), (p, q, v), (t, p, v), (v, p, q)][i]
    return (int(r * 255 + 0.5), int(g * 255 + 0.5), int(b * 255 + 0.5))


def tiles():
    """Fifteen round tiles numbered 1 to 15 on a soft vertical gradient."""
    w, h = 250, 36
    c = Canvas(w, h, (0, 0, 0))
    for y in range(h):
        t = y / (h - 1)
        col = tuple(int(round(a + (b - a) * t)) for a, b in zip((244, 246, 250), (214, 222, 236)))
        for x in range(w):
            c.set(x, y, col)
    n, r, cy = 15, 7.6, 16.5
    pitch = (w - 10) / n
    ss = 4  # supersampling of the round edges
    for k in range(n):
        cx = 5 + pitch * (k + 0.5)
        face = hsv(k / n, 0.55, 0.92)
        edge = hsv(k / n, 0.75, 0.55)
        for y in range(int(cy - r - 3), int(cy + r + 4)):
            for x in range(int(cx - r - 3), int(cx + r + 4)):
                shadow = body = rim = 0
                for sy in range(ss):
                    for sx in range(ss):
                        px, py = x + (sx + 0.5) / ss, y + (sy + 0.5) / ss
                        d = math.hypot(px - cx, py - cy)
                        ds = math.hypot(px - cx - 1, py - cy - 1.5)
                        shadow += ds <= r
                        body += d <= r - 1
                        rim += d <= r
                total = ss * ss
                c.blend(x, y, (150, 158, 176), 0.6 * shadow / total)
                c.blend(x, y, edge, rim / total)
                c.blend(x, y, face, body / total)
                # A light spot towards the upper left gives the tile depth.
                lx, ly = x + 0.5 - (cx - 2.5), y + 0.5 - (cy - 3)
                glow = max(0.0, 1 - math.hypot(lx, ly) / 4.5) * (body / total)
                c.blend(x, y, (255, 255, 255), 0.55 * glow)
        text = str(k + 1)
        tw = len(text) * 5 - 1
        x0 = int(round(cx - tw / 2))
        c.glyphs(x0 + 1, int(cy) - 3 + 1, text, edge, DIGITS)
        c.glyphs(x0, int(cy) - 3, text, (255, 255, 255), DIGITS)
    return c


BLACK, WHITE = (0, 0, 0), (255, 255, 255)
GREY, DARK = (192, 192, 192), (96, 96, 96)
NAVY, BLUE, SKY = (0, 40, 128), (40, 96, 216), (150, 190, 250)
GREEN, DGREEN = (40, 176, 64), (16, 96, 32)
YELLOW, OCHRE = (252, 212, 80), (176, 128, 24)
RED = (208, 40, 40)


def icon():
    return Canvas(16, 16, MASK)


def page(c, fill=WHITE):
    """A sheet of paper with a folded corner, the base of file pictures."""
    c.polygon([(3, 1), (10, 1), (13, 4), (13, 15), (3, 15)], fill)
    c.line(3, 1, 9, 1, DARK)
    c.line(3, 1, 3, 14, DARK)
    c.line(3, 14, 12, 14, DARK)
    c.line(12, 4, 12, 14, DARK)
    c.line(9, 1, 12, 4, DARK)
    c.line(9, 1, 9, 4, DARK)
    c.line(9, 4, 12, 4, DARK)
    return c


def folder(c):
    c.rect(1, 3, 6, 4, OCHRE)
    c.rect(1, 4, 14, 13, YELLOW)
    c.frame(1, 4, 14, 13, OCHRE)
    c.line(1, 3, 6, 3, OCHRE)
    c.line(2, 6, 13, 6, (255, 236, 160))
    return c


def run_button():
    c = icon()
    c.disc(8, 8, 7.2, DGREEN)
    c.disc(8, 8, 6.2, GREEN)
    c.polygon([(6, 4), (12, 8), (6, 12)], WHITE)
    return c


def author_button():
    c = icon()
    c.disc(8, 5, 3.6, (120, 72, 40))
    c.disc(8, 5.5, 2.8, (250, 208, 168))
    c.polygon([(2, 15), (3, 11), (6, 9), (10, 9), (13, 11), (14, 15)], BLUE)
    c.line(6, 9, 8, 12, WHITE)
    c.line(10, 9, 8, 12, WHITE)
    return c


def file_kinds():
    out = []
    out.append(folder(icon()))  # 0: folder
    out.append(page(icon()))  # 1: any other file
    c = page(icon())  # 2: pattern file: numbers in rows
    c.glyphs(5, 5, "12", BLUE, SMALL)
    c.line(5, 11, 10, 11, BLUE)
    c.line(5, 13, 8, 13, BLUE)
    out.append(c)
    c = page(icon())  # 3: text
    for y in (6, 8, 10, 12):
        c.line(5, y, 10 if y % 4 else 8, y, DARK)
    out.append(c)
    c = icon()  # 4: tile map: a grid of coloured cells
    cols = [RED, GREEN, BLUE, YELLOW, SKY, (232, 120, 32), (150, 70, 190), GREY, WHITE]
    for j in range(3):
        for i in range(3):
            c.rect(1 + i * 5, 1 + j * 5, 4 + i * 5, 4 + j * 5, cols[j * 3 + i])
            c.frame(1 + i * 5, 1 + j * 5, 5 + i * 5, 5 + j * 5, DARK)
    out.append(c)
    c = page(icon())  # 5: binary
    c.glyphs(5, 5, "01", DGREEN, SMALL)
    c.glyphs(5, 9, "10", DGREEN, SMALL)
    out.append(c)
    c = icon()  # 6: data: a drum
    c.ellipse(8, 12, 5.6, 2.6, NAVY)
    c.ellipse(8, 12, 4.6, 1.7, SKY)
    c.rect(3, 4, 12, 12, SKY)
    c.line(2, 4, 2, 12, NAVY)
    c.line(13, 4, 13, 12, NAVY)
    c.ellipse(8, 4, 5.6, 2.6, NAVY)
    c.ellipse(8, 4, 4.6, 1.7, (210, 230, 255))
    c.line(4, 8, 4, 12, WHITE)
    out.append(c)
    c = icon()  # 7: program: a window
    c.rect(1, 2, 14, 13, WHITE)
    c.rect(1, 2, 14, 4, NAVY)
    c.frame(1, 2, 14, 13, BLACK)
    c.rect(12, 3, 13, 3, WHITE)
    out.append(c)
    c = icon()  # 8: picture: hills and sun
    c.rect(1, 2, 14, 13, SKY)
    c.disc(11, 5.5, 1.8, YELLOW)
    c.polygon([(1, 13), (6, 7), (10, 13)], GREEN)
    c.polygon([(6, 13), (10, 9), (15, 13)], DGREEN)
    c.frame(1, 2, 14, 13, DARK)
    out.append(c)
    c = page(icon())  # 9: settings: a section line and two entries
    c.line(5, 5, 9, 5, RED)
    c.set(5, 5, DARK)
    c.set(9, 5, DARK)
    c.line(5, 8, 10, 8, DARK)
    c.line(5, 10, 9, 10, DARK)
    c.line(5, 12, 10, 12, DARK)
    out.append(c)
    return out


def combo_keys():
    out = []
    # BITMAP_1BPP .. BITMAP_8BPP: palettes of 2, 4, 8, 16 and 256 colours
    c = icon()
    for j in range(4):
        for i in range(4):
            c.rect(i * 4, j * 4, i * 4 + 3, j * 4 + 3, BLACK if (i + j) % 2 else WHITE)
    c.frame(0, 0, 15, 15, DARK)
    out.append(c)
    c = icon()
    for i, g in enumerate((0, 85, 170, 255)):
        c.rect(i * 4, 0, i * 4 + 3, 15, (g, g, g))
    c.frame(0, 0, 15, 15, DARK)
    out.append(c)
    c = icon()
    for i in range(8):
        col = ((i & 4) * 63, (i & 2) * 127, (i & 1) * 255)
        c.rect((i % 4) * 4, (i // 4) * 8, (i % 4) * 4 + 3, (i // 4) * 8 + 7, col)
    c.frame(0, 0, 15, 15, DARK)
    out.append(c)
    c = icon()
    for i in range(16):
        c.rect((i % 4) * 4, (i // 4) * 4, (i % 4) * 4 + 3, (i // 4) * 4 + 3, hsv(i / 16, 0.8, 0.95))
    c.frame(0, 0, 15, 15, DARK)
    out.append(c)
    c = icon()
    for y in range(16):
        for x in range(16):
            c.set(x, y, hsv(x / 16, 1 - y / 20, 1 - y / 40))
    c.frame(0, 0, 15, 15, DARK)
    out.append(c)
    # EFFECT_MAP_IMPORT: tiles put in order; EFFECT_MAP_UNDO: put back
    c = icon()
    for i, col in enumerate((RED, GREEN, BLUE)):
        c.rect(1, 1 + i * 5, 4, 4 + i * 5, col)
    c.polygon([(6, 6), (10, 6), (10, 3), (15, 8), (10, 13), (10, 10), (6, 10)], NAVY)
    out.append(c)
    c = icon()
    for i, col in enumerate((BLUE, RED, GREEN)):
        c.rect(11, 1 + i * 5, 14, 4 + i * 5, col)
    c.polygon([(9, 6), (5, 6), (5, 3), (0, 8), (5, 13), (5, 10), (9, 10)], (176, 32, 32))
    out.append(c)
    # explorer.exe, NOTEPAD.EXE, EmEditor.exe: a folder, a note pad, a pen
    c = folder(icon())
    c.ring(9, 9, 2.2, 3.4, NAVY)
    c.line(11, 11, 14, 14, NAVY)
    out.append(c)
    c = page(icon())
    c.rect(3, 1, 12, 3, BLUE)
    for y in (6, 8, 10, 12):
        c.line(5, y, 10, y, SKY)
    out.append(c)
    c = page(icon())
    for y in (6, 8, 10):
        c.line(5, y, 8, y, DARK)
    c.polygon([(7, 14), (8, 11), (14, 5), (15, 6), (15, 7), (9, 13)], (232, 120, 32))
    c.line(7, 14, 8, 13, BLACK)
    out.append(c)
    return out


def strip(images):
    c = Canvas(16 * len(images), 16, MASK)
    for i, im in enumerate(images):
        c.paste(im, 16 * i, 0)
    return c


def bmp_bytes(c):
    """A bottom-up 24-bit BMP."""
    stride = (c.w * 3 + 3) & ~3
    rows = []
    for y in range(c.h - 1, -1, -1):
        row = bytearray()
        for r, g, b in c.px[y]:
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    data = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, c.w, c.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    return head + info + data


def app_icon(size):
    """The program icon: a 3 x 3 board of numbered tiles, one out of place."""
    c = Canvas(size, size, (0, 0, 0))
    alpha = [[0] * size for _ in range(size)]
    cell = size / 3
    order = [1, 2, 3, 4, 6, 5, 7, 8, 9]
    for k in range(9):
        i, j = k % 3, k // 3
        x0, y0 = int(i * cell), int(j * cell)
        x1, y1 = int((i + 1) * cell) - 1, int((j + 1) * cell) - 1
        n = order[k]
        face = hsv((n - 1) / 9, 0.6, 0.95) if n not in (5, 6) else (240, 80, 60)
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                edge = x in (x0, x1) or y in (y0, y1)
                c.set(x, y, (60, 60, 80) if edge else face)
                alpha[y][x] = 255
        if size >= 32:
            c.glyphs(x0 + 3, y0 + 2, str(n), WHITE, DIGITS)
    return c, alpha


def ico_bytes(sizes):
    entries, blobs = [], []
    for s in sizes:
        c, alpha = app_icon(s)
        xor = bytearray()
        for y in range(s - 1, -1, -1):
            for x in range(s):
                r, g, b = c.px[y][x]
                xor += bytes((b, g, r, alpha[y][x]))
        mask_stride = ((s + 31) // 32) * 4
        andm = bytearray()
        for y in range(s - 1, -1, -1):
            row = bytearray(mask_stride)
            for x in range(s):
                if alpha[y][x] == 0:
                    row[x // 8] |= 0x80 >> (x % 8)
            andm += row
        info = struct.pack("<IiiHHIIiiII", 40, s, 2 * s, 1, 32, 0, len(xor) + len(andm), 0, 0, 0, 0)
        blobs.append(info + bytes(xor) + bytes(andm))
        entries.append(s)
    offset = 6 + 16 * len(entries)
    out = struct.pack("<HHH", 0, 1, len(entries))
    for s, blob in zip(entries, blobs):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


def outputs():
    return {
        "tiles.bmp": bmp_bytes(tiles()),
        "toolbar.bmp": bmp_bytes(strip([run_button(), author_button()])),
        "combobox.bmp": bmp_bytes(strip(combo_keys())),
        "extension.bmp": bmp_bytes(strip(file_kinds())),
        "tileorder.ico": ico_bytes([16, 32]),
    }


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser()
    ap.add_argument("--out", default=os.path.join(here, "..", "resources", "bitmaps"))
    ap.add_argument("--check", action="store_true", help="compare with the files in --out")
    args = ap.parse_args()
    bad = 0
    for name, data in outputs().items():
        path = os.path.join(args.out, name)
        if args.check:
            try:
                with open(path, "rb") as f:
                    same = f.read() == data
            except OSError:
                same = False
            if not same:
                print(f"make-bitmaps: {path} differs from what the script draws", file=sys.stderr)
                bad = 1
        else:
            os.makedirs(args.out, exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
    return bad


if __name__ == "__main__":
    sys.exit(main())
