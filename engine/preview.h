// The picture of a tile map: a grid of cells, one per entry, left to right
// and top to bottom. Either each cell shows its entry's number (an empty
// entry is crossed out), or it shows the graphic's tile that the entry names,
// in grey levels or through a palette. Only pixels: writing them as a file
// is the front end's business.
#pragma once
#include <cstdint>
#include "engine/tilemap.h"

// An RGB picture, three bytes a pixel, rows top to bottom.
struct PreviewImage {
    uint32_t width;
    uint32_t height;
    uint8_t* rgb; // Mem_Free
};

// Where the tiles come from; graphic null: numbers are drawn instead.
struct PreviewTiles {
    const uint8_t* graphic; // from the first tile on
    uint64_t length;        // bytes of graphic
    TileFormat format;
    const uint8_t* palette; // 3 bytes a colour, or null for grey levels
    uint32_t colours;       // colours in palette
};

// The cell of a number: three digits of a 3x5 font at twice the size.
constexpr uint32_t PREVIEW_CELL_WIDTH = 28;
constexpr uint32_t PREVIEW_CELL_HEIGHT = 16;

// The size of one cell in pixels: a number's, or a tile's.
void Preview_CellSize(const PreviewTiles* tiles, uint32_t* width, uint32_t* height);
// Draws one cell, one pixel a pixel, with its top left at x0, y0 of rgb, a
// picture width pixels wide: the number value (up to seven digits), or the
// tile value names (0: none, crossed out). False, with nothing drawn, when
// value names a tile that tiles does not hold whole.
bool Preview_DrawCell(uint8_t* rgb, uint32_t width, uint32_t x0, uint32_t y0, uint32_t value,
                      const PreviewTiles* tiles);

// The cells across when none is asked for: the square root of count, rounded up.
uint32_t Preview_DefaultColumns(uint32_t count);

// The picture's size at one pixel a pixel for count entries, columns cells
// across; false when it has no cells or a side passes 32 bits.
bool Preview_Size(uint32_t count, uint32_t columns, const PreviewTiles* tiles, uint32_t* width,
                  uint32_t* height);
// Draws rows top..top + rows of that picture into rgb (rows x width pixels),
// so that a picture of any size is made a band at a time. False when an
// entry in the band names a tile that tiles does not hold whole (*bad then
// holds its 0-based index).
bool Preview_DrawRows(const uint8_t* map, uint32_t count, uint32_t columns,
                      const PreviewTiles* tiles, uint32_t top, uint32_t rows, uint8_t* rgb,
                      uint32_t* bad);
// One row of width pixels drawn scale times as wide into out.
void Preview_ScaleRow(const uint8_t* row, uint32_t width, uint32_t scale, uint8_t* out);

// Draws map (count entries) columns cells across, each pixel scale x scale.
// Returns false when memory runs out or the picture would pass 2^28 pixels,
// or when an entry names a tile that tiles does not hold whole (*bad then
// holds its 0-based index).
bool Preview_Draw(const uint8_t* map, uint32_t count, uint32_t columns, uint32_t scale,
                  const PreviewTiles* tiles, PreviewImage* image, uint32_t* bad);

// The colour of an entry's number in a number cell, and of an empty cell's cross.
constexpr uint8_t PREVIEW_INK = 0;
constexpr uint8_t PREVIEW_EMPTY_R = 200, PREVIEW_EMPTY_G = 40, PREVIEW_EMPTY_B = 40;
