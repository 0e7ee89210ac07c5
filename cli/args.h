// What the job and the verbs of the tilemap command share: option parsing
// in the command's spellings (-xVALUE, -x VALUE, --long=VALUE, --long VALUE),
// the job's own options, file names turned into the engine's UTF-8 and back,
// the wording of file codes.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

struct ArgOption {
    const char* name; // "--long"
    char letter;      // 0: no short spelling
    bool takesValue;
    const char* value; // the last value given, or null
    bool seen;
    // Acts on the option as soon as it is given, before the arguments after
    // it are looked at (null: it is only marked above). Returns -1 to go on,
    // else the exit status to end with.
    int (*given)(const ArgOption& option, void* into) = nullptr;
    void* into = nullptr;
};

// Parses argv[first..] against options; up to maxFiles names land in files.
// Returns -1 to go on, or the exit status to end with: 0 after --help
// (usage printed), 2 after a usage error (printed with the hint), or what
// an option's given returned.
int Args_Parse(int argc, char** argv, int first, ArgOption* options, int count, const char** files,
               int maxFiles, int* fileCount, const char* usage);
struct TileMapJob;
// The job's own options, which begin the option tables of the job and of
// check: -i/--inputs N and -o/--outputs N (counts 1..TILEMAP_MAX_COUNT),
// -m/--method import|undo.
enum { ARGS_INPUTS, ARGS_OUTPUTS, ARGS_METHOD, ARGS_JOB_OPTIONS };
// Fills rows[0..ARGS_JOB_OPTIONS). With readInto, each value is read into
// that job as it is given; else Args_ReadJobOptions reads them afterwards.
void Args_JobOptions(ArgOption* rows, TileMapJob* readInto);
// Reads the values given in rows[0..ARGS_JOB_OPTIONS) into job, in that
// order. Returns -1 when they are fine, else 2 after a usage error.
int Args_ReadJobOptions(const ArgOption* rows, TileMapJob* job);
// Names the verb being run (the job itself: ""), whose --help the hint of a
// usage error points to.
void Args_SetVerb(const char* verb);
// Prints "tilemap: WHAT 'DETAIL'" and the hint; returns 2.
int Args_UsageError(const char* what, const char* detail);
// How Args_Number read a text.
enum ArgsNumber {
    ARGS_NUMBER_OK,
    ARGS_NOT_A_NUMBER,
    ARGS_NEGATIVE,
    ARGS_TOO_SMALL,
    ARGS_TOO_LARGE
};
// A number in min..max, decimal or, with hex, 0x hexadecimal, of any
// length; a minus sign before one above 0 makes it ARGS_NEGATIVE.
ArgsNumber Args_Number(const char* text, uint64_t min, uint64_t max, bool hex, uint64_t* value);
// Reads the value of a numeric option (what: "the offset") with
// Args_Number. Returns -1 when it is fine, else 2 after a usage error that
// says why.
int Args_NumberOption(const char* what, const char* text, uint64_t min, uint64_t max, bool hex,
                      uint64_t* value);
struct FileHandle;
// Opens standard input for the one of count input operands that is "-"
// (*in, else null) and standard output for an output operand of "-" (*out,
// else null; output may be null); what names the output ("the map") for the
// refusal of a terminal. Close both with File_Close. Returns -1 to go on, 2
// after a usage error (two inputs of "-", a terminal for the output), or 1
// when a stream cannot be used (printed).
int Args_OpenStandard(const char* const* inputs, int count, const char* output, const char* what,
                      FileHandle** in, FileHandle** out);
// Where a verb says what it wrote: standard error when the data went to
// standard output (toStdout: given as -, or output names it), else
// standard output.
FILE* Args_ReportTo(bool toStdout, const std::string& output);
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
