// Covers the verbs of the tilemap command as a process: preview pictures read back through the
// image library (size, pixels of solid tiles, plain, inverted, a palette; every other one from
// standard input to standard output), status and first words of apply, preview and check (refusals
// leave the output as it was: numbers out of range, two inputs of -, devices; no file named -
// appears), inputs from pipes and standard input, and the guide's examples.
#include "cli/image.h"
#include "tests/support/command.h"
#include "tests/support/testdir.h"
#include "textlib/mem.h"
#include <gtest/gtest.h>
#include <tuple>

namespace {

// A graphic of 64 distinct bytes, and patterns that each give one warning.
const std::string G64 = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ!?";
// clang-format off
const std::tuple<const char*, const char*, const char*> WARNINGS[] = {
    {"-i 4 -o 4", "5\n", "1: warning: number 5 is outside 1..4: the slot stays empty"}, {"-i 300 -o 4", "256\n", "1: warning: number 256 is above 255"},
    {"-m undo -i 4 -o 4", "5~6\n", "1: warning: numbers from 5 to 6 reach outside 1..4: those are skipped"}, {"-i 4 -o 4", "x\n", "1: warning: 'x' does not read as a number"},
    {"-i 4 -o 4", "/REPEAT(5\n", "1: warning: '/REPEAT(5' does not end with ')'"}, {"-i 4 -o 4", "/NOPE(1)\n", "1: warning: '/NOPE(1)' names no directive"},
    {"-i 4 -o 4", "{\n", "1: warning: '{' with no loop open"}, {"-i 4 -o 4", "}\n", "1: warning: '}' with no '{' open"},
    {"-i 4 -o 4", "/LOOP(2,2)\n{\n1\n", "1: warning: this loop is still open"}, {"-i 4 -o 1", "1\n2\n", "2: warning: the map is full before this line"}};
// clang-format on

TEST(VerbsCli, PreviewPicturesStatusAndMessages) {
    TestDir dir;
    InFolder here(dir.path);
    // Four solid 8x8 tiles of 4 bits a pixel, values 1, 5, 10 and 15, after 3 bytes.
    std::string graphic = "abc", palette; // colour v: red 7 * v + 3
    for (int v : {1, 5, 10, 15})
        graphic += std::string(32, static_cast<char>(v * 17));
    for (int v = 0; v < 16; v++)
        palette += {static_cast<char>(7 * v + 3), 0, 0};
    // g1: 1 bit a pixel, left half dark or right; m, g and the rest for the verbs' messages.
    // clang-format off
    const std::pair<const char*, std::string> files[] = {
        {"pm", std::string("\1\0\3\2\4", 5)}, {"s", graphic}, {"pal", palette},
        {"g1", "abc" + std::string(32, '\x0F')}, {"m", "\2\1"}, {"g", "AAAABBBB"},
        {"short", "xyz"}, {"ok.txt", "1,2\n"}, {"bad.txt", "1,x\n"}, {"m4", "\1\2\3\4"}, {"g64", G64}, {"m4k", std::string(4000, 1)},
        {"none.txt", "# 1\n"}, {"pn", "\1\3\2\4"}};
    const struct {
        std::string args;
        uint32_t width, height;
        std::vector<std::tuple<uint32_t, uint32_t, uint8_t>> pixels; // x, y, red
        std::string map = "pm";
    } pictures[] = {
        {"", 3 * 28, 2 * 16, {{27, 0, 160}, {2, 2, 255}, {28 + 2, 2, 200}}},
        {"--columns 5 --graphic s --tile 8x8:4 --offset 3 --scale 2", 80, 16, {{0, 0, 17}, {15, 15, 17}, {16, 0, 200}, {18, 0, 64}, {32, 5, 170}, {48, 15, 85}, {79, 0, 255}}},
        {"--columns 1 --graphic g1 --tile 8x8:1 --offset 0x3", 8, 40, {{0, 0, 0}, {3, 0, 0}, {4, 0, 255}, {7, 7, 255}}}, {"--columns 1 --graphic g1 --tile 8x8:1i --offset 3", 8, 40, {{0, 0, 255}, {7, 7, 0}}},
        {"--columns 5 --graphic s --tile 8x8:4 --offset 3 --palette pal", 40, 8, {{0, 0, 10}, {16, 0, 73}}},
        {"--graphic s --tile 8x8:4 --offset 3 --smallest", 16, 16, {{0, 0, 17}, {8, 0, 170}, {7, 8, 85}, {15, 15, 255}}, "pn"}, // grey
    };
    // clang-format on
    for (const auto& [name, text] : files)
        WriteFile(name, text);
    for (const auto& c : pictures) {
        const std::string picture = "p" + std::to_string(&c - pictures) + ".png"; // see Shell
        // Every other picture from standard input to standard output.
        const std::string files = (&c - pictures) % 2 ? " - - <" + c.map + " >" : " " + c.map + " ";
        const auto [status, out, err] = Shell(EXE + " preview " + c.args + files + picture, true);
        ASSERT_EQ(status, 0) << c.args + "\n" + out;
        const std::string png = ReadFile(picture);
        PreviewImage image;
        ASSERT_TRUE(Image_DecodePng((const uint8_t*)png.data(), uint32_t(png.size()), &image));
        EXPECT_EQ(std::make_pair(image.width, image.height), std::make_pair(c.width, c.height));
        for (const auto& [x, y, red] : c.pixels)
            EXPECT_EQ(image.rgb[(y * image.width + x) * 3], red) << c.args << " " << x << "," << y;
        Mem_Free(image.rgb);
    }
    // Arguments, status, the output's first words, the output file afterwards.
    std::vector<std::tuple<std::string, int, std::string, std::string>> cases = {
        // clang-format off
        {"apply --tile-bytes 4 m g o", 0, "o written: 2 tiles", "BBBBAAAA"}, {"apply --tile 4x2:4 --into g m g o", 0, "o written", "BBBBAAAA"},
        {"apply --tile-bytes 4 --offset 1 m g o", 1, "tilemap: entry 1 of the map 'm' names tile 2", "old"},
        {"apply --tile-bytes 4 --into short m g o", 1, "tilemap: the file 'short' is too short", "old"}, {"apply --tile 8x8:5 m g o", 2, "tilemap: the tile format must", "old"},
        {"apply m g o", 2, "tilemap: apply needs the tile format", "old"}, {"apply -h", 0, "Usage: tilemap apply", "old"},
        {"apply --tile 1x1:8 --tile-bytes 1 m g o", 2, "tilemap: only one of --tile and --tile-bytes may be given\nTry 'tilemap apply --help'", "old"},
        {"apply --tile-bytes 4 --offset 0x7EDCBA9876543210 m g o", 1, "tilemap: the graphic 'g' is shorter than the offset 9141386507638288912\n", "old"}, {"apply --tile-bytes 4 --offset 0xabcdef m g o", 1, "tilemap: the graphic 'g' is shorter than the offset 11259375\n", "old"},
        {"preview m4 - >p.png", 0, "- written: 56 x 32 pixels, 4 cells", "old"}, {"preview m - >p.png", 0, "- written: 56 x 16 pixels, 2 cells", "old"}, {"preview --columns 1 --scale 16 m4k o", 1, "tilemap: the picture would be 448 x 1024000 pixels", "old"},
        {"apply --tile-bytes 4 . g o", 1, "tilemap: cannot read the map '.': a folder", "old"}, {"apply --tile-bytes 4 m g .", 1, "tilemap: cannot write the output file '.': a folder", "old"},
        {"preview --scale 0 m o", 2, "tilemap: too small for the scale", "old"}, {"preview --graphic g --tile 8x8:4 m o", 1, "tilemap: entry 1 of the map names tile 2", "old"},
        {"check -i 2 -o 2 ok.txt", 0, "ok.txt: 2 slots filled, 0 empty slots", "old"}, {"check missing.txt", 2, "tilemap: cannot open the pattern file", "old"},
        // Numbers past what the option holds, 64 bits included, or below 0.
        {"apply --tile-bytes 4 --offset 18446744073709551616 m g o", 2, "tilemap: too large for the offset", "old"}, {"apply --tile-bytes 4 --offset -0x4 m g o", 2, "tilemap: the offset cannot be negative", "old"},
        {"apply --tile-bytes 0x10000 m g o", 2, "tilemap: too large for the tile bytes", "old"}, {"preview --columns 99999999999999999999 m o", 2, "tilemap: too large for the columns", "old"},
        {"check -o 0 ok.txt", 2, "tilemap: too small for the output count", "old"}, {"check -i -1 ok.txt", 2, "tilemap: the input count cannot be", "old"},
        // - for standard input (one input at most) or output; streams read to their end; devices refused.
        {"apply --tile-bytes 4 - g o <m", 0, "o written: 2 tiles", "BBBBAAAA"}, {CAT + "g | {T} apply --tile-bytes 4 m - o", 0, "o written: 2 tiles", "BBBBAAAA"}, {CAT + "g | {T} apply --tile-bytes 2 --offset 2 m - o", 0, "o written: 2 tiles", "BBAA"},
        {"apply --tile-bytes 4 --into - m g o <g", 0, "o written", "BBBBAAAA"}, {"apply --tile-bytes 4 m g - >o", 0, "- written: 2 tiles", "BBBBAAAA"},
        {"apply --tile-bytes 4 - - o", 2, "tilemap: standard input (-) can be only one", "old"}, {"preview --graphic - --tile 8x8:4 - o", 2, "tilemap: standard input", "old"},
        {"apply --tile-bytes 4 " + ENDLESS + " g o", 1, "tilemap: cannot read the map '" + ENDLESS + "': a device", "old"}, {"preview --graphic " + ENDLESS + " --tile 8x8:4 m o", 1, "tilemap: cannot read the graphic", "old"},
        {"check -i 2 -o 2 - <ok.txt", 0, "-: 2 slots filled, 0 empty slots", "old"}, {CAT + "ok.txt | {T} check -m undo -i 2 -o 2 -", 0, "-: 2 slots filled, 0 empty slots", "old"},
        {"check " + ENDLESS, 2, "tilemap: cannot open the pattern file '" + ENDLESS + "': a device", "old"},
        {"check --quiet -i 2 -o 2 bad.txt", 1, "1 warning\n", "old"}, // the warnings: the guide's examples
        {"check none.txt", 1, "none.txt:1: warning: no number reaches the map: the job fails", "old"}, // as the job
        {"none.txt o", 1, "tilemap: no number in the pattern file", "old"},
#ifndef _WIN32
        {"check ok.txt >/dev/full", 2, "tilemap: cannot write the report", "old"}, // a report lost is no success
#endif
        {"apply --tile 4x2:4 --into g m g g", 0, "g written: 2 tiles", "old"}, // the file written into is the output: last, as it changes g
        // clang-format on
    };
    // clang-format off
    for (const auto& [f, s] : std::vector<std::pair<std::string, size_t>>{{"8x1:1", 1}, {"8x1:1i", 1}, {"4x1:2", 1}, {"4x1:2i", 1}, {"3x3:3", 6}, {"3x7:3", 9}, {"5x5:3", 12}, {"2x1:4", 1}, {"2x1:4i", 1}, {"1x1:8", 1}, {"8x8:4", 32}})
        cases.push_back({"apply --tile " + f + " m g64 o", 0, "o written: 2 tiles of " + std::to_string(s) + " byte", G64.substr(s, s) + G64.substr(0, s)}); // every format, its stride
    for (const auto& [args, text, warning] : WARNINGS) // each warning alone
        WriteFile("w" + std::to_string(cases.size()), text), cases.push_back({"check " + std::string(args) + " w" + std::to_string(cases.size()), 1, "w" + std::to_string(cases.size()) + ":" + warning, "old"});
    // clang-format on
    for (const auto& [args, code, text, output] : cases) {
        WriteFile("o", "old");
        const size_t at = args.find("{T}"); // a pipe into the command
        const auto [status, out, err] = Shell(
            at == std::string::npos ? EXE + " " + args : std::string(args).replace(at, 3, EXE),
            true);
        EXPECT_EQ(std::make_tuple(status, out.substr(0, text.size()), ReadFile("o")),
                  std::make_tuple(code, text, output))
            << args + "\n" + out;
        EXPECT_FALSE(std::filesystem::exists("-")) << args;
    }
}

// The examples of the guide's chapter: each command after "    $ " runs in a shell, and the lines
// after it up to a blank line are its output.
TEST(VerbsCli, GuideExamples) {
#ifdef _WIN32
    GTEST_SKIP() << "the examples are shell commands; checked in the Linux build";
#else
    std::ifstream guide(DOCS_DIR "/verbs.md");
    TestDir dir;
    InFolder here(dir.path);
    std::string line, command, expected;
    int examples = 0;
    for (bool more = true; more;) {
        more = static_cast<bool>(std::getline(guide, line));
        if (!command.empty() && (!more || line.empty() || line.rfind("    $ ", 0) == 0)) {
            if (command.rfind("tilemap ", 0) == 0) command.replace(0, 7, EXE);
            EXPECT_EQ(Shell(command, true).out, expected) << command;
            command.clear(), examples++;
        }
        if (line.rfind("    $ ", 0) == 0)
            command = line.substr(6), expected.clear();
        else if (!command.empty())
            expected += line.substr(4) + "\n";
    }
    EXPECT_GT(examples, 1);
#endif
}

} // namespace
