// tilemap preview MAP PICTURE.png: one cell per map entry, showing the
// entry's number, or with --graphic the tile itself, so that the result of a
// pattern can be seen before it is used.
#include "cli/preview.h"
#include "cli/args.h"
#include "cli/image.h"
#include "engine/tile.h"
#include "textlib/file.h"
#include "textlib/mem.h"
#include <cstdio>
#include <cstring>

namespace {

const char USAGE[] =
    "Usage: tilemap preview [--columns N] [--scale N]\n"
    "                       [--graphic GRAPHIC --tile WxH:BPP [--offset N] [--palette FILE]]\n"
    "                       MAP PICTURE.png\n"
    "Draws the tile map MAP as a PNG picture, one cell per entry, left to right and top to\n"
    "bottom. Each cell shows its tile number; an empty slot (0) is crossed out in red. With\n"
    "--graphic, each cell shows the tile itself, in grey levels or the palette's colours.\n"
    "One of MAP, the --graphic and the --palette FILE may be - for standard input; a PICTURE\n"
    "of - writes standard output.\n"
    "\n"
    "  --columns N       cells across (default: the square root of the entries, rounded up)\n"
    "  --scale N         each pixel drawn N x N, 1..16 (default 1)\n"
    "  --graphic FILE    the tile graphic to show the tiles of\n"
    "  --tile WxH:BPP    its tile format (i after BPP: inverted, leftmost pixel in the low bits)\n"
    "  --offset N        where its tiles start, decimal or 0x hex (default 0)\n"
    "  --palette FILE    16 or 256 colours, three bytes (red, green, blue) each\n"
    "  --help            show this help and exit\n"
    "Exit status 0 when done, 1 when it failed (PICTURE unchanged), 2 for a usage error.\n";

int Failed(const char* what, const char* name, const char* why) {
    fprintf(stderr, "tilemap: %s '%s'%s%s\n", what, name, why ? ": " : "", why ? why : "");
    return 1;
}

} // namespace

int Preview_Main(int argc, char** argv, int first) {
    ArgOption options[] = {
        {"--columns", 0, true, nullptr, false}, {"--scale", 0, true, nullptr, false},
        {"--graphic", 0, true, nullptr, false}, {"--tile", 0, true, nullptr, false},
        {"--offset", 0, true, nullptr, false},  {"--palette", 0, true, nullptr, false}};
    const char* files[2];
    int fileCount = 0;
    int status = Args_Parse(argc, argv, first, options, 6, files, 2, &fileCount, USAGE);
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
    auto Read = [&](int i, uint8_t** bytes, uint64_t* length) {
        return strcmp(shown[i], "-") == 0 ? Tile_ReadOpen(in, 0, bytes, length)
                                          : Tile_ReadFile(names[i].c_str(), bytes, length);
    };
    uint8_t *map = nullptr, *graphic = nullptr, *palette = nullptr, *png = nullptr;
    uint64_t count = 0, length = 0, colours = 0;
    PreviewImage image = {0, 0, nullptr};
    uint32_t code, bad = UINT32_MAX, pngLength = 0;
    status = 1;
    if ((code = Read(0, &map, &count)) != FILE_OK) {
        Failed("cannot read the map", shown[0], Args_FileCodeText(code));
    } else if (count == 0 || count > TILEMAP_MAX_COUNT) {
        Failed("the map has no entries, or too many:", shown[0], nullptr);
    } else if (shown[2] && (code = Read(2, &graphic, &length)) != FILE_OK) {
        Failed("cannot read the graphic", shown[2], Args_FileCodeText(code));
    } else if (shown[2] && length < offset) {
        Failed("the offset lies past the end of the graphic", shown[2], nullptr);
    } else if (shown[3] && (code = Read(3, &palette, &colours)) != FILE_OK) {
        Failed("cannot read the palette", shown[3], Args_FileCodeText(code));
    } else if (shown[3] && colours != 48 && colours != 768) {
        Failed("the palette must hold 16 or 256 colours of three bytes:", shown[3], nullptr);
    } else {
        tiles.graphic = graphic ? graphic + offset : nullptr;
        tiles.length = length - offset;
        tiles.palette = palette;
        tiles.colours = static_cast<uint32_t>(colours / 3);
        const uint32_t n = static_cast<uint32_t>(count);
        if (!Preview_Draw(map, n,
                          columns ? static_cast<uint32_t>(columns) : Preview_DefaultColumns(n),
                          static_cast<uint32_t>(scale), &tiles, &image, &bad)) {
            if (bad < n)
                fprintf(stderr,
                        "tilemap: entry %u of the map names tile %u, past the end of '%s'\n",
                        bad + 1, map[bad], shown[2]);
            else
                fprintf(stderr, "tilemap: the picture is too large, or memory ran out\n");
        } else if (!Image_EncodePng(&image, &png, &pngLength)) {
            fprintf(stderr, "tilemap: the image library could not make the picture\n");
        } else {
            TileMapReport report;
            if (out ? TileMap_WriteOpen(out, png, pngLength, &report)
                    : TileMap_WriteFile(names[1].c_str(), png, pngLength, &report)) {
                fprintf(Args_ReportTo(out != nullptr, names[1]),
                        "%s written: %u x %u pixels, %u cells\n", files[1], image.width,
                        image.height, n);
                status = 0;
            } else {
                Args_ReportOutput(report, files[1]);
            }
        }
    }
    File_Close(in);
    File_Close(out);
    Mem_Free(map);
    Mem_Free(graphic);
    Mem_Free(palette);
    Mem_Free(png);
    Mem_Free(image.rgb);
    return status;
}
