// The icon tables and image lists. Covers the line format of the two
// tables (comments, section lines, the lone "[", separators and their runs,
// kept spaces, the 31-byte cut, the first line winning, lines longer than
// the line buffer, encodings with byte-order marks, Korean names), the
// lookups with their not-found results, missing and empty files, and the
// image lists cut from the built-in bitmaps or from "ini/*.bmp" files with
// their width, height limit and transparent mask colour.
#include <gtest/gtest.h>
#include "textlib/conv.h"
#include "textlib/mem.h"
#include "shell/icons.h"
#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>
#include "resources/resource.h"
#include "shell/appstate.h"
#include "tests/shell/texts.h"
#include "tests/shell/uitest.h"

namespace {

using Entries = std::vector<std::pair<std::string, int>>;

// A private folder under the temporary folder, made the working folder
// while the test runs (the program reads "ini/..." relative to it).
class TempFolder {
  public:
    TempFolder() {
        char temp[MAX_PATH] = "";
        GetTempPathA(sizeof(temp), temp);
        path_ = std::string(temp) + "tileorder-icons-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(path_.c_str(), nullptr);
        CreateDirectoryA((path_ + "\\ini").c_str(), nullptr);
        GetCurrentDirectoryA(sizeof(previous_), previous_);
        SetCurrentDirectoryA(path_.c_str());
    }
    ~TempFolder() {
        SetCurrentDirectoryA(previous_);
        for (const std::string& f : files_)
            DeleteFileA(f.c_str());
        RemoveDirectoryA((path_ + "\\ini").c_str());
        RemoveDirectoryA(path_.c_str());
    }
    // Writes a file (name relative to the folder); returns its full name.
    std::string Write(const std::string& name, const std::string& bytes) {
        std::string full = path_ + "\\" + name;
        FILE* f = fopen(full.c_str(), "wb");
        if (f) {
            fwrite(bytes.data(), 1, bytes.size(), f);
            fclose(f);
        }
        files_.push_back(full);
        return full;
    }

  private:
    std::string path_;
    char previous_[MAX_PATH];
    std::vector<std::string> files_;
};

Entries Read(const IconTable& table) {
    Entries out;
    for (int32_t i = 0; i < table.count; ++i) {
        out.push_back({table.entries[i].name, table.entries[i].index});
    }
    return out;
}

struct FormatCase {
    const char* what;
    bool combo; // combobox.ini (TAB, from 0) instead of extension.ini (';', from 2)
    std::string file;
    Entries entries;
    int nextIndex;
};

class IconFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(IconFormat, LoadsTheEntriesTheLinesGive) {
    const FormatCase& c = GetParam();
    TempFolder folder;
    std::string name = folder.Write("table.ini", c.file);
    if (c.combo) {
        ASSERT_EQ(ComboIcons_Load(name.c_str()), 1);
        EXPECT_EQ(Read(comboIcons), c.entries);
        EXPECT_EQ(ComboIcons_NextIndex(), c.nextIndex);
        ComboIcons_Free();
    } else {
        ASSERT_EQ(ExtIcons_Load(name.c_str()), 1);
        EXPECT_EQ(Read(extIcons), c.entries);
        EXPECT_EQ(ExtIcons_NextIndex(), c.nextIndex);
        ExtIcons_Free();
    }
}

std::string Repeat(char c, size_t n) {
    return std::string(n, c);
}

const FormatCase formatCases[] = {
    {"comments, sections and separators",
     false,
     "# pictures\n[extension]\n.bin;.dat\n.map;;.txt;\n",
     {{".bin", 2}, {".dat", 2}, {".map", 3}, {".txt", 3}},
     4},
    {"the same with TAB for the combo box",
     true,
     "# pictures\n[combobox]\n.bin\t.dat\n.map\t\t.txt\t\n",
     {{".bin", 0}, {".dat", 0}, {".map", 1}, {".txt", 1}},
     2},
    {"a lone [ is a name; [x is a section", false, "[\n[x\n.a\n", {{"[", 2}, {".a", 3}}, 4},
    {"empty lines and lines of separators use no index",
     false,
     "\n;;;\n.a\n\n;\n.b\n",
     {{".a", 2}, {".b", 3}},
     4},
    {"separators around names give no empty names",
     true,
     "\t\tA\t\tB\t\n",
     {{"A", 0}, {"B", 0}},
     1},
    {"spaces are part of names; only # first is a comment",
     false,
     " .a b ; #c\n",
     {{" .a b ", 2}, {" #c", 2}},
     3},
    {"CR LF and CR line ends", false, ".a\r\n.b\r.c", {{".a", 2}, {".b", 3}, {".c", 4}}, 5},
    {"names are cut to 31 bytes",
     false,
     Repeat('n', 40) + ";.x\n",
     {{Repeat('n', 31), 2}, {".x", 2}},
     3},
    {"a line past the 4095-byte buffer comes in two pieces",
     false,
     Repeat('a', 5000) + "\n.bin\n",
     {{Repeat('a', 31), 2}, {Repeat('a', 31), 3}, {".bin", 4}},
     5},
    {"UTF-8 with a byte-order mark", false, "\xEF\xBB\xBF.a;.b\n", {{".a", 2}, {".b", 2}}, 3},
    {"UTF-16 little-endian with a byte-order mark",
     true,
     std::string("\xFF\xFEK\0E\0Y\0\t\0Z\0\n\0", 14),
     {{"KEY", 0}, {"Z", 0}},
     1},
    {"no data lines", false, "# only a comment\n[extension]\n", {}, 2},
    {"an empty file", true, "", {}, 0},
};

INSTANTIATE_TEST_SUITE_P(Rules, IconFormat, ::testing::ValuesIn(formatCases));

TEST(IconTables, KoreanNamesAreKeptInTheAnsiCodePage) {
    TempFolder folder;
    // U+D0C0 U+C77C ("tile"): in UTF-8 with a byte-order mark, and in the
    // ANSI code page that a file without a mark is read in.
    const std::string files[] = {"\xEF\xBB\xBF\xED\x83\x80\xEC\x9D\xBC;.a\n",
                                 Ansi(u"\uD0C0\uC77C") + ";.a\n"};
    for (const std::string& bytes : files) {
        std::string name = folder.Write("table.ini", bytes);
        ASSERT_EQ(ExtIcons_Load(name.c_str()), 1);
        ASSERT_EQ(extIcons.count, 2);
        EXPECT_EQ(std::string(extIcons.entries[0].name), Ansi(u"\uD0C0\uC77C"));
        EXPECT_EQ(ExtIcons_Find(Ansi(u"\uD0C0\uC77C").c_str()), 2);
        EXPECT_EQ(ExtIcons_Find(Ansi(u"\uD0C0").c_str()), 1);
        ExtIcons_Free();
    }
}

TEST(IconTables, LookupsFoldAsciiCaseAndTheFirstLineWins) {
    TempFolder folder;
    std::string ext = folder.Write("ext.ini", ".bin;.dat\n.map;.BIN\n" + Repeat('n', 40) + "\n");
    std::string combo = folder.Write("combo.ini", "BITMAP_1BPP\nEFFECT_MAP_UNDO\tbitmap_1bpp\n");
    ASSERT_EQ(ExtIcons_Load(ext.c_str()), 1);
    ASSERT_EQ(ComboIcons_Load(combo.c_str()), 1);
    const std::string cut = Repeat('n', 31);
    const struct {
        const char* name;
        int ext, combo;
    } cases[] = {
        {".bin", 2, -1},       {".BIN", 2, -1},           {".Map", 3, -1},
        {".dat", 2, -1},       {".xyz", 1, -1},           {"", 1, -1},
        {"bitmap_1bpp", 1, 0}, {"EFFECT_MAP_UNDO", 1, 1}, {cut.c_str(), 4, -1},
    };
    for (auto& c : cases) {
        EXPECT_EQ(ExtIcons_Find(c.name), c.ext) << c.name;
        EXPECT_EQ(ComboIcons_Find(c.name), c.combo) << c.name;
    }
    // A cut name is found only in its cut form.
    EXPECT_EQ(ExtIcons_Find(Repeat('n', 40).c_str()), 1);
    ExtIcons_Free();
    ComboIcons_Free();
    EXPECT_EQ(ExtIcons_Find(".bin"), 1);
    EXPECT_EQ(ComboIcons_Find("BITMAP_1BPP"), -1);
}

TEST(IconTables, RunningOutOfMemoryAnywhereLeavesAConsistentTable) {
    TempFolder folder;
    std::string name = folder.Write("ext.ini", ".bin;.dat\n.map;;.txt;\n");
    const Entries all = {{".bin", 2}, {".dat", 2}, {".map", 3}, {".txt", 3}};
    for (int64_t n = 1;; ++n) {
        SCOPED_TRACE(n);
        Mem_FailNth(n);
        int opened = ExtIcons_Load(name.c_str());
        bool failedOne = Mem_AllocCount() >= n;
        Mem_FailNth(0);
        // Whatever was lost, what is there is in file order with its index.
        Entries got = Read(extIcons);
        size_t at = 0;
        for (const auto& e : got) {
            while (at < all.size() && all[at] != e)
                ++at;
            EXPECT_LT(at, all.size()) << e.first;
        }
        EXPECT_GE(ExtIcons_NextIndex(), 2);
        EXPECT_LE(ExtIcons_NextIndex(), 4);
        ExtIcons_Free();
        if (!failedOne) {
            EXPECT_EQ(opened, 1);
            EXPECT_EQ(got, all);
            break;
        }
    }
}

TEST(IconTables, AMissingFileLeavesTheTableEmpty) {
    TempFolder folder;
    std::string loaded = folder.Write("ext.ini", ".a\n");
    ASSERT_EQ(ExtIcons_Load(loaded.c_str()), 1);
    EXPECT_EQ(ExtIcons_Load("no such folder/extension.ini"), 0);
    EXPECT_EQ(extIcons.count, 0);
    EXPECT_EQ(ExtIcons_NextIndex(), 2);
    EXPECT_EQ(ExtIcons_Find(".a"), 1);
    EXPECT_EQ(ComboIcons_Load("no such folder/combobox.ini"), 0);
    EXPECT_EQ(ComboIcons_NextIndex(), 0);
    EXPECT_EQ(ComboIcons_Find("A"), -1);
    ExtIcons_Free();
    ComboIcons_Free();
}

TEST(IconTables, TheShippedTablesNameEveryKeyTheDialogsLookUp) {
    // The shipped tables sit beside the program, in build/.../bin/ini.
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string folder(path);
    folder = folder.substr(0, folder.find_last_of('\\')) + "\\..\\bin\\ini\\";
    ASSERT_EQ(ExtIcons_Load(Conv_AnsiToUtf8((folder + "extension.ini").c_str())), 1);
    ASSERT_EQ(ComboIcons_Load(Conv_AnsiToUtf8((folder + "combobox.ini").c_str())), 1);
    // Every picture of the built-in strips (ten each) is used, none beyond.
    EXPECT_EQ(ExtIcons_NextIndex(), 10);
    EXPECT_EQ(ComboIcons_NextIndex(), 10);
    for (const char* ext : {".map", ".txt", ".bbl", ".bin", ".dat", ".exe"}) {
        EXPECT_GE(ExtIcons_Find(ext), 2) << ext;
    }
    std::vector<int> seen;
    for (const char* key :
         {"BITMAP_1BPP", "BITMAP_2BPP", "BITMAP_3BPP", "BITMAP_4BPP", "BITMAP_8BPP",
          "EFFECT_MAP_IMPORT", "EFFECT_MAP_UNDO", "explorer.exe", "NOTEPAD.EXE", "EmEditor.exe"}) {
        int index = ComboIcons_Find(key);
        EXPECT_GE(index, 0) << key;
        seen.push_back(index);
    }
    // Each key has a picture of its own.
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(std::unique(seen.begin(), seen.end()), seen.end());
    ExtIcons_Free();
    ComboIcons_Free();
}

// A 24-bit BMP of width x height: mask colour with a dark square in the
// middle of every 'cell'-wide picture.
std::string MakeBmp(int width, int height, int cell) {
    int stride = (width * 3 + 3) & ~3;
    std::string pixels(static_cast<size_t>(stride) * height, '\0');
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int cx = x % cell;
            bool inside =
                cx > cell / 4 && cx < cell * 3 / 4 && y > height / 4 && y < height * 3 / 4;
            unsigned char* p = reinterpret_cast<unsigned char*>(&pixels[y * stride + x * 3]);
            p[0] = inside ? 40 : 255; // blue
            p[1] = inside ? 40 : 5;   // green
            p[2] = inside ? 40 : 255; // red
        }
    }
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    return std::string(reinterpret_cast<char*>(&file), sizeof(file)) +
           std::string(reinterpret_cast<char*>(&info), sizeof(info)) + pixels;
}

struct StripCase {
    const char* what;
    int bmpWidth, bmpHeight; // 0: no file, the built-in bitmap
    int fileWidth, resWidth, limit, bitmapId;
    int imageWidth, imageHeight, count;
    int probe; // a picture with a transparent corner
};

class ImageStrips : public ::testing::TestWithParam<StripCase> {};

TEST_P(ImageStrips, CutPicturesOfTheRightSize) {
    const StripCase& c = GetParam();
    TempFolder folder;
    appState.instance = GetModuleHandleA(nullptr);
    if (c.bmpWidth > 0)
        folder.Write("ini\\strip.bmp", MakeBmp(c.bmpWidth, c.bmpHeight, c.fileWidth));
    ImageListSlot slot = {nullptr, 16};
    int height = LoadImageStrip("ini/strip.bmp", c.fileWidth, c.resWidth, c.limit, 3, c.bitmapId,
                                &slot, 0xFF05FF);
    ASSERT_NE(slot.list, nullptr);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(slot.list, &cx, &cy);
    EXPECT_EQ(cx, c.imageWidth);
    EXPECT_EQ(cy, c.imageHeight);
    EXPECT_EQ(height, c.imageHeight);
    EXPECT_EQ(ImageList_GetImageCount(slot.list), c.count);
    // The mask colour is transparent: drawn on white, the corner stays white
    // and the picture itself shows.
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, cx, cy);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, canvas);
    PatBlt(dc, 0, 0, cx, cy, WHITENESS);
    ImageList_Draw(slot.list, c.probe, dc, 0, 0, ILD_TRANSPARENT);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 255));
    int shown = 0;
    for (int y = 0; y < cy; ++y) {
        for (int x = 0; x < cx; ++x)
            shown += GetPixel(dc, x, y) != RGB(255, 255, 255);
    }
    EXPECT_GT(shown, 0);
    SelectObject(dc, old);
    DeleteObject(canvas);
    DeleteDC(dc);
    ImageSlot_Destroy(&slot);
    EXPECT_EQ(slot.list, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, ImageStrips,
    ::testing::Values(
        StripCase{"built-in toolbar", 0, 0, 64, 16, 160, IDB_TOOLBAR, 16, 16, 2, 0},
        StripCase{"built-in extensions", 0, 0, 16, 16, 32, IDB_EXTENSION, 16, 16, 10, 0},
        StripCase{"built-in combo box", 0, 0, 16, 16, 32, IDB_COMBOBOX, 16, 16, 10, 5},
        StripCase{"toolbar file", 192, 40, 64, 16, 160, IDB_TOOLBAR, 64, 40, 3, 0},
        StripCase{"toolbar file above the limit", 128, 200, 64, 16, 160, IDB_TOOLBAR, 64, 160, 2,
                  0},
        StripCase{"extension file above the limit", 64, 48, 16, 16, 32, IDB_EXTENSION, 16, 32, 4,
                  0}));

TEST(ImageStrips, StartupBuildsTheListsFromTheIniFolder) {
    TempFolder folder;
    folder.Write("ini\\toolbar.bmp", MakeBmp(128, 24, 64));
    folder.Write("ini\\extension.ini", ".a\n.b\n.c\n");
    {
        AppSession app;
        ASSERT_EQ(app.startResult(), 0);
        int cx = 0, cy = 0;
        ImageList_GetIconSize(toolImages.list, &cx, &cy);
        EXPECT_EQ(cx, 64);
        EXPECT_EQ(cy, 24);
        EXPECT_EQ(toolImages.height, 24);
        EXPECT_EQ(ImageList_GetImageCount(toolImages.list), 2);
        // No extension strip file: the built-in one.
        ImageList_GetIconSize(extImages.list, &cx, &cy);
        EXPECT_EQ(cx, 16);
        EXPECT_EQ(extImages.height, 16);
        EXPECT_EQ(ImageList_GetImageCount(extImages.list), 10);
        EXPECT_EQ(ExtIcons_Find(".c"), 4);
        EXPECT_EQ(
            reinterpret_cast<HIMAGELIST>(SendMessageA(appState.toolBar, TB_GETIMAGELIST, 0, 0)),
            toolImages.list);
    }
    // Shutdown released the tables.
    EXPECT_EQ(ExtIcons_Find(".c"), 1);
}

} // namespace
