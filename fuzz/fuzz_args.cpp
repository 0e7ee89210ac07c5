// Fuzz target: the verbs' option parsing and tile formats on arguments cut
// from the fuzzer's bytes at each NUL. Aborts when a number read is outside
// its range or does not read back the same in decimal and in hexadecimal,
// when a tile format read does not hold what it says or does not read back
// the same, or when the options parsed are not those given.
#include "cli/args.h"
#include "engine/tile.h"
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void Expect(bool holds, const char* what) {
    if (!holds) {
        fprintf(stderr, "fuzz_args: %s\n", what);
        abort();
    }
}

void CheckNumber(const char* text, uint64_t max) {
    for (bool hex : {false, true}) {
        uint64_t value = 0, again = 0;
        if (Args_Number(text, 1, max, hex, &value) != ARGS_NUMBER_OK) continue;
        Expect(value >= 1 && value <= max, "a number outside its range");
        char spelled[32];
        snprintf(spelled, sizeof spelled, hex ? "0x%" PRIx64 : "%" PRIu64, value);
        Expect(Args_Number(spelled, 1, max, hex, &again) == ARGS_NUMBER_OK && again == value,
               "a number that does not read back");
    }
}

void CheckFormat(const char* text) {
    TileFormat f;
    if (!Tile_ParseFormat(text, &f)) return;
    const uint32_t bpp = f.bitsPerPixel;
    Expect(f.width >= 1 && f.width <= 64 && f.height >= 1 && f.height <= 64, "a side past 1..64");
    Expect(bpp == 1 || bpp == 2 || bpp == 3 || bpp == 4 || bpp == 8, "no such depth");
    Expect(f.tileBytes * 8 >= uint32_t{f.width} * f.height * bpp && f.stride >= f.tileBytes &&
               (bpp != 3 || f.stride % 3 == 0),
           "a tile that does not hold its pixels");
    char spelled[32];
    snprintf(spelled, sizeof spelled, "%ux%u:%u%s", f.width, f.height, bpp,
             Tile_IsInverted(&f) ? "i" : "");
    TileFormat again;
    Expect(Tile_ParseFormat(spelled, &again) && memcmp(&again, &f, sizeof f) == 0,
           "a format that does not read back");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    std::vector<std::string> words(1, "tilemap");
    for (size_t i = 0, start = 0; i <= size; i++)
        if (i == size || data[i] == 0) {
            words.emplace_back(reinterpret_cast<const char*>(data) + start, i - start);
            start = i + 1;
        }
    std::vector<char*> argv;
    for (std::string& w : words) {
        argv.push_back(&w[0]);
        CheckNumber(w.c_str(), 65535);
        CheckNumber(w.c_str(), UINT64_MAX / 2);
        CheckFormat(w.c_str());
    }
    ArgOption options[] = {{"--tile", 0, true, nullptr, false},
                           {"--tile-bytes", 0, true, nullptr, false},
                           {"--offset", 0, true, nullptr, false},
                           {"--quiet", 'q', false, nullptr, false}};
    const char* files[3];
    int count = 0;
    // Help and usage errors are printed; only what they return is checked.
    const int status =
        Args_Parse(static_cast<int>(argv.size()), argv.data(), 1, options, 4, files, 3, &count, "");
    Expect(status == -1 || status == 0 || status == 2, "a status of no meaning");
    if (status != -1) return 0;
    Expect(count >= 0 && count <= 3, "more names than room");
    for (const ArgOption& o : options)
        Expect(!o.value || (o.takesValue && o.seen), "a value for an option not given");
    TileFormat format = {};
    uint64_t offset = 0;
    if (!options[0].value || !options[1].value)
        Args_TileOptions(&options[0], &options[1], &options[2], &format, &offset);
    return 0;
}
