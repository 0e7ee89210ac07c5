// Reader throughput: writes a 16 MB pattern-like text (short lines of digits
// and commas, some Korean) in each encoding, reads it line by line with
// TextStream_ReadLine and prints MB/s of file text, beside the same file
// through `iconv -f ENC -t UTF-8 FILE | wc -l` timed in the same run.
// Usage: reader_bench [FOLDER] [MEGABYTES]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "textlib/textstream.h"
#include "textlib/utf.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// The text as code points: lines such as "12, 7~9, 3(2)" with a Korean
// comment line now and then.
std::u32string MakeText(size_t bytes, bool korean) {
    std::u32string text;
    unsigned seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 8) % 1000; };
    while (text.size() < bytes) {
        if (korean && next() % 10 == 0) {
            text += U"# \uD0C0\uC77C \uC21C\uC11C \uBC14\uAFB8\uAE30 \uD328\uD134\n";
            continue;
        }
        const int items = 1 + static_cast<int>(next() % 6);
        for (int i = 0; i < items; ++i) {
            for (char c : std::to_string(next()))
                text += static_cast<char32_t>(c);
            text += i + 1 < items ? U", " : U"\r\n";
        }
    }
    return text;
}

std::string Encode(const std::u32string& text, const std::string& enc) {
    std::string out;
    if (enc == "UTF-8") out = "\xEF\xBB\xBF";
    if (enc == "UTF-16LE") out = "\xFF\xFE";
    if (enc == "UTF-16BE") out = "\xFE\xFF";
    for (char32_t c : text) {
        if (enc == "UTF-8") {
            uint8_t b[4];
            out.append(reinterpret_cast<char*>(b), static_cast<size_t>(Utf8_Encode(b, 4, c)));
        } else if (enc == "UTF-16LE") {
            out += static_cast<char>(c & 0xFF), out += static_cast<char>(c >> 8);
        } else if (enc == "UTF-16BE") {
            out += static_cast<char>(c >> 8), out += static_cast<char>(c & 0xFF);
        } else {
            out += static_cast<char>(c); // ASCII-only ANSI text
        }
    }
    return out;
}

struct Result {
    double seconds = 0;
    long lines = 0;
};

Result ReadAll(const std::string& name) {
    Result r;
    TextStream* s = nullptr;
    if (TextStream_Open(name.c_str(), FILE_READ, &s) != FILE_OK) return r;
    StrBuf* line = StrBuf_New();
    const auto start = Clock::now();
    while (TextStream_ReadLine(line, s))
        ++r.lines;
    r.seconds = Seconds(start);
    StrBuf_Free(line);
    TextStream_Close(s);
    return r;
}

Result Iconv(const std::string& name, const std::string& from) {
    Result r;
    const std::string command = "iconv -f " + from + " -t UTF-8 '" + name + "' | wc -l";
    const auto start = Clock::now();
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    if (std::fscanf(pipe, "%ld", &r.lines) != 1) r.lines = -1;
    pclose(pipe);
    r.seconds = Seconds(start);
    return r;
}

} // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : ".";
    const size_t megabytes = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 16;
    struct Case {
        const char* label;
        const char* enc;   // how the file is written
        const char* iconv; // what iconv is told
        bool korean;
    } cases[] = {
        {"UTF-8 (mark, Korean)", "UTF-8", "UTF-8", true},
        {"ANSI (ASCII only)", "ANSI", "CP949", false},
        {"UTF-16LE (mark, Korean)", "UTF-16LE", "UTF-16", true},
        {"UTF-16BE (mark, Korean)", "UTF-16BE", "UTF-16", true},
    };
    std::printf("%-26s %10s %10s %12s %12s %8s\n", "file", "MB", "lines", "reader MB/s",
                "iconv MB/s", "ratio");
    int status = 0;
    for (const Case& c : cases) {
        const std::string name = folder + "/reader-" + c.enc + ".txt";
        const std::string bytes = Encode(MakeText(megabytes << 20, c.korean), c.enc);
        FILE* f = std::fopen(name.c_str(), "wb");
        if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", name.c_str());
            return 1;
        }
        std::fclose(f);
        const double mb = static_cast<double>(bytes.size()) / (1 << 20);
        Result best, iconv;
        for (int run = 0; run < 3; ++run) { // best of three, for both sides
            const Result r = ReadAll(name);
            const Result i = Iconv(name, c.iconv);
            if (run == 0 || r.seconds < best.seconds) best = r;
            if (run == 0 || i.seconds < iconv.seconds) iconv = i;
        }
        if (best.lines != iconv.lines) {
            std::fprintf(stderr, "%s: reader counted %ld lines, iconv %ld\n", c.label, best.lines,
                         iconv.lines);
            status = 1;
        }
        std::printf("%-26s %10.1f %10ld %12.1f %12.1f %8.2f\n", c.label, mb, best.lines,
                    mb / best.seconds, mb / iconv.seconds, iconv.seconds / best.seconds);
        std::remove(name.c_str());
    }
    return status;
}
