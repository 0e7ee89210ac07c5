// tilemap apply MAP GRAPHIC OUTPUT: output tile k is tile map[k] of the
// graphic, so a forward map puts tiles in their new order and the undo map
// of the same pattern puts them back.
#include "cli/apply.h"
#include "cli/args.h"
#include "engine/tile.h"
#include "textlib/file.h"
#include <cstdio>
#include <cstring>

namespace {

const char USAGE[] =
    "Usage: tilemap apply (--tile WxH:BPP | --tile-bytes N) [--offset N] [--into FILE]\n"
    "                     MAP GRAPHIC OUTPUT\n"
    "Writes OUTPUT with the tiles of GRAPHIC in the order of the tile map MAP: output tile k\n"
    "is input tile MAP[k] (counting from 1; 0 gives a tile of zero bytes). Applied with the\n"
    "undo map of the same pattern, it puts the tiles back. One of MAP, GRAPHIC and the --into\n"
    "FILE may be - for standard input; an OUTPUT of - writes standard output.\n"
    "\n"
    "  --tile WxH:BPP    the tile format: width and height 1..64, 1, 2, 3, 4 or 8 bits per\n"
    "                    pixel (i after BPP: inverted); a 3-bit tile takes a multiple of 3 bytes\n"
    "  --tile-bytes N    or the bytes each tile takes, 1..65535\n"
    "  --offset N        where the tiles start in GRAPHIC, decimal or 0x hex (default 0)\n"
    "  --into FILE       write the tiles at the offset into a copy of FILE instead\n"
    "  -h, --help        show this help and exit\n"
    "MAP holds at most 2,073,600 entries; a pipe or standard input is read up to 256 MiB.\n"
    "Exit status 0 when done, 1 when refused or failed (OUTPUT unchanged), 2 for a usage error.\n";

int Fail(const TileApplyReport& r, const char* const names[4], uint64_t offset) {
    switch (r.failure) {
    case TILEAPPLY_FAIL_MAP:
    case TILEAPPLY_FAIL_GRAPHIC:
    case TILEAPPLY_FAIL_INTO: {
        static const char* const WHAT[] = {"", "map", "graphic", "file to write into"};
        const int i = r.failure == TILEAPPLY_FAIL_INTO ? 3 : r.failure;
        fprintf(stderr, "tilemap: cannot read the %s '%s': %s\n", WHAT[i],
                names[r.failure == TILEAPPLY_FAIL_INTO ? 3 : r.failure - 1],
                Args_FileCodeText(r.fileCode));
        break;
    }
    case TILEAPPLY_FAIL_MAPLONG:
        fprintf(stderr, "tilemap: the map '%s' has too many entries: at most 2,073,600\n",
                names[0]);
        break;
    case TILEAPPLY_FAIL_OFFSET:
        fprintf(stderr, "tilemap: the graphic '%s' is shorter than the offset %llu\n", names[1],
                static_cast<unsigned long long>(offset));
        break;
    case TILEAPPLY_FAIL_TILE:
        fprintf(stderr,
                "tilemap: entry %u of the map '%s' names tile %u, but the graphic '%s' holds "
                "%llu %s from the offset\n",
                r.entry, names[0], r.tile, names[1], static_cast<unsigned long long>(r.tiles),
                r.tiles == 1 ? "tile" : "tiles");
        break;
    case TILEAPPLY_FAIL_INTOSHORT:
        fprintf(stderr, "tilemap: the file '%s' is too short for the result: it needs %llu bytes\n",
                names[3], static_cast<unsigned long long>(r.need));
        break;
    case TILEAPPLY_FAIL_OUTPUT: Args_ReportOutput(r.output, names[2]); break;
    default: fprintf(stderr, "tilemap: out of memory; '%s' is unchanged\n", names[2]); break;
    }
    return 1;
}

} // namespace

int Apply_Main(int argc, char** argv, int first) {
    ArgOption options[] = {{"--tile", 0, true, nullptr, false},
                           {"--tile-bytes", 0, true, nullptr, false},
                           {"--offset", 0, true, nullptr, false},
                           {"--into", 0, true, nullptr, false}};
    const char* files[3];
    int fileCount = 0;
    int status = Args_Parse(argc, argv, first, options, 4, files, 3, &fileCount, USAGE);
    if (status >= 0) return status;
    if (fileCount < 3)
        return Args_UsageError("apply needs the map, the graphic and the output file", nullptr);
    if (!options[0].value && !options[1].value)
        return Args_UsageError("apply needs the tile format: --tile or --tile-bytes", nullptr);
    if (options[0].value && options[1].value)
        return Args_UsageError("only one of --tile and --tile-bytes may be given", nullptr);
    TileFormat format = {};
    uint64_t offset = 0;
    status = Args_TileOptions(&options[0], &options[1], &options[2], &format, &offset);
    if (status >= 0) return status;
    std::string names[4];
    const char* shown[4] = {files[0], files[1], files[2], options[3].value};
    for (int i = 0; i < 4; i++)
        if (shown[i] && !Args_ToEngineName(shown[i], &names[i]))
            return Args_UsageError("file name too long:", shown[i]);
    const char* inputs[3] = {shown[0], shown[1], shown[3]};
    FileHandle *in, *out;
    if ((status = Args_OpenStandard(inputs, 3, shown[2], "the tiles", &in, &out)) >= 0)
        return status;
    auto Dash = [&](int i) { return shown[i] && strcmp(shown[i], "-") == 0; };
    const TileApplyFiles f = {names[0].c_str(),
                              names[1].c_str(),
                              shown[3] ? names[3].c_str() : nullptr,
                              names[2].c_str(),
                              Dash(0) ? in : nullptr,
                              Dash(1) ? in : nullptr,
                              Dash(3) ? in : nullptr,
                              out};
    TileApplyReport report;
    const int32_t done = TileApply_RunFiles(&f, format.stride, offset, &report);
    File_Close(in);
    File_Close(out);
    if (!done) return Fail(report, shown, offset);
    const unsigned long long tiles = (report.need - offset) / format.stride;
    fprintf(Args_ReportTo(Dash(2), names[2]), "%s written: %llu %s of %u %s\n", files[2], tiles,
            tiles == 1 ? "tile" : "tiles", static_cast<unsigned>(format.stride),
            format.stride == 1 ? "byte" : "bytes");
    return 0;
}
