// Option parsing and names for the verbs of the tilemap command.
#include "cli/args.h"
#include "engine/tile.h"
#include "textlib/conv.h"
#include "textlib/file.h"
#include <cstdio>
#include <cstring>

int Args_UsageError(const char* what, const char* detail) {
    fprintf(stderr, "tilemap: %s%s%s%s\nTry 'tilemap --help' for more information.\n", what,
            detail ? " '" : "", detail ? detail : "", detail ? "'" : "");
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
        if (strcmp(arg, "--help") == 0) {
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
            continue;
        }
        if (!value) {
            if (i + 1 >= argc) return Args_UsageError("a value is missing after", arg);
            value = argv[++i];
        }
        found->value = value;
    }
    return -1;
}

bool Args_Number(const char* text, uint64_t min, uint64_t max, uint64_t* value) {
    const bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* p = hex ? text + 2 : text;
    uint64_t v = 0;
    if (!*p) return false;
    for (; *p; p++) {
        unsigned d;
        if (*p >= '0' && *p <= '9')
            d = static_cast<unsigned>(*p - '0');
        else if (hex && ((*p | 32) >= 'a' && (*p | 32) <= 'f'))
            d = static_cast<unsigned>((*p | 32) - 'a' + 10);
        else
            return false;
        v = v * (hex ? 16 : 10) + d;
        if (v > max) return false;
    }
    if (v < min) return false;
    *value = v;
    return true;
}

const char* Args_FileCodeText(uint32_t code) {
    switch (code) {
    case FILE_NOTFOUND: return "file or folder not found";
    case FILE_DENIED: return "access denied";
    case FILE_BUSY: return "the file is in use";
    case FILE_NOMEM: return "out of memory, or the name is too long";
    case FILE_BADARG: return "not a usable name";
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
    else
        fprintf(stderr, "tilemap: cannot write '%s' through the temporary file '%s': %s\n", output,
                report.tempName ? Args_Shown(report.tempName) : "", why);
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
        if (!Args_Number(bytes->value, 1, 65535, &n))
            return Args_UsageError("the tile bytes must be a number from 1 to 65535:",
                                   bytes->value);
        *format = TileFormat{};
        format->tileBytes = format->stride = static_cast<uint16_t>(n);
    }
    if (offset && offset->value && !Args_Number(offset->value, 0, UINT64_MAX / 2, offsetValue))
        return Args_UsageError("the offset must be a number, decimal or 0x hexadecimal:",
                               offset->value);
    return -1;
}
