// The tilemap command: reads a tile pattern file and writes a tile map, as
// the tool dialog does, with the counts and method given as options.
//   tilemap [-i N] [-o N] [-m import|undo] PATTERN OUTPUT
// or, by its first word, one of the verbs apply, preview and check, each in
// a module of its own.
// Exit status 0 on success, 1 when the job fails, 2 for a usage error. A
// PATTERN of - is standard input, an OUTPUT of - standard output. An
// interrupted or terminated job leaves no temporary file behind.
#include "cli/apply.h"
#include "cli/check.h"
#include "cli/preview.h"
#include "cli/args.h"
#include "engine/tilemap.h"
#include "textlib/conv.h"
#include "textlib/file.h"
#include "textlib/textstream.h"
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char USAGE[] =
    "Usage: tilemap [-i N | --inputs N] [-o N | --outputs N] [-m import|undo | --method "
    "import|undo] PATTERN OUTPUT\n"
    "Reads the tile pattern file PATTERN and writes the tile map OUTPUT, one byte per entry.\n"
    "PATTERN may be a pipe; - reads standard input. An OUTPUT of - writes the map to\n"
    "standard output, which must not be a terminal.\n"
    "\n"
    "  -i, --inputs N    tiles of the input, 1..2073600 (default 255)\n"
    "  -o, --outputs N   slots of the output, 1..2073600 (default 188)\n"
    "  -m, --method M    import: entry i is the input tile of output slot i (default)\n"
    "                    undo:   entry t is the output slot of input tile t + 1\n"
    "  -h, --help        show this help and exit\n"
    "      --version     show the version and exit\n"
    "\n"
    "  tilemap apply ...    apply a map to the tiles of a graphic\n"
    "  tilemap preview ...  draw a map, or the tiles it puts in order, as a PNG picture\n"
    "  tilemap check ...    run a pattern dry and report what it passes over\n"
    "Each verb has its own --help. A pattern file named like a verb is given as ./NAME.\n";

extern "C" void OnStopSignal(int signal) {
    File_RemoveLiveTemp();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// The job's temporary goes with the process when it is stopped; a signal
// that was ignored when the command started (nohup, a background job)
// stays ignored. Past a file-size limit a write fails with a reason instead
// of killing the process.
void CatchStopSignals() {
#ifdef SIGHUP
    const int stops[] = {SIGINT, SIGTERM, SIGHUP};
#else
    const int stops[] = {SIGINT, SIGTERM};
#endif
    for (int stop : stops)
        if (std::signal(stop, OnStopSignal) == SIG_IGN) std::signal(stop, SIG_IGN);
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

int ReportFailure(const TileMapReport& report, const char* pattern, const char* output) {
    const char* temp = report.tempName ? Args_Shown(report.tempName) : nullptr;
    switch (report.failure) {
    case TILEMAP_FAIL_COUNTS:
        fprintf(stderr, "tilemap: the input and output counts must be above 0\n");
        break;
    case TILEMAP_FAIL_PATTERN:
        fprintf(stderr, "tilemap: cannot open the pattern file '%s': %s\n", pattern,
                Args_FileCodeText(report.fileCode));
        break;
    case TILEMAP_FAIL_OUTPUT:
        fprintf(stderr, "tilemap: cannot write the output file '%s': %s\n", output,
                Args_FileCodeText(report.fileCode));
        break;
    case TILEMAP_FAIL_TEMP:
        if (temp && *temp)
            fprintf(stderr, "tilemap: cannot write the temporary file '%s' for '%s': %s\n", temp,
                    output, Args_FileCodeText(report.fileCode));
        else // none could be named: its folder is missing or the name too long
            fprintf(stderr, "tilemap: cannot make a temporary file beside '%s': %s\n", output,
                    Args_FileCodeText(report.fileCode));
        break;
    case TILEMAP_FAIL_SAME:
        fprintf(stderr, "tilemap: the output file '%s' is the pattern file; both are unchanged\n",
                output);
        break;
    case TILEMAP_FAIL_NOMEM:
        fprintf(stderr, "tilemap: out of memory making '%s'; the file is unchanged\n", output);
        break;
    case TILEMAP_FAIL_WRITE: {
        // A write falls short when the disk is full or a size limit is reached.
        const char* why = report.fileCode == FILE_ERROR
                              ? "the disk is full or the file is too large"
                              : Args_FileCodeText(report.fileCode);
        if (temp && *temp)
            fprintf(stderr,
                    "tilemap: could not write all of the temporary file '%s': %s; '%s' is "
                    "unchanged\n",
                    temp, why, output);
        else
            fprintf(stderr, "tilemap: could not write all of '%s': %s\n", output, why);
        break;
    }
    default:
        fprintf(stderr,
                "tilemap: no number in the pattern file '%s' reached the map; '%s' is "
                "unchanged\n",
                pattern, output);
        break;
    }
    return 1;
}

// A job with standard input or output (in, out: open, or null) for a file
// named -: the engine is handed open streams instead of names.
int32_t RunStandard(FileHandle* in, const std::string& patternName, FileHandle* out,
                    const std::string& outputName, const TileMapJob& job, TileMapReport* report) {
    TextStream* pattern = nullptr;
    TextStream* map = nullptr;
    uint32_t code = in ? TextStream_OpenFile(in, FILE_READ, &pattern)
                       : TextStream_Open(patternName.c_str(), FILE_READ | FILE_NODEVICE, &pattern);
    if (code != FILE_OK) {
        File_Close(out);
        *report = TileMapReport{TILEMAP_FAIL_PATTERN, code, nullptr};
        return 0;
    }
    int32_t result = 0;
    if (!out) {
        result = TileMap_RunStreams(pattern, outputName.c_str(), nullptr, &job, report);
    } else if ((code = TextStream_OpenFile(out, FILE_WRITE, &map)) != FILE_OK) {
        *report = TileMapReport{TILEMAP_FAIL_OUTPUT, code, nullptr};
    } else {
        result = TileMap_RunStreams(pattern, nullptr, map, &job, report);
    }
    TextStream_Close(map);
    TextStream_Close(pattern);
    return result;
}

int ShowVersion(const ArgOption&, void*) {
    printf("tilemap %s\n", TILEMAP_VERSION);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        static const struct {
            const char* name;
            int (*main)(int, char**, int);
        } VERBS[] = {{"apply", Apply_Main}, {"preview", Preview_Main}, {"check", Check_Main}};
        for (const auto& verb : VERBS)
            if (strcmp(argv[1], verb.name) == 0) {
                Args_SetVerb(verb.name);
                return verb.main(argc, argv, 2);
            }
    }
    TileMapJob job = TileMap_StartValues();
    ArgOption options[ARGS_JOB_OPTIONS + 1] = {};
    Args_JobOptions(options, &job);
    options[ARGS_JOB_OPTIONS] = {"--version", 0, false, nullptr, false, ShowVersion};
    const char* files[2];
    int fileCount = 0;
    const int parsed =
        Args_Parse(argc, argv, 1, options, ARGS_JOB_OPTIONS + 1, files, 2, &fileCount, USAGE);
    if (parsed >= 0) return parsed;
    if (fileCount < 2)
        return Args_UsageError("the pattern file and the output file must be named", nullptr);
    if (!*files[1]) return Args_UsageError("the output file name is empty", nullptr);

    std::string pattern, output;
    if (!Args_ToEngineName(files[0], &pattern))
        return Args_UsageError("file name too long:", files[0]);
    if (!Args_ToEngineName(files[1], &output))
        return Args_UsageError("file name too long:", files[1]);
    FileHandle *in, *out;
    const int status = Args_OpenStandard(files, 1, files[1], "the map", &in, &out);
    if (status >= 0) return status;
    CatchStopSignals();
    TileMapReport report;
    int32_t result = in || out ? RunStandard(in, pattern, out, output, job, &report)
                               : TileMap_RunEx("", output.c_str(), pattern.c_str(), &job, &report);
    if (result == 0) return ReportFailure(report, files[0], files[1]);
    const int bytes = static_cast<int>(TileMap_MapLength(&job));
    fprintf(Args_ReportTo(strcmp(files[1], "-") == 0, output), "%d %s written to %s (%d %s)\n",
            static_cast<int>(result), result == 1 ? "entry" : "entries", files[1], bytes,
            bytes == 1 ? "byte" : "bytes");
    return 0;
}
