// Whole commands against the tools they are measured by, as an outside timer
// sees them: each command is started the same way (bash -c, through
// posix_spawn, so that the size of this program costs neither side a
// thing), the two run in turn, and the median of the runs is quoted with
// the ratio of the medians.
//   job:     the tile map job on five kinds of pattern file of 2,073,600
//            numbers each, against `iconv -f ENC -t UTF-8 FILE | wc -l`
//   apply:   518,400 tiles of 8x8 at 4 bits reordered by a full map, against
//            `dd if=GRAPHIC of=OUT bs=1M conv=fsync`
//   picture: a 4,096 x 4,096 grey picture of 262,144 tiles, against
//            `convert -size WxH -depth 8 gray:FILE out.png` on the same
//            pixels; and the 11,520 x 11,520 picture of 2,073,600 slots
// Every command is printed, so that /usr/bin/time can time it alike.
// Usage: process_bench FOLDER TILEMAP [RUNS] [job|apply|picture ...]
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int FULL = 2073600;

struct Run {
    double seconds = -1;
    int status = -1;
};

Run Bash(const std::string& command) {
    Run r;
    const char* argv[] = {"bash", "-c", command.c_str(), nullptr};
    pid_t pid;
    const auto start = Clock::now();
    if (posix_spawn(&pid, "/bin/bash", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
        return r;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return r;
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

bool Write(const std::string& name, const std::string& bytes) {
    FILE* f = std::fopen(name.c_str(), "wb");
    bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f) ok = std::fclose(f) == 0 && ok;
    if (!ok) std::fprintf(stderr, "process_bench: cannot write %s\n", name.c_str());
    return ok;
}

int failures = 0;

// Runs a and b in turn, runs times each, after one run of each not counted;
// prints their medians, the ratio and whether it is within target.
void Pair(const char* label, const std::string& a, const std::string& b, int runs, double target) {
    std::vector<double> ta, tb;
    for (int i = -1; i < runs; i++) {
        const Run ra = Bash(a + " >/dev/null 2>&1"), rb = Bash(b + " >/dev/null 2>&1");
        if (ra.status != 0 || rb.status != 0) {
            std::printf("%-36s failed (exit %d, %d)\n   %s\n   %s\n", label, ra.status, rb.status,
                        a.c_str(), b.c_str());
            failures++;
            return;
        }
        if (i >= 0) ta.push_back(ra.seconds), tb.push_back(rb.seconds);
    }
    const double ma = Median(ta), mb = Median(tb), ratio = ma / mb;
    std::printf("%-36s %9.1f %9.1f %6.2f  (target %.1f: %s)\n", label, ma * 1000, mb * 1000, ratio,
                target, ratio <= target ? "met" : "MISSED");
    std::printf("   %s\n   %s\n", a.c_str(), b.c_str());
}

std::string Quote(const std::string& s) {
    return "'" + s + "'";
}

std::string Number(int n) {
    return std::to_string(n % 255 + 1);
}

// Five pattern files of 2,073,600 numbers and the encoding iconv reads them in.
struct Pattern {
    const char* label;
    const char* file;
    const char* encoding;
    std::string text;
};

std::vector<Pattern> Patterns() {
    std::vector<Pattern> p = {{"2,073,600 lines of one number", "lines.map", "UTF-8", ""},
                              {"1,036,800 lines a , b, CR LF", "pairs.map", "UTF-8", ""},
                              {"the same in UTF-16LE", "pairs16.map", "UTF-16", ""},
                              {"518,400 lines of a range a~b", "ranges.map", "UTF-8", ""},
                              {"every form, CR LF", "mixed.map", "UTF-8", ""}};
    for (int n = 0; n < FULL; n++)
        p[0].text += Number(n) + "\n";
    for (int n = 0; n < FULL / 2; n++)
        p[1].text += Number(n) + " , " + Number(n * 7) + "\r\n";
    p[2].text = "\xFF\xFE";
    for (char c : p[1].text)
        p[2].text += c, p[2].text += '\0';
    for (int n = 0; n < FULL / 4; n++)
        p[3].text += std::to_string(n % 252 + 1) + "~" + std::to_string(n % 252 + 4) + "\n";
    // 27 numbers a block: a list, ranges both ways, repeats, a repeat
    // directive, a loop over a braced block, a comment and a blank line.
    for (int n = 0; n < FULL / 27; n++)
        p[4].text += "# row " + std::to_string(n) + "\r\n1, 2, " + Number(n) +
                     "\r\n5~8, 3~1\r\n7(3), 0(2)\r\n/REPEAT(" + Number(n) +
                     ",4,2)\r\n/LOOP(2,8)\r\n{\r\n1~4\r\n}\r\n\r\n";
    return p;
}

void Jobs(const std::string& folder, const std::string& tilemap, int runs) {
    std::printf(
        "\n== the job (-i 255 -o 2073600, the map written durably) against iconv | wc -l\n");
    std::printf("%-36s %9s %9s %6s\n", "pattern file", "job ms", "iconv ms", "ratio");
    for (Pattern& p : Patterns()) {
        const std::string file = Quote(folder + "/" + p.file);
        if (!Write(folder + "/" + p.file, p.text)) continue;
        p.text = std::string();
        Pair(p.label,
             Quote(tilemap) + " -i 255 -o 2073600 " + file + " " + Quote(folder + "/job.bbl"),
             std::string("iconv -f ") + p.encoding + " -t UTF-8 " + file + " | wc -l", runs,
             std::strcmp(p.file, "mixed.map") == 0 ? 1.5 : 1.2);
    }
}

// A graphic of tiles 8x8 at 4 bits (32 bytes), each tile filled with its
// own number's bytes so that a wrong order shows.
std::string Graphic(int tiles) {
    std::string g(static_cast<size_t>(tiles) * 32, '\0');
    for (int t = 0; t < tiles; t++)
        std::memset(&g[static_cast<size_t>(t) * 32], t * 37 + 11, 32);
    return g;
}

void Apply(const std::string& folder, const std::string& tilemap, int runs) {
    const int tiles = 518400;
    const std::string graphic = folder + "/graphic.bin", map = folder + "/apply.bbl";
    if (!Write(graphic, Graphic(tiles)) ||
        !Write(folder + "/apply.map", "/LOOP(2033,1)\n{\n255~1\n}\n"))
        return;
    // A map of 518,400 entries: the first 255 tiles, backwards, again and again.
    if (Bash(Quote(tilemap) + " -i 255 -o 518400 " + Quote(folder + "/apply.map") + " " +
             Quote(map) + " >/dev/null")
            .status != 0) {
        std::printf("apply: the map could not be made\n");
        failures++;
        return;
    }
    std::printf("\n== apply (518,400 tiles of 32 bytes) against a durable copy\n");
    std::printf("%-36s %9s %9s %6s\n", "", "apply ms", "dd ms", "ratio");
    Pair("apply --tile 8x8:4",
         Quote(tilemap) + " apply --tile 8x8:4 " + Quote(map) + " " + Quote(graphic) + " " +
             Quote(folder + "/applied.bin"),
         "dd if=" + Quote(graphic) + " of=" + Quote(folder + "/copied.bin") + " bs=1M conv=fsync",
         runs, 1.2);
}

void Pictures(const std::string& folder, const std::string& tilemap, int runs) {
    // A graphic of 262,144 tiles of 8x8 at 4 bits, and a map of as many
    // slots naming tiles 1..255 in turn: in 512 columns, a 4,096 x 4,096
    // picture of grey levels; the same pixels as a raw grey file for convert.
    const int tiles = 262144, across = 512;
    std::string graphic(static_cast<size_t>(tiles) * 32, '\0'), raw(4096u * 4096u, '\0');
    auto level = [](int t, int x, int y) { return (t + x + y) % 16; };
    for (int t = 0; t < tiles; t++)
        for (int y = 0; y < 8; y++)
            for (int x = 0; x < 8; x++) { // the left pixel in the high bits
                graphic[t * 32 + y * 4 + x / 2] |=
                    static_cast<char>(x % 2 ? level(t, x, y) : level(t, x, y) << 4);
                raw[(t / across * 8 + y) * 4096u + t % across * 8 + x] =
                    static_cast<char>(level(t % 255, x, y) * 17); // slot t shows tile t % 255
            }
    std::string map;
    for (int t = 0; t < 255; t++)
        map += static_cast<char>(t + 1);
    std::string big = map;
    while (big.size() < static_cast<size_t>(tiles))
        big += map;
    big.resize(tiles);
    std::string full = big;
    while (full.size() < static_cast<size_t>(FULL))
        full += big;
    full.resize(FULL);
    const std::string g = folder + "/picture.bin";
    if (!Write(g, graphic) || !Write(folder + "/picture.gray", raw) ||
        !Write(folder + "/picture.bbl", big) || !Write(folder + "/full.bbl", full))
        return;
    std::printf("\n== preview against convert writing the same pixels as PNG\n");
    std::printf("%-36s %9s %9s %6s\n", "", "preview ms", "convert ms", "ratio");
    const std::string preview =
        Quote(tilemap) + " preview --graphic " + Quote(g) + " --tile 8x8:4 --columns 512 ";
    Pair("4,096 x 4,096, 262,144 tiles",
         preview + Quote(folder + "/picture.bbl") + " " + Quote(folder + "/picture.png"),
         "convert -size 4096x4096 -depth 8 gray:" + Quote(folder + "/picture.gray") + " " +
             Quote(folder + "/converted.png"),
         runs, 1.0);
    const std::string command = Quote(tilemap) + " preview --graphic " + Quote(g) +
                                " --tile 8x8:4 " + Quote(folder + "/full.bbl") + " " +
                                Quote(folder + "/full.png");
    const Run r = Bash(command + " >/dev/null 2>&1");
    std::printf("%-36s %9.1f ms  (target 10,000 ms: %s)\n   %s\n",
                "11,520 x 11,520, 2,073,600 slots", r.seconds * 1000,
                r.status == 0 && r.seconds < 10 ? "met" : "MISSED", command.c_str());
    if (r.status != 0) failures++;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: process_bench FOLDER TILEMAP [RUNS] [job|apply|picture ...]\n");
        return 2;
    }
    const std::string folder = argv[1], tilemap = argv[2];
    int runs = 15, first = 3;
    if (argc > 3 && std::atoi(argv[3]) > 0) runs = std::atoi(argv[3]), first = 4;
    std::vector<std::string> rows(argv + first, argv + argc);
    if (rows.empty()) rows = {"job", "apply", "picture"};
    std::printf("medians of %d runs of each command, the two in turn, each started by bash -c\n",
                runs);
    for (const std::string& row : rows) {
        if (row == "job")
            Jobs(folder, tilemap, runs);
        else if (row == "apply")
            Apply(folder, tilemap, runs);
        else if (row == "picture")
            Pictures(folder, tilemap, runs);
        else
            std::fprintf(stderr, "process_bench: no row '%s'\n", row.c_str()), failures++;
    }
    return failures ? 1 : 0;
}
