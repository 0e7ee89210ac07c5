// Option parsing and names for the job and the verbs of the tilemap command.
#include "cli/args.h"
#include "engine/tile.h"
#include "textlib/conv.h"
#include "textlib/file.h"
#include <cstdio>
#include <cstring>

namespace {

// The verb being run ("" for the job itself), whose help a usage error
// points to.
const char* verbRun = "";

// A count of the job's inputs or outputs (what: "the input count").
int ReadCount(const char* what, const char* text, int32_t* count) {
    uint64_t v = 0;
    const int status = Args_NumberOption(what, text, 1, TILEMAP_MAX_COUNT, false, &v);
    if (status < 0) *count = static_cast<int32_t>(v);
    return status;
}

int ReadJobOption(const ArgOption& option, void* into) {
    TileMapJob* job = static_cast<TileMapJob*>(into);
    switch (option.letter) {
    case 'i': return ReadCount("the input count", option.value, &job->inputCount);
    case 'o': return ReadCount("the output count", option.value, &job->outputCount);
    default:
        if (strcmp(option.value, "import") == 0)
            job->method = EFFECT_MAP_IMPORT;
        else if (strcmp(option.value, "undo") == 0)
            job->method = EFFECT_MAP_UNDO;
        else
            return Args_UsageError("the method must be import or undo, not", option.value);
        return -1;
    }
}

} // namespace

void Args_SetVerb(const char* verb) {
    verbRun = verb;
}

int Args_UsageError(const char* what, const char* detail) {
    fprintf(stderr, "tilemap: %s%s%s%s\nTry 'tilemap %s%s--help' for more information.\n", what,
            detail ? " '" : "", detail ? detail : "", detail ? "'" : "", verbRun,
            *verbRun ? " " : "");
    return 2;
}

int Args_Parse(int argc, char** argv, int first, ArgOption* options, int count, const char** files,
               int maxFiles, int* fileCount, const char* usage) {
    bool optionsEnd = false;
    *fileCount = 0;
    for (int i = first; i < argc; i++) {
        const char* arg = argv[i];
        if (optionsEnd || arg[0] != '-' || arg[1] == 0) {
            if (*fileCount == maxFiles) return Args_UsageError("too many file names:", arg);
            files[(*fileCount)++] = arg;
            continue;
        }
        if (strcmp(arg, "--") == 0) {
            optionsEnd = true;
            continue;
        }
        if (strcmp(arg, "--help") == 0 || strcmp(arg, "-h") == 0) {
            fputs(usage, stdout);
            return 0;
        }
        ArgOption* found = nullptr;
        const char* value = nullptr;
        for (int k = 0; k < count; k++) {
            ArgOption* o = &options[k];
            const size_t n = strlen(o->name);
            if (arg[1] != '-' && arg[1] == o->letter) {
                found = o;
                value = arg[2] ? arg + 2 : nullptr;
            } else if (strncmp(arg, o->name, n) == 0 && (arg[n] == 0 || arg[n] == '=')) {
                found = o;
                value = arg[n] ? arg + n + 1 : nullptr;
            }
        }
        if (!found) return Args_UsageError("unknown option", arg);
        found->seen = true;
        if (!found->takesValue) {
            if (value) return Args_UsageError("this option takes no value:", arg);
        } else {
            if (!value) {
                if (i + 1 >= argc) return Args_UsageError("a value is missing after", arg);
                value = argv[++i];
            }
            found->value = value;
        }
        const int status = found->given ? found->given(*found, found->into) : -1;
        if (status >= 0) return status;
    }
    return -1;
}

void Args_JobOptions(ArgOption* rows, TileMapJob* readInto) {
    const auto given = readInto ? ReadJobOption : nullptr;
    rows[ARGS_INPUTS] = {"--inputs", 'i', true, nullptr, false, given, readInto};
    rows[ARGS_OUTPUTS] = {"--outputs", 'o', true, nullptr, false, given, readInto};
    rows[ARGS_METHOD] = {"--method", 'm', true, nullptr, false, given, readInto};
}

int Args_ReadJobOptions(const ArgOption* rows, TileMapJob* job) {
    for (int k = 0; k < ARGS_JOB_OPTIONS; k++) {
        const int status = rows[k].value ? ReadJobOption(rows[k], job) : -1;
        if (status >= 0) return status;
    }
    return -1;
}

ArgsNumber Args_Number(const char* text, uint64_t min, uint64_t max, bool hex, uint64_t* value) {
    const bool negative = text[0] == '-';
    const char* p = negative ? text + 1 : text;
    hex = hex && p[0] == '0' && (p[1] == 'x' || p[1] == 'X');
    if (hex) p += 2;
    if (!*p) return ARGS_NOT_A_NUMBER;
    const unsigned base = hex ? 16 : 10;
    uint64_t v = 0;
    bool over = false; // past what 64 bits hold: every digit is still read
    for (; *p; p++) {
        unsigned d;
        if (*p >= '0' && *p <= '9')
            d = static_cast<unsigned>(*p - '0');
        else if (hex && ((*p | 32) >= 'a' && (*p | 32) <= 'f'))
            d = static_cast<unsigned>((*p | 32) - 'a' + 10);
        else
            return ARGS_NOT_A_NUMBER;
        if (over || v > (UINT64_MAX - d) / base)
            over = true;
        else
            v = v * base + d;
    }
    if (negative && (over || v != 0)) return ARGS_NEGATIVE;
    if (over || v > max) return ARGS_TOO_LARGE;
    if (v < min) return ARGS_TOO_SMALL;
    *value = v;
    return ARGS_NUMBER_OK;
}

int Args_NumberOption(const char* what, const char* text, uint64_t min, uint64_t max, bool hex,
                      uint64_t* value) {
    char why[160];
    const unsigned long long lo = min, hi = max;
    switch (Args_Number(text, min, max, hex, value)) {
    case ARGS_NUMBER_OK: return -1;
    case ARGS_NEGATIVE: snprintf(why, sizeof why, "%s cannot be negative:", what); break;
    case ARGS_TOO_SMALL:
        snprintf(why, sizeof why, "too small for %s (at least %llu):", what, lo);
        break;
    case ARGS_TOO_LARGE:
        snprintf(why, sizeof why, "too large for %s (at most %llu):", what, hi);
        break;
    default:
        snprintf(why, sizeof why, "%s must be a number from %llu to %llu%s:", what, lo, hi,
                 hex ? ", decimal or 0x hexadecimal" : "");
        break;
    }
    return Args_UsageError(why, text);
}

int Args_OpenStandard(const char* const* inputs, int count, const char* output, const char* what,
                      FileHandle** in, FileHandle** out) {
    *in = *out = nullptr;
    int dashes = 0;
    for (int i = 0; i < count; i++)
        dashes += inputs[i] && strcmp(inputs[i], "-") == 0;
    if (dashes > 1)
        return Args_UsageError("standard input (-) can be only one of the inputs", nullptr);
    uint32_t code = FILE_OK;
    if (output && strcmp(output, "-") == 0) {
        if ((code = File_OpenStandard(FILE_STDOUT, out)) == FILE_OK && File_IsTerminal(*out)) {
            File_Close(*out);
            *out = nullptr;
            char why[96];
            snprintf(why, sizeof why, "%s is not written to a terminal: redirect standard output",
                     what);
            return Args_UsageError(why, nullptr);
        }
        if (code != FILE_OK) {
            fprintf(stderr, "tilemap: cannot write standard output: %s\n", Args_FileCodeText(code));
            return 1;
        }
    }
    if (dashes == 1 && (code = File_OpenStandard(FILE_STDIN, in)) != FILE_OK) {
        File_Close(*out);
        *out = nullptr;
        fprintf(stderr, "tilemap: cannot read standard input: %s\n", Args_FileCodeText(code));
        return 1;
    }
    return -1;
}

FILE* Args_ReportTo(bool toStdout, const std::string& output) {
#ifdef _WIN32
    (void)output; // no file name stands for standard output
#else
    toStdout = toStdout || File_Same(output.c_str(), "/dev/stdout");
#endif
    return toStdout ? stderr : stdout;
}

const char* Args_FileCodeText(uint32_t code) {
    switch (code) {
    case FILE_NOTFOUND: return "file or folder not found";
    case FILE_DENIED: return "access denied";
    case FILE_BUSY: return "the file is in use";
    case FILE_NOMEM: return "out of memory, or the name is too long";
    case FILE_BADARG: return "not a usable name";
    case FILE_DEVICE: return "a device, not a file or a pipe";
    case FILE_TOOBIG: return "too large (a pipe or standard input is read up to 256 MiB)";
    case FILE_FOLDER: return "a folder, not a file";
    default: return "the system refused";
    }
}

bool Args_ToEngineName(const char* arg, std::string* name) {
#ifdef _WIN32
    const char* utf8 = Conv_AnsiToUtf8(arg);
    if (!utf8) return false;
    *name = utf8;
#else
    *name = arg;
#endif
    return true;
}

const char* Args_Shown(const char* utf8) {
#ifdef _WIN32
    const char* ansi = Conv_Utf8ToAnsi(utf8);
    return ansi ? ansi : utf8;
#else
    return utf8;
#endif
}

void Args_ReportOutput(const TileMapReport& report, const char* output) {
    const char* why = Args_FileCodeText(report.fileCode);
    if (report.failure == TILEMAP_FAIL_WRITE && report.fileCode == FILE_ERROR)
        why = "the disk is full or the file is too large";
    if (report.failure == TILEMAP_FAIL_OUTPUT)
        fprintf(stderr, "tilemap: cannot write the output file '%s': %s\n", output, why);
    else if (!report.tempName) // written straight: a device or standard output
        fprintf(stderr, "tilemap: could not write all of '%s': %s\n", output, why);
    else if (!*report.tempName) // none could be named: its folder is missing or too long
        fprintf(stderr, "tilemap: cannot make a temporary file beside '%s': %s\n", output, why);
    else
        fprintf(stderr, "tilemap: cannot write '%s' through the temporary file '%s': %s\n", output,
                Args_Shown(report.tempName), why);
}

int Args_TileOptions(const ArgOption* tile, const ArgOption* bytes, const ArgOption* offset,
                     TileFormat* format, uint64_t* offsetValue) {
    *offsetValue = 0;
    if (tile && tile->value && !Tile_ParseFormat(tile->value, format))
        return Args_UsageError("the tile format must read WxH:BPP (1..64 pixels; 1, 2, 3, 4 or 8 "
                               "bits per pixel, with i for the inverted formats):",
                               tile->value);
    uint64_t n = 0;
    if (bytes && bytes->value) {
        const int status = Args_NumberOption("the tile bytes", bytes->value, 1, 65535, true, &n);
        if (status >= 0) return status;
        *format = TileFormat{};
        format->tileBytes = format->stride = static_cast<uint16_t>(n);
    }
    if (offset && offset->value)
        return Args_NumberOption("the offset", offset->value, 0, UINT64_MAX / 2, true, offsetValue);
    return -1;
}
