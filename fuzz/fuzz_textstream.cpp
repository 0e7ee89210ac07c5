// Feeds arbitrary bytes to the text reader and checks what must always
// hold: every line is valid UTF-8 with at most one LF, at its end; the
// pieces TextStream_GetLine hands out, joined, equal the lines of
// TextStream_ReadLine on the same bytes (for texts without NUL characters);
// TextStream_ReadText gives the same lines, each with an LF.
// The first input byte picks a byte-order mark to put in front, and the
// GetLine buffer size, so that every encoding and cut gets exercised.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "textlib/textstream.h"
#include "textlib/utf.h"

namespace {

const char* kMarks[] = {"", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF", "\xFF\xFE\0\0", "\0\0\xFE\xFF"};
const size_t kMarkLengths[] = {0, 3, 2, 2, 4, 4};

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz_textstream: %s\n", what);
        std::abort();
    }
}

void CheckLine(const std::string& line) {
    size_t i = 0;
    while (i < line.size()) {
        uint32_t cp;
        const int used = Utf8_Decode(&cp, reinterpret_cast<const uint8_t*>(line.data()) + i,
                                     static_cast<uint32_t>(line.size() - i));
        Check(used > 0 && used <= 4 && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF),
              "a line holds invalid UTF-8");
        i += static_cast<size_t>(used);
    }
    const size_t lf = line.find('\n');
    Check(lf == std::string::npos || lf == line.size() - 1, "a line holds an LF before its end");
    Check(!line.empty(), "an empty line was handed out");
}

std::string g_name;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    if (g_name.empty()) g_name = "/tmp/fuzz_textstream." + std::to_string(getpid());
    const uint8_t control = data[0];
    std::string bytes(kMarks[control % 6], kMarkLengths[control % 6]);
    bytes.append(reinterpret_cast<const char*>(data + 1), size - 1);
    FILE* f = std::fopen(g_name.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);

    std::vector<std::string> lines;
    TextStream* s = nullptr;
    Check(TextStream_Open(g_name.c_str(), FILE_READ, &s) == FILE_OK, "open failed");
    StrBuf* buf = StrBuf_New();
    while (TextStream_ReadLine(buf, s)) {
        lines.emplace_back(buf->data, static_cast<size_t>(buf->length));
        CheckLine(lines.back());
    }
    StrBuf_Free(buf);
    TextStream_Close(s);

    // In blocks of the GetLine sizes: the same text, a line ended by a value
    // UTF-8 cannot carry with an LF, which a last line may then have too.
    {
        const uint32_t blocks[] = {1, 3, 7, 64, 4096};
        std::vector<char> block(blocks[(control / 6) % 5]);
        Check(TextStream_Open(g_name.c_str(), FILE_READ, &s) == FILE_OK, "open failed");
        std::string text, want;
        for (uint32_t n; (n = TextStream_ReadText(block.data(), uint32_t(block.size()), s)) > 0;)
            text.append(block.data(), n);
        TextStream_Close(s);
        for (const std::string& line : lines)
            want += line.back() == '\n' || &line == &lines.back() ? line : line + "\n";
        Check(text == want || text == want + "\n", "ReadText differs from the lines");
    }

    bool hasNul = false;
    for (const std::string& line : lines)
        hasNul |= line.find('\0') != std::string::npos;
    if (!hasNul) {
        const int32_t sizes[] = {2, 3, 7, 64, 4096};
        const int32_t pieceSize = sizes[(control / 6) % 5];
        std::vector<char> piece(static_cast<size_t>(pieceSize));
        Check(TextStream_Open(g_name.c_str(), FILE_READ, &s) == FILE_OK, "open failed");
        // Joined, the pieces are the lines; every line ends where a piece ends.
        std::string joined;
        std::vector<size_t> pieceEnds;
        while (TextStream_GetLine(piece.data(), pieceSize, s)) {
            const size_t n = std::strlen(piece.data());
            Check(n >= 1 && n <= static_cast<size_t>(pieceSize - 1),
                  "a piece is too long or empty");
            joined.append(piece.data(), n);
            pieceEnds.push_back(joined.size());
        }
        TextStream_Close(s);
        std::string all;
        size_t next = 0;
        for (const std::string& line : lines) {
            all += line;
            while (next < pieceEnds.size() && pieceEnds[next] < all.size())
                ++next;
            Check(next < pieceEnds.size() && pieceEnds[next] == all.size(),
                  "a line ends inside a piece");
        }
        Check(joined == all, "GetLine pieces differ from ReadLine lines");
    }
    return 0;
}
