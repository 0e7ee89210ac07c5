// Tile map job benchmark: for each case, the job's time, its peak memory and
// (for the long patterns) MB/s of pattern text, beside
// `iconv -f ENC -t UTF-8 FILE | wc -l` timed on the same file in the same
// run. Every job runs in a child process of its own so that its peak memory
// (VmHWM) is its own. Best of seven for both sides. Inputs are written to
// FOLDER first. Linux only (it reads /proc and runs iconv).
// Usage: tilemap_bench [FOLDER]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/pattern.h"
#include "engine/tilemap.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

const int32_t FULL = TILEMAP_MAX_COUNT;
const int RUNS = 7; // best of seven, for the job and for iconv alike

struct Case {
    const char* label;
    const char* file;
    const char* iconv; // encoding for the iconv pipeline, null: no comparison
    int32_t inputs, outputs, method;
    int32_t result; // what the job must return
    bool pathological;
};

const Case CASES[] = {
    {"2,073,600 lines, UTF-8 with mark", "lines-utf8.map", "UTF-8", FULL, FULL, 0, FULL, false},
    {"2,073,600 lines, UTF-16LE", "lines-utf16le.map", "UTF-16", FULL, FULL, 0, FULL, false},
    {"2,073,600 lines, ANSI (CP949)", "lines-ansi.map", "CP949", FULL, FULL, 0, FULL, false},
    {"1~2073600", "range.map", nullptr, FULL, FULL, 0, FULL, false},
    {"/LOOP(2073600,1) over 1", "loop.map", nullptr, FULL, FULL, 0, FULL, false},
    {"1~2147483647", "huge-range.map", nullptr, FULL, FULL, 0, FULL, true},
    {"1~2147483647, undo", "huge-range.map", nullptr, FULL, FULL, 1, FULL, true},
    {"/REPEAT(0,2000000000,1)", "huge-repeat.map", nullptr, FULL, FULL, 0, FULL, true},
    {"/REPEAT(0,2000000000,1), undo", "huge-repeat.map", nullptr, FULL, FULL, 1, FULL, true},
    {"/LOOP(2147483647,1) {-2e9~2e9}", "huge-loop.map", nullptr, FULL, FULL, 0, FULL, true},
    {"/LOOP(2147483647,1) {-2e9~2e9}, undo", "huge-loop.map", nullptr, FULL, FULL, 1, FULL, true},
    // Only passes near 2, 10^9 and 2 * 10^9 bring a number into 0..255.
    {"/LOOP(2147483647,1) sparse, undo", "sparse-loop.map", nullptr, 255, FULL, 1, 768, true},
};

// Child: runs one job, prints "seconds result peak-kB".
int RunOne(char** argv) {
    TileMapJob job = TileMap_StartValues();
    job.method = std::atoi(argv[4]);
    job.inputCount = std::atoi(argv[5]);
    job.outputCount = std::atoi(argv[6]);
    const auto start = Clock::now();
    int32_t result = TileMap_Run("", argv[3], argv[2], &job);
    double seconds = Seconds(start);
    long peak = -1;
    if (FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, status))
            if (std::strncmp(line, "VmHWM:", 6) == 0) peak = std::atol(line + 6);
        std::fclose(status);
    }
    std::printf("%.6f %d %ld\n", seconds, result, peak);
    return 0;
}

#ifdef __linux__
bool WriteText(const std::string& name, const std::string& bytes) {
    FILE* f = std::fopen(name.c_str(), "wb");
    bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f) std::fclose(f);
    if (!ok) std::fprintf(stderr, "tilemap_bench: cannot write %s\n", name.c_str());
    return ok;
}

// The inputs: one number a line in three encodings, and the short patterns.
bool WriteInputs(const std::string& folder) {
    std::string ascii;
    ascii.reserve(16 << 20);
    for (int32_t n = 1; n <= FULL; n++)
        ascii += std::to_string(n) + "\n";
    std::string utf16 = "\xFF\xFE";
    utf16.reserve(ascii.size() * 2 + 2);
    for (char c : ascii)
        utf16 += c, utf16 += '\0';
    // A Korean comment line ("# tile order") in code page 949 makes it ANSI text.
    const std::string ansiComment = "# \xC5\xB8\xC0\xCF \xBC\xF8\xBC\xAD\n";
    return WriteText(folder + "/lines-utf8.map", "\xEF\xBB\xBF" + ascii) &&
           WriteText(folder + "/lines-utf16le.map", utf16) &&
           WriteText(folder + "/lines-ansi.map", ansiComment + ascii) &&
           WriteText(folder + "/range.map", "1~2073600\n") &&
           WriteText(folder + "/loop.map", "/LOOP(2073600,1)\n1\n") &&
           WriteText(folder + "/huge-range.map", "1~2147483647\n") &&
           WriteText(folder + "/huge-repeat.map", "/REPEAT(0,2000000000,1)\n") &&
           WriteText(folder + "/huge-loop.map",
                     "/LOOP(2147483647,1)\n{\n-2000000000~2000000000\n}\n") &&
           WriteText(folder + "/sparse-loop.map",
                     "/LOOP(2147483647,1)\n/REPEAT(-2000000000,3,999999999)\n");
}

struct Measure {
    double seconds = 1e9;
    long result = -1;
    long peakKb = 0;
};

Measure Job(const char* self, const std::string& folder, const Case& c) {
    Measure m;
    const std::string command = std::string("'") + self + "' --one '" + folder + "/" + c.file +
                                "' '" + folder + "/tilemap-out.bbl' " + std::to_string(c.method) +
                                " " + std::to_string(c.inputs) + " " + std::to_string(c.outputs);
    for (int run = 0; run < RUNS; run++) {
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe) break;
        double seconds;
        long result, peak;
        if (std::fscanf(pipe, "%lf %ld %ld", &seconds, &result, &peak) == 3) {
            if (seconds < m.seconds) m.seconds = seconds;
            m.result = result;
            if (peak > m.peakKb) m.peakKb = peak;
        }
        pclose(pipe);
    }
    return m;
}

double Iconv(const std::string& name, const char* from) {
    double best = 1e9;
    const std::string command =
        std::string("iconv -f ") + from + " -t UTF-8 '" + name + "' | wc -l";
    for (int run = 0; run < RUNS; run++) {
        const auto start = Clock::now();
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe) return -1;
        long lines;
        if (std::fscanf(pipe, "%ld", &lines) != 1) lines = -1;
        pclose(pipe);
        double s = Seconds(start);
        if (lines > 0 && s < best) best = s;
    }
    return best;
}

long FileBytes(const std::string& name) {
    FILE* f = std::fopen(name.c_str(), "rb");
    if (!f) return 0;
    std::fseek(f, 0, SEEK_END);
    long size = std::ftell(f);
    std::fclose(f);
    return size;
}

#endif

} // namespace

int main(int argc, char** argv) {
    if (argc == 7 && std::strcmp(argv[1], "--one") == 0) return RunOne(argv);
#ifndef __linux__
    std::fprintf(stderr, "tilemap_bench: run the native Linux build's benchmark\n");
    return 2;
#else
    const std::string folder = argc > 1 ? argv[1] : ".";
    if (!WriteInputs(folder)) return 1;
    std::printf("%-38s %7s %9s %8s %8s %10s %7s\n", "case (best of 7)", "MB", "job ms", "peak MB",
                "MB/s", "iconv ms", "ratio");
    int status = 0;
    double utf8Job = 0, utf8Iconv = 0, worstPathological = 0, worstPeak = 0;
    for (const Case& c : CASES) {
        const std::string name = folder + "/" + c.file;
        const double mb = FileBytes(name) / 1048576.0;
        const Measure m = Job(argv[0], folder, c);
        const double peakMb = m.peakKb / 1024.0;
        std::printf("%-38s %7.2f %9.1f %8.1f", c.label, mb, m.seconds * 1000, peakMb);
        if (c.iconv) {
            const double iconv = Iconv(name, c.iconv);
            std::printf(" %8.1f %10.1f %7.2f\n", mb / m.seconds, iconv * 1000, m.seconds / iconv);
            if (std::strcmp(c.file, "lines-utf8.map") == 0) utf8Job = m.seconds, utf8Iconv = iconv;
        } else {
            std::printf(" %8s %10s %7s\n", "", "", "");
        }
        if (m.result != c.result) {
            std::fprintf(stderr, "  %s: the job returned %ld, not %d\n", c.label, m.result,
                         c.result);
            status = 1;
        }
        if (c.pathological && m.seconds > worstPathological) worstPathological = m.seconds;
        if (peakMb > worstPeak) worstPeak = peakMb;
    }
    std::remove((folder + "/tilemap-out.bbl").c_str());
    std::printf("\ntargets:\n");
    std::printf("  UTF-8 lines job within 2x the iconv pipeline: %.1f ms vs 2 x %.1f ms: %s\n",
                utf8Job * 1000, utf8Iconv * 1000, utf8Job <= 2 * utf8Iconv ? "met" : "MISSED");
    std::printf("  each pathological case under 50 ms: slowest %.2f ms: %s\n",
                worstPathological * 1000, worstPathological < 0.050 ? "met" : "MISSED");
    std::printf("  peak memory of every case under 64 MB: largest %.1f MB: %s\n", worstPeak,
                worstPeak < 64 ? "met" : "MISSED");
    return status;
#endif
}
