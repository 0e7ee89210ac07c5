// tilemap check PATTERN: runs the job without writing its map and says,
// line by line, what the pattern language would pass over in silence, then
// sums up how the map came out.
#include "cli/check.h"
#include "cli/args.h"
#include "engine/check.h"
#include "textlib/textstream.h"
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

const char USAGE[] =
    "Usage: tilemap check [-i N] [-o N] [-m import|undo] [--quiet] PATTERN\n"
    "Runs the job of PATTERN without writing a map and reports, as FILE:LINE: warning: ...,\n"
    "what the pattern language passes over in silence: numbers outside the input tiles or above\n"
    "255, items that are no number and text after an item, a brace or a closing ')', directives\n"
    "and arguments it cannot read, words cut short, braces without their pair, loops that make no\n"
    "pass or are still open at the end, NUL bytes, text without its byte-order mark, line breaks\n"
    "hidden in a lead byte's pair, lines never reached because the map was full, and a pattern\n"
    "whose numbers never reach the map (the job fails). Then a summary.\n"
    "A PATTERN of - reads standard input.\n"
    "\n"
    "  -i, --inputs N    tiles of the input, 1..2073600 (default 255)\n"
    "  -o, --outputs N   slots of the output, 1..2073600 (default 188)\n"
    "  -m, --method M    import or undo (default import), as for the job\n"
    "  -q, --quiet       print only the count of warnings\n"
    "      --help        show this help and exit\n"
    "Exit status 0 without warnings, 1 with warnings, 2 for a usage error, a pattern that cannot\n"
    "be read or a report that cannot be written.\n";

void Say(const char* file, const CheckDiagnostic& d, const TileMapJob& job) {
    const bool one = d.value == d.extra;
    const long long v = d.value, e = d.extra;
    const char* text = Args_Shown(d.text); // the pattern's UTF-8 as names are shown
    printf("%s:%d: warning: ", file, d.line);
    switch (d.kind) {
    case CHECK_RANGE:
        if (one)
            printf("number %lld is outside 1..%d: %s\n", v, job.inputCount,
                   job.method == EFFECT_MAP_UNDO ? "it is skipped" : "the slot stays empty");
        else
            printf("numbers from %lld to %lld reach outside 1..%d: %s\n", v, e, job.inputCount,
                   job.method == EFFECT_MAP_UNDO ? "those are skipped" : "those slots stay empty");
        break;
    case CHECK_BYTE:
        if (one)
            printf("number %lld is above 255: it is written as its low byte, %lld\n", v, v & 255);
        else
            printf("numbers from %lld to %lld are above 255: each is written as its low byte\n", v,
                   e);
        break;
    case CHECK_ITEM: printf("'%s' does not read as a number: it is skipped\n", text); break;
    case CHECK_NOPAREN: printf("'%s' does not end with ')': the line is ignored\n", text); break;
    case CHECK_WORD: printf("'%s' names no directive: the line is ignored\n", text); break;
    case CHECK_ARGS:
        printf("the arguments '%s' cannot be read whole: the rest takes its default\n", text);
        break;
    case CHECK_SETTING: printf("'%s' changes no directive word\n", text); break;
    case CHECK_OPENBRACE: printf("'{' with no loop open: it is ignored\n"); break;
    case CHECK_CLOSEBRACE: printf("'}' with no '{' open\n"); break;
    case CHECK_OPENLOOP:
        printf("this loop is still open at the end of the file: its numbers are dropped\n");
        break;
    case CHECK_UNREACHED:
        printf("the map is full before this line: %lld line%s from here on %s never reached\n", v,
               v == 1 ? "" : "s", v == 1 ? "is" : "are");
        break;
    case CHECK_REST: printf("'%s' is read no further: it is ignored\n", d.text); break;
    case CHECK_CUT: printf("the new word is cut to its first 23 bytes, '%s'\n", d.text); break;
    case CHECK_LOOPZERO:
        printf("a loop of count %lld makes no pass: its body is dropped\n", v);
        break;
    case CHECK_NUL: printf("a NUL byte: the rest of the line is ignored\n"); break;
    case CHECK_NOBOM:
        printf("the text looks like %s without a byte-order mark: it is read as ANSI text\n",
               d.text);
        break;
    case CHECK_LEADBREAK:
        printf("the line break is the second byte of a lead byte: the next line is read as part "
               "of this one\n");
        break;
    default: printf("no number reaches the map: the job fails\n"); break;
    }
}

} // namespace

int Check_Main(int argc, char** argv, int first) {
    ArgOption options[ARGS_JOB_OPTIONS + 1] = {};
    Args_JobOptions(options, nullptr);
    ArgOption& quiet = options[ARGS_JOB_OPTIONS] = {"--quiet", 'q', false, nullptr, false};
    const char* files[1];
    int fileCount = 0;
    int status =
        Args_Parse(argc, argv, first, options, ARGS_JOB_OPTIONS + 1, files, 1, &fileCount, USAGE);
    if (status >= 0) return status;
    if (fileCount < 1) return Args_UsageError("check needs the pattern file", nullptr);
    TileMapJob job = TileMap_StartValues();
    if ((status = Args_ReadJobOptions(options, &job)) >= 0) return status;
    std::string name;
    if (!Args_ToEngineName(files[0], &name))
        return Args_UsageError("file name too long:", files[0]);
    FileHandle *in, *out;
    if ((status = Args_OpenStandard(files, 1, nullptr, nullptr, &in, &out)) >= 0) return status;
    CheckResult result;
    int32_t warnings;
    if (!in) {
        warnings = Check_Run(name.c_str(), &job, &result);
    } else {
        TextStream* stream = nullptr;
        if (TextStream_OpenFile(in, FILE_READ, &stream) != FILE_OK) {
            fprintf(stderr, "tilemap: out of memory checking '-'\n");
            return 2;
        }
        warnings = Check_RunStream(stream, &job, &result);
        TextStream_Close(stream);
    }
    if (warnings < 0) {
        if (result.failure == TILEMAP_FAIL_PATTERN)
            fprintf(stderr, "tilemap: cannot open the pattern file '%s': %s\n", files[0],
                    Args_FileCodeText(result.fileCode));
        else if (result.failure == TILEMAP_FAIL_TEMP)
            fprintf(stderr, "tilemap: cannot keep standard input for the summary: %s\n",
                    Args_FileCodeText(result.fileCode));
        else
            fprintf(stderr, "tilemap: out of memory checking '%s'\n", files[0]);
        Check_Free(&result);
        return 2;
    }
    if (!quiet.seen) {
        for (int32_t i = 0; i < result.count; i++)
            Say(files[0], result.list[i], job);
        if (result.more > 0) printf("%s: %d more warnings not shown\n", files[0], result.more);
        const CheckSummary& s = result.summary;
        printf("%s: %d slots filled, %d empty slots, %d input tiles never used, %d tiles used "
               "more than once\n",
               files[0], s.filled, s.empty, s.unused, s.repeated);
    }
    printf("%d warning%s\n", warnings, warnings == 1 ? "" : "s");
    Check_Free(&result);
    if (fflush(stdout) != 0 || ferror(stdout)) {
        fprintf(stderr, "tilemap: cannot write the report: %s\n", strerror(errno));
        return 2;
    }
    return warnings > 0 ? 1 : 0;
}
