// Tile map job benchmark, inside the engine: for each case, the job's time,
// its peak memory and (for the long patterns) MB/s of pattern text. Every
// job runs in a child process of its own so that its peak memory (VmHWM) is
// its own. Best of seven. Inputs are written to FOLDER first. Linux only
// (it reads /proc). Whole commands against the tools they are measured by
// are process_bench's.
//
// Given the tilemap command as well, it then gives the time and peak memory
// of a single 100 MB line, of a loop block of three million lines and of an
// undo block whose three million runs all come into the map late, each a
// whole job.
// Usage: tilemap_bench [FOLDER [TILEMAP]]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#ifdef __linux__
#include <algorithm>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "engine/pattern.h"
#include "engine/tilemap.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

const int32_t FULL = TILEMAP_MAX_COUNT;
const int RUNS = 7; // best of seven

struct Case {
    const char* label;
    const char* file;
    bool text; // a long pattern, its MB/s shown
    int32_t inputs, outputs, method;
    int32_t result; // what the job must return
    bool pathological;
};

const Case CASES[] = {
    {"2,073,600 lines, UTF-8 with mark", "lines-utf8.map", true, FULL, FULL, 0, FULL, false},
    {"2,073,600 lines, UTF-16LE", "lines-utf16le.map", true, FULL, FULL, 0, FULL, false},
    {"2,073,600 lines, ANSI (CP949)", "lines-ansi.map", true, FULL, FULL, 0, FULL, false},
    {"1~2073600", "range.map", false, FULL, FULL, 0, FULL, false},
    {"/LOOP(2073600,1) over 1", "loop.map", false, FULL, FULL, 0, FULL, false},
    {"1~2147483647", "huge-range.map", false, FULL, FULL, 0, FULL, true},
    {"1~2147483647, undo", "huge-range.map", false, FULL, FULL, 1, FULL, true},
    {"/REPEAT(0,2000000000,1)", "huge-repeat.map", false, FULL, FULL, 0, FULL, true},
    {"/REPEAT(0,2000000000,1), undo", "huge-repeat.map", false, FULL, FULL, 1, FULL, true},
    {"/LOOP(2147483647,1) {-2e9~2e9}", "huge-loop.map", false, FULL, FULL, 0, FULL, true},
    {"/LOOP(2147483647,1) {-2e9~2e9}, undo", "huge-loop.map", false, FULL, FULL, 1, FULL, true},
    // Only passes near 2, 10^9 and 2 * 10^9 bring a number into 0..255.
    {"/LOOP(2147483647,1) sparse, undo", "sparse-loop.map", false, 255, FULL, 1, 768, true},
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

long FileBytes(const std::string& name) {
    FILE* f = std::fopen(name.c_str(), "rb");
    if (!f) return 0;
    std::fseek(f, 0, SEEK_END);
    long size = std::ftell(f);
    std::fclose(f);
    return size;
}

// Runs command with sh; its wall time and exit status.
struct Proc {
    double seconds = -1;
    int status = -1;
};

Proc Shell(const std::string& command) {
    Proc p;
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid < 0) return p;
    if (pid == 0) {
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return p;
    p.seconds = Seconds(start);
    p.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return p;
}

// The peak memory of command (one program and its arguments) in MB.
double PeakMb(const std::string& command, const std::string& folder) {
    const std::string file = folder + "/peak.txt";
    Shell("/usr/bin/time -q -f %M -o '" + file + "' " + command + " >/dev/null 2>&1");
    long kb = -1;
    if (FILE* f = std::fopen(file.c_str(), "r")) {
        if (std::fscanf(f, "%ld", &kb) != 1) kb = -1;
        std::fclose(f);
    }
    std::remove(file.c_str());
    return kb / 1024.0;
}

// The tilemap command's time and peak memory on long lines and blocks.
int Processes(const std::string& folder, const std::string& tilemap) {
    std::string line, far, loop = "/LOOP(2,1)\n{\n", late = "/LOOP(2147483647,1)\n{\n";
    for (int i = 0; i < 25000000; i++)
        line += "1,5,";
    for (int i = 0; i < 20000000; i++)
        far += "1000,";
    for (int i = 0; i < 3000000; i++)
        loop += std::to_string(i % 97 * 3) + "\n";
    loop += "}\n";
    // Runs of three numbers far apart, each brought into the undo map on an
    // earlier pass than all before it: every slot of room keeps a run.
    for (int i = 0; i < 3000000; i++)
        late += "/LOOP(" + std::to_string(-700000000 + i * 37) + ",3,-700000000)\n";
    late += "}\n";
    if (!WriteText(folder + "/line.map", line + "\n") ||
        !WriteText(folder + "/far.map", far + "\n") || !WriteText(folder + "/block.map", loop) ||
        !WriteText(folder + "/late.map", late))
        return 1;
    line = far = loop = late = std::string(); // none of it in the children
    const std::string out = " '" + folder + "/job.bbl'";
    const std::string full = "'" + tilemap + "' -i 255 -o 2073600 ";
    int status = 0;
    std::printf("\nlong lines and blocks: time and peak memory of one job\n");
    const struct {
        const char* label;
        std::string command;
        int status;
    } longs[] = {
        {"100 MB line of 1,5, (map fills)", full + "'" + folder + "/line.map'" + out, 0},
        {"100 MB line, no number reaches the map",
         "'" + tilemap + "' -m undo -i 255 -o 2073600 '" + folder + "/far.map'" + out, 1},
        {"loop block of 3,000,000 lines", full + "'" + folder + "/block.map'" + out, 0},
        {"undo block of 3,000,000 late runs",
         "'" + tilemap + "' -m undo -i 255 -o 2073600 '" + folder + "/late.map'" + out, 0},
    };
    for (const auto& l : longs) {
        const Proc p = Shell(l.command + " >/dev/null 2>&1");
        std::printf("%-40s %9.1f ms %8.1f MB%s\n", l.label, p.seconds * 1000,
                    PeakMb(l.command, folder),
                    p.status == l.status ? "" : "  (unexpected exit status)");
        if (p.status != l.status) status = 1;
    }
    for (const char* f : {"line.map", "far.map", "block.map", "late.map", "job.bbl"})
        std::remove((folder + "/" + f).c_str());
    return status;
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
    std::printf("%-38s %7s %9s %8s %8s\n", "case (best of 7)", "MB", "job ms", "peak MB", "MB/s");
    int status = 0;
    double worstPathological = 0, worstPeak = 0;
    for (const Case& c : CASES) {
        const std::string name = folder + "/" + c.file;
        const double mb = FileBytes(name) / 1048576.0;
        const Measure m = Job(argv[0], folder, c);
        const double peakMb = m.peakKb / 1024.0;
        std::printf("%-38s %7.2f %9.1f %8.1f", c.label, mb, m.seconds * 1000, peakMb);
        if (c.text) std::printf(" %8.1f", mb / m.seconds);
        std::printf("\n");
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
    std::printf("  each pathological case under 50 ms: slowest %.2f ms: %s\n",
                worstPathological * 1000, worstPathological < 0.050 ? "met" : "MISSED");
    std::printf("  peak memory of every case under 64 MB: largest %.1f MB: %s\n", worstPeak,
                worstPeak < 64 ? "met" : "MISSED");
    if (argc > 2 && Processes(folder, argv[2]) != 0) status = 1;
    return status;
#endif
}
