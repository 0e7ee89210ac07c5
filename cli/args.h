// What the verbs of the tilemap command share: option parsing in the
// command's spellings (-xVALUE, -x VALUE, --long=VALUE, --long VALUE), file
// names turned into the engine's UTF-8 and back, the wording of file codes.
#pragma once
#include <cstdint>
#include <string>

struct ArgOption {
    const char* name; // "--long"
    char letter;      // 0: no short spelling
    bool takesValue;
    const char* value; // the last value given, or null
    bool seen;
};

// Parses argv[first..] against options; up to maxFiles names land in files.
// Returns -1 to go on, or the exit status to end with: 0 after --help
// (usage printed), 2 after a usage error (printed with the hint).
int Args_Parse(int argc, char** argv, int first, ArgOption* options, int count, const char** files,
               int maxFiles, int* fileCount, const char* usage);
// Prints "tilemap: WHAT 'DETAIL'" and the hint; returns 2.
int Args_UsageError(const char* what, const char* detail);
// A number in min..max, decimal or 0x hexadecimal.
bool Args_Number(const char* text, uint64_t min, uint64_t max, uint64_t* value);
// The file layer's code in words.
const char* Args_FileCodeText(uint32_t code);
// A command-line name in the engine's UTF-8 (from the ANSI code page on Windows).
bool Args_ToEngineName(const char* arg, std::string* name);
// A name from the engine as the command line shows it.
const char* Args_Shown(const char* utf8);
struct TileMapReport;
// Tells why an output could not be written (a failure of TileMap_WriteFile).
void Args_ReportOutput(const TileMapReport& report, const char* output);
// Reads the tile format options: --tile WxH:BPP or, when format may be
// bytes only, --tile-bytes N; and --offset N. Returns -1 when they are fine,
// else 2 after a usage error.
struct TileFormat;
int Args_TileOptions(const ArgOption* tile, const ArgOption* bytes, const ArgOption* offset,
                     TileFormat* format, uint64_t* offsetValue);
