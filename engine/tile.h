// Tile graphics: a tile format's byte size and stride, the pixels of one
// tile, and a tile map applied to the tiles of a graphic. A graphic holds its
// tiles one after another from an offset, each stride bytes long; a tile's
// pixels are packed row by row with no padding between rows.
#pragma once
#include <cstdint>
#include "engine/tilemap.h"

// A row of the tile format table, which lists the formats in the order the
// bitmap format popup shows them.
struct TileFormatRow {
    const char* iconKey; // its combo box icon
    uint16_t bitsPerPixel;
    bool inverted; // the leftmost pixel in a byte's low bits
    uint32_t formatId;
};
constexpr int TILE_FORMAT_ROWS = 8;
extern const TileFormatRow TILE_FORMAT_TABLE[TILE_FORMAT_ROWS];

// Works out tile bytes and stride: tile bytes (height * bpp * width + 7) >> 3,
// stride the same, rounded up to a multiple of 3 at 3 bits per pixel.
// formatId: the table's id for bpp, inverted or not (plain where the table
// has no inverted row, 8 bits per pixel for a depth it does not list).
TileFormat Tile_MakeFormat(uint16_t width, uint16_t height, uint16_t bitsPerPixel, bool inverted);
// Reads "WxH:BPP" (W, H 1..64; BPP 1, 2, 3, 4 or 8), with an "i" after BPP
// for the inverted formats (1, 2 and 4 bits per pixel). False when text is
// none of these.
bool Tile_ParseFormat(const char* text, TileFormat* format);
// True for the inverted formats: their leftmost pixel is in a byte's low bits.
bool Tile_IsInverted(const TileFormat* format);
// The value of pixel (x, y) of the tile at tile (format->tileBytes bytes).
uint32_t Tile_Pixel(const TileFormat* format, const uint8_t* tile, uint32_t x, uint32_t y);

// Why applying a map failed.
enum TileApplyFailure : int32_t {
    TILEAPPLY_OK = 0,
    TILEAPPLY_FAIL_MAP = 1,       // the map file cannot be read (fileCode)
    TILEAPPLY_FAIL_GRAPHIC = 2,   // the graphic file cannot be read (fileCode)
    TILEAPPLY_FAIL_INTO = 3,      // the file to write into cannot be read (fileCode)
    TILEAPPLY_FAIL_OFFSET = 4,    // the graphic is shorter than the offset
    TILEAPPLY_FAIL_TILE = 5,      // entry names a tile past the graphic's end
    TILEAPPLY_FAIL_INTOSHORT = 6, // the file to write into is too short for the result
    TILEAPPLY_FAIL_NOMEM = 7,
    TILEAPPLY_FAIL_OUTPUT = 8,  // writing the output failed (output says how)
    TILEAPPLY_FAIL_MAPLONG = 9, // the map has more than TILEMAP_MAX_COUNT entries
};

struct TileApplyReport {
    TileApplyFailure failure;
    uint32_t fileCode;
    uint32_t entry;       // TILEAPPLY_FAIL_TILE: the 1-based map entry
    uint32_t tile;        // and the tile it names
    uint64_t tiles;       // the tiles the graphic holds from the offset
    uint64_t need;        // TILEAPPLY_FAIL_INTOSHORT: the bytes the result needs
    TileMapReport output; // TILEAPPLY_FAIL_OUTPUT
};

// Applies the map file to the tiles of the graphic file from offset, each
// stride bytes, and writes the result as outputName, with the care of a
// job's output; with intoName, the result is written at offset into a copy
// of that file instead. All names UTF-8. Output tile k is graphic tile
// map[k] (1-based; 0 is a tile of zero bytes). Returns 1, or 0 with the
// reason in report; nothing is then written. What it holds is bounded by
// the map, not by the files: the map (at most TILEMAP_MAX_COUNT entries),
// the tiles up to its highest entry, and a block of the output.
int32_t TileApply_Run(const char* mapName, const char* graphicName, const char* outputName,
                      const char* intoName, uint32_t stride, uint64_t offset,
                      TileApplyReport* report);

struct FileHandle;
// The files of TileApply_RunFiles: each by its name (UTF-8) or, where its
// handle is set, that open file (standard input or output, say), which the
// caller owns: an input is read in order to its end, the output written
// straight. No into file: both null.
struct TileApplyFiles {
    const char *mapName, *graphicName, *intoName, *outputName;
    FileHandle *map, *graphic, *into, *output;
};
// TileApply_Run on files given either way.
int32_t TileApply_RunFiles(const TileApplyFiles* files, uint32_t stride, uint64_t offset,
                           TileApplyReport* report);

// The same with the map in memory (mapLength bytes).
int32_t TileApply_RunMap(const uint8_t* map, uint64_t mapLength, const char* graphicName,
                         const char* outputName, const char* intoName, uint32_t stride,
                         uint64_t offset, TileApplyReport* report);

// What a pipe or standard input may bring at most. A file's size is known
// before anything is held, a stream's only at its end, so an endless one
// (yes | ...) is cut off here.
constexpr uint32_t TILE_STREAM_LIMIT = 256u << 20;

// Reads the whole file name (UTF-8) into *bytes (Mem_Free) and *length; a
// file layer code. Files of 4 GiB or more, and streams longer than
// TILE_STREAM_LIMIT, are FILE_TOOBIG; a device is FILE_DEVICE.
// Tile_ReadNamed reads the file name or, when it is set, the open file; and
// more than limit bytes are FILE_TOOBIG too, read no further than that.
uint32_t Tile_ReadFile(const char* name, uint8_t** bytes, uint64_t* length);
// The same on a file already open (standard input, say), which is read in
// order from where it stands and left open. size: what File_Open said, for a
// file that can seek.
uint32_t Tile_ReadOpen(FileHandle* file, uint64_t size, uint8_t** bytes, uint64_t* length);
uint32_t Tile_ReadNamed(const char* name, FileHandle* file, uint64_t limit, uint8_t** bytes,
                        uint64_t* length);
uint32_t Tile_ReadPart(FileHandle* file, uint64_t size, uint64_t limit, uint8_t** bytes,
                       uint64_t* length);

// The first tiles of a graphic, from its offset on.
struct TileSpan {
    uint8_t* bytes;    // Mem_Free
    uint64_t held;     // whole tiles in bytes
    uint64_t tiles;    // the tiles the graphic holds from the offset: a stream's
                       // only as far as it was read, so exact when held falls short
    bool beforeOffset; // the graphic ends before the offset
};
// Reads up to count tiles of stride bytes from offset of the graphic name
// (UTF-8) or, when file is set, of that open file (read in order, left
// open); a file layer code. Only what lies before the tiles is read of a
// stream, and none of it is held.
uint32_t Tile_ReadTiles(const char* name, FileHandle* file, uint64_t offset, uint32_t stride,
                        uint32_t count, TileSpan* span);
