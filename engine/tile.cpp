// Tile formats, tile pixels and the application of a map to a graphic. The
// files are read whole and the result is built in memory before the output
// is touched, so a refused or failed application writes nothing.
#include "engine/tile.h"
#include "textlib/file.h"
#include "textlib/mem.h"
#include <cstring>

const TileFormatRow TILE_FORMAT_TABLE[TILE_FORMAT_ROWS] = {
    {"BITMAP_1BPP", 1, false, 0}, {"BITMAP_2BPP", 2, false, 2}, {"BITMAP_3BPP", 3, false, 4},
    {"BITMAP_4BPP", 4, false, 5}, {"BITMAP_8BPP", 8, false, 7}, {"BITMAP_1BPP", 1, true, 1},
    {"BITMAP_2BPP", 2, true, 3},  {"BITMAP_4BPP", 4, true, 6},
};

namespace {

// The table's row for bpp, inverted or not; null where it has none.
const TileFormatRow* FindRow(uint32_t bitsPerPixel, bool inverted) {
    for (const TileFormatRow& row : TILE_FORMAT_TABLE)
        if (row.bitsPerPixel == bitsPerPixel && row.inverted == inverted) return &row;
    return nullptr;
}

bool ReadNumber(const char** p, uint32_t* value, uint32_t max) {
    uint32_t v = 0;
    const char* q = *p;
    while (*q >= '0' && *q <= '9' && v <= max)
        v = v * 10 + static_cast<uint32_t>(*q++ - '0');
    if (q == *p || v == 0 || v > max) return false;
    *p = q;
    *value = v;
    return true;
}

int32_t Refuse(TileApplyReport* report, TileApplyFailure failure, uint32_t code) {
    report->failure = failure;
    report->fileCode = code;
    return 0;
}

} // namespace

TileFormat Tile_MakeFormat(uint16_t width, uint16_t height, uint16_t bitsPerPixel, bool inverted) {
    TileFormat f = {};
    f.width = width;
    f.height = height;
    f.bitsPerPixel = bitsPerPixel;
    f.tileBytes = (static_cast<uint32_t>(height) * bitsPerPixel * width + 7) >> 3;
    const uint32_t stride = bitsPerPixel == 3 ? (f.tileBytes + 2) / 3 * 3 : f.tileBytes;
    f.stride = static_cast<uint16_t>(stride);
    const TileFormatRow* row = FindRow(bitsPerPixel, inverted);
    if (!row) row = FindRow(bitsPerPixel, false);
    if (!row) row = FindRow(8, false);
    f.formatId = row->formatId;
    return f;
}

bool Tile_ParseFormat(const char* text, TileFormat* format) {
    uint32_t w, h, bpp;
    const char* p = text;
    if (!ReadNumber(&p, &w, 64) || *p++ != 'x' || !ReadNumber(&p, &h, 64) || *p++ != ':' ||
        !ReadNumber(&p, &bpp, 8))
        return false;
    const bool inverted = *p == 'i';
    if (inverted) p++;
    if (*p || !FindRow(bpp, inverted)) return false;
    *format = Tile_MakeFormat(static_cast<uint16_t>(w), static_cast<uint16_t>(h),
                              static_cast<uint16_t>(bpp), inverted);
    return true;
}

bool Tile_IsInverted(const TileFormat* format) {
    for (const TileFormatRow& row : TILE_FORMAT_TABLE)
        if (row.formatId == format->formatId) return row.inverted;
    return false;
}

uint32_t Tile_Pixel(const TileFormat* format, const uint8_t* tile, uint32_t x, uint32_t y) {
    const uint32_t bpp = format->bitsPerPixel;
    const uint32_t bit = (y * format->width + x) * bpp;
    uint32_t value = 0;
    // Bit by bit, so that a 3-bit pixel may straddle two bytes.
    for (uint32_t i = 0; i < bpp; i++) {
        const uint32_t b = bit + i;
        const uint8_t byte = tile[b >> 3];
        if (Tile_IsInverted(format))
            value |= static_cast<uint32_t>((byte >> (b & 7)) & 1) << i;
        else
            value = value << 1 | ((byte >> (7 - (b & 7))) & 1);
    }
    return value;
}

bool TileApply_Build(const uint8_t* map, uint32_t mapLength, const uint8_t* graphic,
                     uint64_t length, uint32_t stride, uint8_t* out, uint32_t* bad) {
    const uint64_t tiles = stride ? length / stride : 0;
    for (uint32_t k = 0; k < mapLength; k++, out += stride) {
        const uint32_t t = map[k];
        if (t == 0) {
            memset(out, 0, stride);
        } else if (t > tiles) {
            *bad = k;
            return false;
        } else {
            memcpy(out, graphic + static_cast<uint64_t>(t - 1) * stride, stride);
        }
    }
    return true;
}

uint32_t Tile_ReadFile(const char* name, uint8_t** bytes, uint64_t* length) {
    *bytes = nullptr;
    *length = 0;
    FileHandle* file = nullptr;
    uint64_t size = 0;
    uint32_t code = File_Open(name, FILE_READ | FILE_NODEVICE, &file, &size);
    if (code != FILE_OK) return code;
    code = Tile_ReadOpen(file, size, bytes, length);
    File_Close(file);
    return code;
}

uint32_t Tile_ReadOpen(FileHandle* file, uint64_t size, uint8_t** bytes, uint64_t* length) {
    *bytes = nullptr;
    *length = 0;
    uint8_t* data = nullptr;
    uint32_t code = FILE_OK, done = 0;
    uint64_t at = 0;
    if (File_IsSeekable(file)) {
        if (size >= 0xFFFFFFFFu) return FILE_TOOBIG;
        data = static_cast<uint8_t*>(Mem_Alloc(static_cast<size_t>(size ? size : 1)));
        if (!data) return FILE_NOMEM;
        for (; code == FILE_OK && at < size; at += done) {
            code = File_ReadAt(file, data + at, at, static_cast<uint32_t>(size - at), &done);
            if (code == FILE_OK && done == 0) size = at; // the file shrank meanwhile
        }
    } else {
        // Its length is known at its end only: blocks go into a buffer that
        // doubles as it fills, until a read falls short.
        constexpr uint32_t BLOCK = 65536;
        int32_t capacity = 0;
        do {
            if (!Mem_Grow(&data, &capacity, static_cast<int32_t>(at), at + BLOCK, BLOCK,
                          static_cast<int32_t>(TILE_STREAM_LIMIT + BLOCK))) {
                code = FILE_NOMEM;
            } else if ((code = File_ReadAt(file, data + at, at, BLOCK, &done)) == FILE_OK) {
                at += done;
            }
        } while (code == FILE_OK && done == BLOCK && at <= TILE_STREAM_LIMIT);
        if (code == FILE_OK && at > TILE_STREAM_LIMIT) code = FILE_TOOBIG;
    }
    if (code != FILE_OK) {
        Mem_Free(data);
        return code;
    }
    *bytes = data;
    *length = at;
    return FILE_OK;
}

namespace {

// An input of TileApply_RunFiles: by name, or the open file.
uint32_t ReadInput(const char* name, FileHandle* file, uint8_t** bytes, uint64_t* length) {
    return file ? Tile_ReadOpen(file, 0, bytes, length) : Tile_ReadFile(name, bytes, length);
}

int32_t Apply(const uint8_t* map, uint64_t mapLength, const TileApplyFiles* f, uint32_t stride,
              uint64_t offset, TileApplyReport* report) {
    uint8_t *graphic = nullptr, *result = nullptr;
    uint64_t length = 0, resultLength = 0;
    const bool into = f->intoName || f->into;
    uint32_t code;
    if ((code = ReadInput(f->graphicName, f->graphic, &graphic, &length)) != FILE_OK) {
        Refuse(report, TILEAPPLY_FAIL_GRAPHIC, code);
    } else if (length < offset) {
        Refuse(report, TILEAPPLY_FAIL_OFFSET, FILE_OK);
    } else if (into &&
               (code = ReadInput(f->intoName, f->into, &result, &resultLength)) != FILE_OK) {
        Refuse(report, TILEAPPLY_FAIL_INTO, code);
    } else {
        const uint64_t size = mapLength * stride;
        report->tiles = (length - offset) / stride;
        report->need = offset + size;
        if (into && resultLength < offset + size) {
            Refuse(report, TILEAPPLY_FAIL_INTOSHORT, FILE_OK);
        } else if (size >= 0xFFFFFFFFu ||
                   (!into && !(result = static_cast<uint8_t*>(
                                   Mem_Alloc(static_cast<size_t>(size ? size : 1)))))) {
            Refuse(report, TILEAPPLY_FAIL_NOMEM, FILE_NOMEM);
        } else {
            if (!into) resultLength = size;
            uint8_t* at = into ? result + offset : result;
            uint32_t bad = 0;
            const uint32_t n = static_cast<uint32_t>(resultLength);
            if (!TileApply_Build(map, static_cast<uint32_t>(mapLength), graphic + offset,
                                 length - offset, stride, at, &bad)) {
                report->entry = bad + 1;
                report->tile = map[bad];
                Refuse(report, TILEAPPLY_FAIL_TILE, FILE_OK);
            } else if (f->output ? !TileMap_WriteOpen(f->output, result, n, &report->output)
                                 : !TileMap_WriteFile(f->outputName, result, n, &report->output)) {
                Refuse(report, TILEAPPLY_FAIL_OUTPUT, report->output.fileCode);
            }
        }
    }
    Mem_Free(graphic);
    Mem_Free(result);
    return report->failure == TILEAPPLY_OK ? 1 : 0;
}

} // namespace

int32_t TileApply_Run(const char* mapName, const char* graphicName, const char* outputName,
                      const char* intoName, uint32_t stride, uint64_t offset,
                      TileApplyReport* report) {
    const TileApplyFiles files = {mapName, graphicName, intoName, outputName,
                                  nullptr, nullptr,     nullptr,  nullptr};
    return TileApply_RunFiles(&files, stride, offset, report);
}

int32_t TileApply_RunFiles(const TileApplyFiles* files, uint32_t stride, uint64_t offset,
                           TileApplyReport* report) {
    memset(report, 0, sizeof *report);
    uint8_t* map = nullptr;
    uint64_t mapLength = 0;
    const uint32_t code = ReadInput(files->mapName, files->map, &map, &mapLength);
    if (code != FILE_OK) return Refuse(report, TILEAPPLY_FAIL_MAP, code);
    const int32_t done = Apply(map, mapLength, files, stride, offset, report);
    Mem_Free(map);
    return done;
}

int32_t TileApply_RunMap(const uint8_t* map, uint64_t mapLength, const char* graphicName,
                         const char* outputName, const char* intoName, uint32_t stride,
                         uint64_t offset, TileApplyReport* report) {
    memset(report, 0, sizeof *report);
    const TileApplyFiles files = {nullptr, graphicName, intoName, outputName,
                                  nullptr, nullptr,     nullptr,  nullptr};
    return Apply(map, mapLength, &files, stride, offset, report);
}
