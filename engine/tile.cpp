// Tile formats, tile pixels and the application of a map to a graphic. Of
// the graphic only the tiles the map names are held, and the result is
// written as it is made; everything that can refuse the work is checked
// before the output is touched, and a failure while writing leaves the
// output as it was, so a refused or failed application writes nothing.
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

// Writes failure and its file code into report; returns 0, the tiles written.
int32_t Fail(TileApplyReport* report, TileApplyFailure failure, uint32_t code) {
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

uint32_t Tile_ReadFile(const char* name, uint8_t** bytes, uint64_t* length) {
    return Tile_ReadNamed(name, nullptr, 0xFFFFFFFEu, bytes, length);
}

uint32_t Tile_ReadOpen(FileHandle* file, uint64_t size, uint8_t** bytes, uint64_t* length) {
    return Tile_ReadPart(file, size, 0xFFFFFFFEu, bytes, length);
}

uint32_t Tile_ReadPart(FileHandle* file, uint64_t size, uint64_t limit, uint8_t** bytes,
                       uint64_t* length) {
    *bytes = nullptr;
    *length = 0;
    uint8_t* data = nullptr;
    uint32_t code = FILE_OK, done = 0;
    uint64_t at = 0;
    if (File_IsSeekable(file)) {
        if (size > limit) return FILE_TOOBIG;
        data = static_cast<uint8_t*>(Mem_Alloc(static_cast<size_t>(size ? size : 1)));
        if (!data) return FILE_NOMEM;
        for (; code == FILE_OK && at < size; at += done) {
            code = File_ReadAt(file, data + at, at, static_cast<uint32_t>(size - at), &done);
            if (code == FILE_OK && done == 0) size = at; // the file shrank meanwhile
        }
    } else {
        // Its length is known at its end only: blocks go into a buffer that
        // doubles as it fills, until a read falls short; a byte past the
        // limit tells one that is too long.
        constexpr uint32_t BLOCK = 65536;
        const uint64_t most = (limit < TILE_STREAM_LIMIT ? limit : TILE_STREAM_LIMIT) + 1;
        int32_t capacity = 0;
        do {
            const uint32_t n = most - at < BLOCK ? static_cast<uint32_t>(most - at) : BLOCK;
            if (!Mem_Grow(&data, &capacity, static_cast<int32_t>(at), at + n, BLOCK,
                          static_cast<int32_t>(most + BLOCK))) {
                code = FILE_NOMEM;
            } else if ((code = File_ReadAt(file, data + at, at, n, &done)) == FILE_OK) {
                at += done;
            }
        } while (code == FILE_OK && done > 0 && at < most);
        if (code == FILE_OK && at == most) code = FILE_TOOBIG;
    }
    if (code != FILE_OK) {
        Mem_Free(data);
        return code;
    }
    *bytes = data;
    *length = at;
    return FILE_OK;
}

uint32_t Tile_ReadNamed(const char* name, FileHandle* file, uint64_t limit, uint8_t** bytes,
                        uint64_t* length) {
    *bytes = nullptr;
    *length = 0;
    if (file) return Tile_ReadPart(file, 0, limit, bytes, length);
    uint64_t size = 0;
    uint32_t code = File_Open(name, FILE_READ | FILE_NODEVICE, &file, &size);
    if (code != FILE_OK) return code;
    code = Tile_ReadPart(file, size, limit, bytes, length);
    File_Close(file);
    return code;
}

namespace {

// An input read where it lies: a file at any position, a stream in order
// only, what lies before a position read and dropped, and never past
// TILE_STREAM_LIMIT, so that an endless one cannot hold the reader.
struct Input {
    FileHandle* file;
    bool owned;
    bool seekable;
    uint64_t size; // a file's size when it was opened
    uint64_t at;   // how far a stream has been read
};

uint32_t OpenInput(const char* name, FileHandle* given, Input* in) {
    *in = Input{given, false, false, 0, 0};
    if (!given) {
        const uint32_t code = File_Open(name, FILE_READ | FILE_NODEVICE, &in->file, &in->size);
        if (code != FILE_OK) return code;
        in->owned = true;
    }
    in->seekable = File_IsSeekable(in->file);
    return FILE_OK;
}

void CloseInput(Input* in) {
    if (in->owned) File_Close(in->file);
    in->file = nullptr;
}

// Reads count bytes from offset into buffer; *got is less only at the end.
uint32_t ReadInput(Input* in, uint64_t offset, uint8_t* buffer, uint32_t count, uint32_t* got) {
    *got = 0;
    uint32_t code = FILE_OK, done = 1;
    if (!in->seekable) {
        uint8_t drop[4096];
        while (code == FILE_OK && done > 0 && in->at < offset && in->at <= TILE_STREAM_LIMIT) {
            const uint64_t n = offset - in->at < sizeof drop ? offset - in->at : sizeof drop;
            code = File_ReadAt(in->file, drop, in->at, static_cast<uint32_t>(n), &done);
            in->at += done;
        }
        if (code == FILE_OK && in->at > TILE_STREAM_LIMIT) return FILE_TOOBIG;
        if (code != FILE_OK || in->at < offset) return code; // it ended before offset
    }
    while (code == FILE_OK && *got < count) {
        code = File_ReadAt(in->file, buffer + *got, offset + *got, count - *got, &done);
        if (code != FILE_OK || done == 0) break;
        *got += done;
        if (!in->seekable && (in->at += done) > TILE_STREAM_LIMIT) return FILE_TOOBIG;
    }
    return code;
}

} // namespace

uint32_t Tile_ReadTiles(const char* name, FileHandle* file, uint64_t offset, uint32_t stride,
                        uint32_t count, TileSpan* span) {
    *span = TileSpan{nullptr, 0, 0, false};
    Input in;
    uint32_t code = OpenInput(name, file, &in);
    if (code != FILE_OK) return code;
    const uint64_t want = static_cast<uint64_t>(count) * stride;
    uint32_t got = 0;
    if (in.seekable && in.size < offset) {
        span->beforeOffset = true;
    } else if (!(span->bytes = static_cast<uint8_t*>(Mem_Alloc(static_cast<size_t>(want + 1))))) {
        code = FILE_NOMEM;
    } else if ((code = ReadInput(&in, offset, span->bytes, static_cast<uint32_t>(want), &got)) ==
               FILE_OK) {
        span->beforeOffset = !in.seekable && in.at < offset;
        span->held = stride ? got / stride : 0;
        span->tiles = in.seekable && stride ? (in.size - offset) / stride : span->held;
    }
    CloseInput(&in);
    if (code != FILE_OK) {
        Mem_Free(span->bytes);
        span->bytes = nullptr;
    }
    return code;
}

namespace {

// The file to write into, as a file that can be read anywhere: a stream
// is first copied to a scratch file, since its length must be known before
// the first byte of the result is written.
uint32_t OpenInto(const TileApplyFiles* f, Input* into) {
    uint32_t code = OpenInput(f->intoName, f->into, into);
    if (code != FILE_OK || into->seekable) return code;
    FileHandle* scratch = nullptr;
    if ((code = File_OpenScratch(&scratch)) != FILE_OK) return CloseInput(into), code;
    uint8_t* block = static_cast<uint8_t*>(Mem_Alloc(65536));
    uint64_t at = 0;
    uint32_t got = 0;
    if (!block) code = FILE_NOMEM;
    while (code == FILE_OK && (code = ReadInput(into, at, block, 65536, &got)) == FILE_OK &&
           got > 0) {
        uint32_t done = 0;
        code = File_WriteAt(scratch, block, at, got, &done);
        if (code == FILE_OK && done < got) code = FILE_ERROR;
        at += got;
    }
    Mem_Free(block);
    CloseInput(into);
    if (code != FILE_OK) return File_Close(scratch), code;
    *into = Input{scratch, true, true, at, 0};
    return FILE_OK;
}

// Copies the bytes from..to of the file to write into to the result.
bool CopyInto(Input* into, uint64_t from, uint64_t to, uint8_t* block, TileMapWriter* writer) {
    while (from < to) {
        const uint32_t n = to - from < 65536 ? static_cast<uint32_t>(to - from) : 65536;
        uint32_t got = 0;
        if (ReadInput(into, from, block, n, &got) != FILE_OK || got < n) return false;
        if (!TileMap_WriterPut(writer, block, n)) return true; // the end tells why
        from += n;
    }
    return true;
}

// Writes the result: the map's tiles, from span, or at offset in a copy of
// into. FILE_ERROR when the file to write into could not be read whole.
uint32_t WriteResult(const uint8_t* map, uint64_t mapLength, const TileSpan* span, uint32_t stride,
                     Input* into, uint64_t offset, TileMapWriter* writer) {
    uint8_t* block = static_cast<uint8_t*>(Mem_AllocZero(65536 + stride));
    if (!block) return FILE_NOMEM;
    const uint8_t* zeros = block + 65536;
    bool read = !into->file || CopyInto(into, 0, offset, block, writer);
    for (uint64_t k = 0; read && k < mapLength; k++) {
        const uint32_t t = map[k];
        if (!TileMap_WriterPut(writer, t ? span->bytes + (t - 1) * uint64_t{stride} : zeros,
                               stride))
            break;
    }
    if (read && into->file)
        read = CopyInto(into, offset + mapLength * stride, into->size, block, writer);
    Mem_Free(block);
    return read ? FILE_OK : FILE_ERROR;
}

int32_t Apply(const uint8_t* map, uint64_t mapLength, const TileApplyFiles* f, uint32_t stride,
              uint64_t offset, TileApplyReport* report) {
    if (mapLength > static_cast<uint64_t>(TILEMAP_MAX_COUNT))
        return Fail(report, TILEAPPLY_FAIL_MAPLONG, FILE_OK);
    // Only the tiles the map names are held: up to its highest entry.
    uint32_t top = 0;
    for (uint64_t k = 0; k < mapLength; k++)
        top = map[k] > top ? map[k] : top;
    TileSpan span;
    Input into = {};
    TileMapWriter* writer = nullptr;
    uint32_t code;
    const bool intoGiven = f->intoName || f->into;
    report->need = offset + mapLength * stride;
    if ((code = Tile_ReadTiles(f->graphicName, f->graphic, offset, stride, top, &span)) !=
        FILE_OK) {
        Fail(report, code == FILE_NOMEM ? TILEAPPLY_FAIL_NOMEM : TILEAPPLY_FAIL_GRAPHIC, code);
    } else if (span.beforeOffset) {
        Fail(report, TILEAPPLY_FAIL_OFFSET, FILE_OK);
    } else if (report->tiles = span.tiles, span.held < top) {
        for (uint64_t k = 0; k < mapLength; k++)
            if (map[k] > span.held) {
                report->entry = static_cast<uint32_t>(k + 1);
                report->tile = map[k];
                break;
            }
        Fail(report, TILEAPPLY_FAIL_TILE, FILE_OK);
    } else if (!(writer = TileMap_WriterOpen(f->outputName, f->output, &report->output))) {
        Fail(report, TILEAPPLY_FAIL_OUTPUT, report->output.fileCode);
    } else {
        // The file to write into may be the output itself: it is opened only
        // once the output is known to be writable, and closed before the
        // result takes its place.
        bool written = false;
        if (intoGiven && (code = OpenInto(f, &into)) != FILE_OK)
            Fail(report, code == FILE_NOMEM ? TILEAPPLY_FAIL_NOMEM : TILEAPPLY_FAIL_INTO, code);
        else if (intoGiven && into.size < report->need)
            Fail(report, TILEAPPLY_FAIL_INTOSHORT, FILE_OK);
        else if ((code = WriteResult(map, mapLength, &span, stride, &into, offset, writer)) ==
                 FILE_OK)
            written = true;
        else // out of memory, or it shrank while it was read
            Fail(report, code == FILE_NOMEM ? TILEAPPLY_FAIL_NOMEM : TILEAPPLY_FAIL_INTO, code);
        CloseInput(&into);
        if (!TileMap_WriterEnd(writer, written, &report->output) && written)
            Fail(report, TILEAPPLY_FAIL_OUTPUT, report->output.fileCode);
    }
    CloseInput(&into);
    Mem_Free(span.bytes);
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
    const uint32_t code =
        Tile_ReadNamed(files->mapName, files->map, TILEMAP_MAX_COUNT, &map, &mapLength);
    if (code == FILE_TOOBIG) return Fail(report, TILEAPPLY_FAIL_MAPLONG, code);
    if (code != FILE_OK) return Fail(report, TILEAPPLY_FAIL_MAP, code);
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
