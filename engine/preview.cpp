// Draws the picture of a tile map at one pixel a pixel, then scales it up.
// Numbers use a 3x5 font of the ten digits, doubled, dark on white; a cell
// without a tile (entry 0) gets a red cross, in either kind of picture.
#include "engine/preview.h"
#include "engine/tile.h"
#include "textlib/mem.h"
#include <cstring>

namespace {

// Rows of each digit, three bits a row, the leftmost pixel in bit 2.
const uint8_t DIGITS[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 2, 2}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
};

// Rows top..top + rows of a picture width pixels wide; what falls outside
// them is not drawn, so a picture can be drawn a band at a time.
struct Canvas {
    uint8_t* rgb;
    uint32_t width;
    uint32_t top, rows;
};

bool Inside(const Canvas* c, uint32_t y) {
    return y >= c->top && y - c->top < c->rows;
}

void Put(Canvas* c, uint32_t x, uint32_t y, uint8_t r, uint8_t g, uint8_t b) {
    if (!Inside(c, y)) return;
    uint8_t* p = c->rgb + (static_cast<size_t>(y - c->top) * c->width + x) * 3;
    p[0] = r;
    p[1] = g;
    p[2] = b;
}

void Cross(Canvas* c, uint32_t x0, uint32_t y0, uint32_t w, uint32_t h) {
    const uint32_t n = w > h ? w : h;
    for (uint32_t i = 0; i < n; i++) {
        const uint32_t x = i * w / n, y = i * h / n;
        Put(c, x0 + x, y0 + y, PREVIEW_EMPTY_R, PREVIEW_EMPTY_G, PREVIEW_EMPTY_B);
        Put(c, x0 + w - 1 - x, y0 + y, PREVIEW_EMPTY_R, PREVIEW_EMPTY_G, PREVIEW_EMPTY_B);
    }
}

// A number cell: its last row and column are the grid's grey line.
void NumberCell(Canvas* c, uint32_t x0, uint32_t y0, uint32_t value) {
    const uint32_t w = PREVIEW_CELL_WIDTH, h = PREVIEW_CELL_HEIGHT;
    for (uint32_t y = 0; y < h; y++)
        for (uint32_t x = 0; x < w && Inside(c, y0 + y); x++) {
            const uint8_t v = x == w - 1 || y == h - 1 ? 160 : 255;
            Put(c, x0 + x, y0 + y, v, v, v);
        }
    if (value == 0) return Cross(c, x0 + 2, y0 + 2, w - 5, h - 5);
    char text[10];
    uint32_t n = 0;
    for (uint32_t v = value; v; v /= 10)
        text[n++] = static_cast<char>(v % 10);
    // Centred: each digit 6 wide with 2 between; past three digits (a tile
    // number of the input) the font is not doubled, 3 wide with 1 between.
    const uint32_t size = n > 3 ? 1 : 2, pitch = 4 * size;
    const uint32_t left = x0 + (w - 1 - (n * pitch - size)) / 2, top = y0 + 8 - 5 * size / 2;
    for (uint32_t i = 0; i < n; i++) {
        const uint8_t* rows = DIGITS[static_cast<int>(text[n - 1 - i])];
        for (uint32_t y = 0; y < 5 * size; y++)
            for (uint32_t x = 0; x < 3 * size && Inside(c, top + y); x++)
                if (rows[y / size] >> (2 - x / size) & 1)
                    Put(c, left + i * pitch + x, top + y, PREVIEW_INK, PREVIEW_INK, PREVIEW_INK);
    }
}

void TileCell(Canvas* c, uint32_t x0, uint32_t y0, const PreviewTiles* t, const uint8_t* tile) {
    const TileFormat* f = &t->format;
    if (!tile) {
        for (uint32_t y = 0; y < f->height; y++)
            for (uint32_t x = 0; x < f->width && Inside(c, y0 + y); x++)
                Put(c, x0 + x, y0 + y, 64, 64, 64);
        return Cross(c, x0, y0, f->width, f->height);
    }
    const uint32_t top = (1u << f->bitsPerPixel) - 1;
    for (uint32_t y = 0; y < f->height; y++)
        for (uint32_t x = 0; x < f->width && Inside(c, y0 + y); x++) {
            const uint32_t v = Tile_Pixel(f, tile, x, y);
            if (t->palette) {
                const uint8_t* rgb = t->palette + (v % t->colours) * 3;
                Put(c, x0 + x, y0 + y, rgb[0], rgb[1], rgb[2]);
            } else {
                const uint8_t g = static_cast<uint8_t>(v * 255 / top);
                Put(c, x0 + x, y0 + y, g, g, g);
            }
        }
}

bool UsesNumbers(const PreviewTiles* tiles) {
    return !tiles || !tiles->graphic;
}

bool DrawCell(Canvas* c, uint32_t x0, uint32_t y0, uint32_t value, const PreviewTiles* tiles) {
    if (UsesNumbers(tiles)) {
        NumberCell(c, x0, y0, value);
        return true;
    }
    const uint32_t stride = tiles->format.stride;
    const uint64_t held = stride == 0 ? 0 : tiles->length / stride;
    if (value > held) return false;
    TileCell(c, x0, y0, tiles,
             value ? tiles->graphic + static_cast<uint64_t>(value - 1) * stride : nullptr);
    return true;
}

} // namespace

void Preview_CellSize(const PreviewTiles* tiles, uint32_t* width, uint32_t* height) {
    const bool numbers = UsesNumbers(tiles);
    *width = numbers ? PREVIEW_CELL_WIDTH : tiles->format.width;
    *height = numbers ? PREVIEW_CELL_HEIGHT : tiles->format.height;
}

bool Preview_DrawCell(uint8_t* rgb, uint32_t width, uint32_t x0, uint32_t y0, uint32_t value,
                      const PreviewTiles* tiles) {
    Canvas c = {rgb, width, 0, UINT32_MAX};
    return DrawCell(&c, x0, y0, value, tiles);
}

uint32_t Preview_DefaultColumns(uint32_t count) {
    uint32_t n = 1;
    while (static_cast<uint64_t>(n) * n < count)
        n++;
    return n;
}

bool Preview_Size(uint32_t count, uint32_t columns, const PreviewTiles* tiles, uint32_t* width,
                  uint32_t* height) {
    *width = *height = 0;
    if (columns == 0 || count == 0) return false;
    uint32_t cw, ch;
    Preview_CellSize(tiles, &cw, &ch);
    const uint64_t w = uint64_t{count < columns ? count : columns} * cw;
    const uint64_t h = uint64_t{(count - 1) / columns + 1} * ch;
    if (w > UINT32_MAX || h > UINT32_MAX) return false;
    *width = static_cast<uint32_t>(w);
    *height = static_cast<uint32_t>(h);
    return true;
}

bool Preview_DrawRows(const uint8_t* map, uint32_t count, uint32_t columns,
                      const PreviewTiles* tiles, uint32_t top, uint32_t rows, uint8_t* rgb,
                      uint32_t* bad) {
    uint32_t w, h, cw, ch;
    if (!Preview_Size(count, columns, tiles, &w, &h) || rows == 0) return false;
    Preview_CellSize(tiles, &cw, &ch);
    Canvas c = {rgb, w, top, rows};
    // Slots past the last entry stay as the background.
    memset(rgb, UsesNumbers(tiles) ? 255 : 0, static_cast<size_t>(w) * rows * 3);
    const uint64_t last = (uint64_t{top} + rows - 1) / ch;
    for (uint64_t band = top / ch; band <= last; band++)
        for (uint64_t k = band * columns; k < (band + 1) * columns && k < count; k++)
            if (!DrawCell(&c, static_cast<uint32_t>(k % columns * cw),
                          static_cast<uint32_t>(band * ch), map[k], tiles)) {
                *bad = static_cast<uint32_t>(k);
                return false;
            }
    return true;
}

bool Preview_Draw(const uint8_t* map, uint32_t count, uint32_t columns, uint32_t scale,
                  const PreviewTiles* tiles, PreviewImage* image, uint32_t* bad) {
    image->rgb = nullptr;
    image->width = image->height = 0;
    uint32_t w, h;
    if (scale == 0 || !Preview_Size(count, columns, tiles, &w, &h)) return false;
    const uint64_t pixels = uint64_t{w} * h * scale * scale;
    if (pixels > (1u << 28)) return false;
    uint8_t* base = static_cast<uint8_t*>(Mem_Alloc(static_cast<size_t>(uint64_t{w} * h * 3)));
    if (!base) return false;
    if (!Preview_DrawRows(map, count, columns, tiles, 0, h, base, bad)) {
        Mem_Free(base);
        return false;
    }
    if (scale == 1) {
        image->rgb = base;
    } else {
        image->rgb = static_cast<uint8_t*>(Mem_Alloc(static_cast<size_t>(pixels * 3)));
        if (!image->rgb) {
            Mem_Free(base);
            return false;
        }
        const uint64_t sw = uint64_t{w} * scale;
        for (uint64_t y = 0; y < uint64_t{h} * scale; y++)
            Preview_ScaleRow(base + y / scale * w * 3, w, scale, image->rgb + y * sw * 3);
        Mem_Free(base);
    }
    image->width = w * scale;
    image->height = h * scale;
    return true;
}

void Preview_ScaleRow(const uint8_t* row, uint32_t width, uint32_t scale, uint8_t* out) {
    for (uint32_t x = 0; x < width; x++, row += 3)
        for (uint32_t i = 0; i < scale; i++, out += 3)
            memcpy(out, row, 3);
}
