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

struct Canvas {
    uint8_t* rgb;
    uint32_t width;
};

void Put(Canvas* c, uint32_t x, uint32_t y, uint8_t r, uint8_t g, uint8_t b) {
    uint8_t* p = c->rgb + (static_cast<size_t>(y) * c->width + x) * 3;
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
        for (uint32_t x = 0; x < w; x++) {
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
            for (uint32_t x = 0; x < 3 * size; x++)
                if (rows[y / size] >> (2 - x / size) & 1)
                    Put(c, left + i * pitch + x, top + y, PREVIEW_INK, PREVIEW_INK, PREVIEW_INK);
    }
}

void TileCell(Canvas* c, uint32_t x0, uint32_t y0, const PreviewTiles* t, const uint8_t* tile) {
    const TileFormat* f = &t->format;
    if (!tile) {
        for (uint32_t y = 0; y < f->height; y++)
            for (uint32_t x = 0; x < f->width; x++)
                Put(c, x0 + x, y0 + y, 64, 64, 64);
        return Cross(c, x0, y0, f->width, f->height);
    }
    const uint32_t top = (1u << f->bitsPerPixel) - 1;
    for (uint32_t y = 0; y < f->height; y++)
        for (uint32_t x = 0; x < f->width; x++) {
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

} // namespace

void Preview_CellSize(const PreviewTiles* tiles, uint32_t* width, uint32_t* height) {
    const bool numbers = UsesNumbers(tiles);
    *width = numbers ? PREVIEW_CELL_WIDTH : tiles->format.width;
    *height = numbers ? PREVIEW_CELL_HEIGHT : tiles->format.height;
}

bool Preview_DrawCell(uint8_t* rgb, uint32_t width, uint32_t x0, uint32_t y0, uint32_t value,
                      const PreviewTiles* tiles) {
    Canvas c = {rgb, width};
    if (UsesNumbers(tiles)) {
        NumberCell(&c, x0, y0, value);
        return true;
    }
    const uint32_t stride = tiles->format.stride;
    const uint64_t held = stride == 0 ? 0 : tiles->length / stride;
    if (value > held) return false;
    TileCell(&c, x0, y0, tiles,
             value ? tiles->graphic + static_cast<uint64_t>(value - 1) * stride : nullptr);
    return true;
}

uint32_t Preview_DefaultColumns(uint32_t count) {
    uint32_t n = 1;
    while (static_cast<uint64_t>(n) * n < count)
        n++;
    return n;
}

bool Preview_Draw(const uint8_t* map, uint32_t count, uint32_t columns, uint32_t scale,
                  const PreviewTiles* tiles, PreviewImage* image, uint32_t* bad) {
    image->rgb = nullptr;
    image->width = image->height = 0;
    if (columns == 0 || scale == 0 || count == 0) return false;
    const bool numbers = UsesNumbers(tiles);
    uint32_t cw, ch;
    Preview_CellSize(tiles, &cw, &ch);
    const uint32_t across = count < columns ? count : columns;
    const uint32_t down = (count + columns - 1) / columns;
    const uint64_t w = static_cast<uint64_t>(across) * cw, h = static_cast<uint64_t>(down) * ch;
    const uint64_t pixels = w * h * scale * scale;
    if (pixels == 0 || pixels > (1u << 28)) return false;
    uint8_t* base = static_cast<uint8_t*>(Mem_Alloc(static_cast<size_t>(w * h * 3)));
    if (!base) return false;
    // Slots past the last entry stay as the background.
    memset(base, numbers ? 255 : 0, static_cast<size_t>(w * h * 3));
    for (uint32_t k = 0; k < count; k++) {
        if (!Preview_DrawCell(base, static_cast<uint32_t>(w), k % columns * cw, k / columns * ch,
                              map[k], tiles)) {
            *bad = k;
            Mem_Free(base);
            return false;
        }
    }
    if (scale == 1) {
        image->rgb = base;
    } else {
        image->rgb = static_cast<uint8_t*>(Mem_Alloc(static_cast<size_t>(pixels * 3)));
        if (!image->rgb) {
            Mem_Free(base);
            return false;
        }
        const uint64_t sw = w * scale;
        for (uint64_t y = 0; y < h * scale; y++)
            for (uint64_t x = 0; x < sw; x++)
                memcpy(image->rgb + (y * sw + x) * 3, base + ((y / scale) * w + x / scale) * 3, 3);
        Mem_Free(base);
    }
    image->width = static_cast<uint32_t>(w * scale);
    image->height = static_cast<uint32_t>(h * scale);
    return true;
}
