// tilemap preview MAP PICTURE.png: one cell per map entry, showing the
// entry's number, or with --graphic the tile itself, so that the result of a
// pattern can be seen before it is used. Of the graphic only the tiles the
// map names are read, and the picture is written a row at a time.
#include "cli/preview.h"
#include "cli/args.h"
#include "cli/image.h"
#include "engine/tile.h"
#include "textlib/file.h"
#include "textlib/mem.h"
#include <chrono>
#include <cstdio>
#include <cstring>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

const char USAGE[] =
    "Usage: tilemap preview [--columns N] [--scale N] [--smallest]\n"
    "                       [--graphic GRAPHIC --tile WxH:BPP [--offset N] [--palette FILE]]\n"
    "                       MAP PICTURE.png\n"
    "Draws the tile map MAP as a PNG picture, one cell per entry, left to right and top to\n"
    "bottom. Each cell shows its tile number; an empty slot (0) is crossed out in red. With\n"
    "--graphic, each cell shows the tile itself, in grey levels or the palette's colours.\n"
    "One of MAP, the --graphic and the --palette FILE may be - for standard input; a PICTURE\n"
    "of - writes standard output.\n"
    "\n"
    "  --columns N       cells across, 1..4096 (default: the square root of the entries,\n"
    "                    rounded up)\n"
    "  --scale N         each pixel drawn N x N, 1..16 (default 1)\n"
    "  --graphic FILE    the tile graphic to show the tiles of\n"
    "  --tile WxH:BPP    its tile format (i after BPP: inverted, leftmost pixel in the low bits)\n"
    "  --offset N        where its tiles start, decimal or 0x hex (default 0)\n"
    "  --palette FILE    16 or 256 colours, three bytes (red, green, blue) each\n"
    "  --smallest        compress for the smallest file rather than for speed\n"
    "  -h, --help        show this help and exit\n"
    "MAP holds at most 2,073,600 entries. A cell of a number is 28 x 16 pixels, of a tile its\n"
    "width x height; the picture may have at most 1,000,000 pixels on a side and 1,073,741,824\n"
    "in all. A pipe or standard input is read up to 256 MiB. A picture that takes more than\n"
    "a second shows its progress on standard error when that is a terminal. Pictures are\n"
    "compressed for speed (on Linux; on Windows the Imaging Component decides), and tiles\n"
    "in grey levels with no empty slot are written as a grey picture, a byte a pixel.\n"
    "Exit status 0 when done, 1 when it failed (PICTURE unchanged), 2 for a usage error.\n";

// The largest picture: a million pixels on a side (libpng's own limit) and
// 2^30 pixels in all, which a map of the most entries drawn as numbers
// still fits at the default columns.
constexpr uint64_t PICTURE_SIDE = 1000000, PICTURE_PIXELS = uint64_t{1} << 30;
// The rows drawn at a time take about this many bytes.
constexpr uint64_t BAND_BYTES = 4u << 20;

int ReportFailure(const char* what, const char* name, const char* why) {
    fprintf(stderr, "tilemap: %s '%s'%s%s\n", what, name, why ? ": " : "", why ? why : "");
    return 1;
}

// The share of the rows drawn, on standard error when it is a terminal and
// the picture has taken more than a second; the line is ended when done.
struct Progress {
    const std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
#ifdef _WIN32
    const bool terminal = _isatty(_fileno(stderr)) != 0;
#else
    const bool terminal = isatty(STDERR_FILENO) != 0;
#endif
    bool shown = false;
    void Show(uint32_t done, uint32_t all) {
        if (!terminal || std::chrono::steady_clock::now() - start < std::chrono::seconds(1)) return;
        fprintf(stderr, "\rtilemap: drawing the picture: %3u%%",
                unsigned(uint64_t{done} * 100 / all));
        fflush(stderr);
        shown = true;
    }
    ~Progress() {
        if (shown) fprintf(stderr, "\rtilemap: drawing the picture: 100%%\n");
    }
};

// Draws the picture a band of rows at a time and hands it to the image
// library row by row. False when memory ran out or the library or the
// writer failed.
bool DrawPicture(const uint8_t* map, uint32_t n, uint32_t columns, uint32_t scale,
                 const PreviewTiles* tiles, uint32_t w, uint32_t h, ImagePng* png) {
    const uint64_t rowBytes = uint64_t{w} * 3;
    const uint32_t band = static_cast<uint32_t>(BAND_BYTES / rowBytes == 0  ? 1
                                                : BAND_BYTES / rowBytes < h ? BAND_BYTES / rowBytes
                                                                            : h);
    auto* rows = static_cast<uint8_t*>(Mem_Alloc(static_cast<size_t>(rowBytes * band)));
    auto* wide = static_cast<uint8_t*>(Mem_Alloc(static_cast<size_t>(rowBytes * scale)));
    bool ok = rows && wide;
    uint32_t bad = 0;
    Progress progress;
    for (uint32_t top = 0; ok && top < h; top += band) {
        progress.Show(top, h);
        const uint32_t count = h - top < band ? h - top : band;
        ok = Preview_DrawRows(map, n, columns, tiles, top, count, rows, &bad);
        for (uint32_t y = 0; ok && y < count; y++) {
            const uint8_t* row = rows + rowBytes * y;
            if (scale > 1) Preview_ScaleRow(row, w, scale, wide);
            for (uint32_t i = 0; ok && i < scale; i++)
                ok = Image_PngRow(png, scale > 1 ? wide : row);
        }
    }
    Mem_Free(rows);
    Mem_Free(wide);
    return ok;
}

// Writes the picture of the map to out, or else the file name; the exit status.
int Picture(const uint8_t* map, uint32_t n, uint32_t columns, uint32_t scale,
            const PreviewTiles* tiles, uint32_t flags, FileHandle* out, const std::string& name,
            const char* shown) {
    if (columns == 0) columns = Preview_DefaultColumns(n);
    uint32_t w = 0, h = 0;
    Preview_Size(n, columns, tiles, &w, &h);
    const uint64_t width = uint64_t{w} * scale, height = uint64_t{h} * scale;
    if (width > PICTURE_SIDE || height > PICTURE_SIDE || width * height > PICTURE_PIXELS) {
        fprintf(stderr,
                "tilemap: the picture would be %llu x %llu pixels; it may have at most "
                "1,000,000 on a side and 1,073,741,824 in all\n",
                static_cast<unsigned long long>(width), static_cast<unsigned long long>(height));
        return 1;
    }
    TileMapReport report;
    TileMapWriter* writer = TileMap_WriterOpen(name.c_str(), out, &report);
    if (!writer) {
        Args_ReportOutput(report, shown);
        return 1;
    }
    ImagePng* png =
        Image_PngStart(writer, static_cast<uint32_t>(width), static_cast<uint32_t>(height), flags);
    const bool drawn = png && DrawPicture(map, n, columns, scale, tiles, w, h, png);
    const bool ended = Image_PngEnd(png) && drawn;
    // A write that failed is the writer's to tell; anything else the library's.
    if (!ended && TileMap_WriterPut(writer, nullptr, 0)) {
        TileMap_WriterEnd(writer, false, &report);
        fprintf(stderr,
                "tilemap: the image library could not make the picture, or memory ran "
                "out; '%s' is unchanged\n",
                shown);
        return 1;
    }
    if (!TileMap_WriterEnd(writer, true, &report)) {
        Args_ReportOutput(report, shown);
        return 1;
    }
    fprintf(Args_ReportTo(out != nullptr, name), "%s written: %llu x %llu pixels, %u %s\n", shown,
            static_cast<unsigned long long>(width), static_cast<unsigned long long>(height), n,
            n == 1 ? "cell" : "cells");
    return 0;
}

} // namespace

int Preview_Main(int argc, char** argv, int first) {
    ArgOption options[] = {
        {"--columns", 0, true, nullptr, false},  {"--scale", 0, true, nullptr, false},
        {"--graphic", 0, true, nullptr, false},  {"--tile", 0, true, nullptr, false},
        {"--offset", 0, true, nullptr, false},   {"--palette", 0, true, nullptr, false},
        {"--smallest", 0, false, nullptr, false}};
    const char* files[2];
    int fileCount = 0;
    int status = Args_Parse(argc, argv, first, options, 7, files, 2, &fileCount, USAGE);
    if (status >= 0) return status;
    if (fileCount < 2) return Args_UsageError("preview needs the map and the picture", nullptr);
    uint64_t columns = 0, scale = 1;
    if (options[0].value &&
        (status = Args_NumberOption("the columns", options[0].value, 1, 4096, true, &columns)) >= 0)
        return status;
    if (options[1].value &&
        (status = Args_NumberOption("the scale", options[1].value, 1, 16, true, &scale)) >= 0)
        return status;
    if (!options[2].value != !options[3].value)
        return Args_UsageError("--graphic and --tile go together", nullptr);
    if (options[5].value && !options[2].value)
        return Args_UsageError("--palette needs --graphic", nullptr);
    PreviewTiles tiles = {};
    uint64_t offset = 0;
    status = Args_TileOptions(&options[3], nullptr, &options[4], &tiles.format, &offset);
    if (status >= 0) return status;

    std::string names[4];
    const char* shown[4] = {files[0], files[1], options[2].value, options[5].value};
    for (int i = 0; i < 4; i++)
        if (shown[i] && !Args_ToEngineName(shown[i], &names[i]))
            return Args_UsageError("file name too long:", shown[i]);
    const char* inputs[3] = {shown[0], shown[2], shown[3]};
    FileHandle *in, *out;
    if ((status = Args_OpenStandard(inputs, 3, shown[1], "the picture", &in, &out)) >= 0)
        return status;
    auto Open = [&](int i) { return strcmp(shown[i], "-") == 0 ? in : nullptr; };
    uint8_t *map = nullptr, *palette = nullptr;
    uint64_t count = 0, colours = 0;
    TileSpan span = {};
    uint32_t code, top = 0;
    status = 1;
    code = Tile_ReadNamed(names[0].c_str(), Open(0), TILEMAP_MAX_COUNT, &map, &count);
    for (uint64_t k = 0; k < count; k++)
        top = map[k] > top ? map[k] : top;
    if (code == FILE_TOOBIG) {
        ReportFailure("too many entries for a picture (at most 2,073,600) in the map", shown[0],
                      nullptr);
    } else if (code != FILE_OK) {
        ReportFailure("cannot read the map", shown[0], Args_FileCodeText(code));
    } else if (count == 0) {
        ReportFailure("no entries to draw in the map", shown[0], nullptr);
    } else if (shown[2] && (code = Tile_ReadTiles(names[2].c_str(), Open(2), offset,
                                                  tiles.format.stride, top, &span)) != FILE_OK) {
        ReportFailure("cannot read the graphic", shown[2], Args_FileCodeText(code));
    } else if (shown[2] && span.beforeOffset) {
        ReportFailure("the offset lies past the end of the graphic", shown[2], nullptr);
    } else if (shown[2] && span.held < top) {
        uint32_t k = 0;
        while (map[k] <= span.held)
            k++;
        fprintf(stderr, "tilemap: entry %u of the map names tile %u, past the end of '%s'\n", k + 1,
                map[k], shown[2]);
    } else if (shown[3] &&
               (code = Tile_ReadNamed(names[3].c_str(), Open(3), 768, &palette, &colours)) !=
                   FILE_OK &&
               code != FILE_TOOBIG) {
        ReportFailure("cannot read the palette", shown[3], Args_FileCodeText(code));
    } else if (shown[3] && colours != 48 && colours != 768) {
        ReportFailure("the palette must hold 16 or 256 colours of three bytes:", shown[3], nullptr);
    } else {
        tiles.graphic = span.bytes;
        tiles.length = span.held * tiles.format.stride;
        tiles.palette = palette;
        tiles.colours = static_cast<uint32_t>(colours / 3);
        // Tiles in grey levels are grey pixels but for the red cross of an empty slot.
        const bool grey = shown[2] && !palette && !memchr(map, 0, static_cast<size_t>(count));
        const uint32_t flags = (grey ? IMAGE_GREY : 0) | (options[6].seen ? IMAGE_SMALLEST : 0);
        status = Picture(map, static_cast<uint32_t>(count), static_cast<uint32_t>(columns),
                         static_cast<uint32_t>(scale), &tiles, flags, out, names[1], files[1]);
    }
    File_Close(in);
    File_Close(out);
    Mem_Free(map);
    Mem_Free(span.bytes);
    Mem_Free(palette);
    return status;
}
