// The icon tables and image lists: the line format (comments, sections,
// separators, the 31-byte cut, long lines, byte-order marks, Korean names),
// lookups (ASCII case, first line wins, combo box and extension indexes),
// missing files, running out of memory, and image lists from the built-in
// bitmaps or from "ini/*.bmp" files.
#include <gtest/gtest.h>
#include "textlib/mem.h"
#include "shell/icons.h"
#include <cstdio>
#include <tuple>
#include "resources/resource.h"
#include "shell/appstate.h"
#include "tests/shell/uitest.h"

namespace {

// A private working folder with an ini/ folder (the program reads "ini/..."
// relative to the working folder); the files written are removed with it.
struct TempFolder {
    std::string path;
    char previous[MAX_PATH];
    std::vector<std::string> files;
    TempFolder() {
        char temp[MAX_PATH] = "";
        GetTempPathA(sizeof(temp), temp);
        path = temp + ("tileorder-icons-" + std::to_string(GetCurrentProcessId()));
        CreateDirectoryA(path.c_str(), nullptr);
        CreateDirectoryA((path + "\\ini").c_str(), nullptr);
        GetCurrentDirectoryA(sizeof(previous), previous);
        SetCurrentDirectoryA(path.c_str());
    }
    ~TempFolder() {
        SetCurrentDirectoryA(previous);
        for (const std::string& f : files)
            DeleteFileA(f.c_str());
        RemoveDirectoryA((path + "\\ini").c_str());
        RemoveDirectoryA(path.c_str());
    }
    // Writes a file (name relative to the folder); returns its full name.
    std::string Write(const std::string& name, const std::string& bytes) {
        files.push_back(path + "\\" + name);
        FILE* f = fopen(files.back().c_str(), "wb");
        EXPECT_TRUE(f && fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size()) << name;
        if (f) fclose(f);
        return files.back();
    }
};

// The entries as "name=index|" each.
std::string Read(const IconTable& table) {
    std::string out;
    for (int32_t i = 0; i < table.count; ++i)
        out += table.entries[i].name + ("=" + std::to_string(table.entries[i].index)) + "|";
    return out;
}

const std::string N40(40, 'n'), N31(31, 'n'), A31(31, 'a');

// Extension lines split at ';' and count from 2, combo box lines split at
// TAB and count from 0; the last number is the first index left unused.
TEST(IconTables, LoadTheEntriesTheLinesGive) {
    const struct {
        bool combo;
        std::string file, entries;
        int nextIndex;
    } cases[] = {
        // Comments, sections, separators and their runs.
        {false, "# pictures\n[extension]\n.bin;.dat\n.map;;.txt;\n", ".bin=2|.dat=2|.map=3|.txt=3|",
         4},
        {true, "# pictures\n[combobox]\n.bin\t.dat\n.map\t\t.txt\t\n",
         ".bin=0|.dat=0|.map=1|.txt=1|", 2},
        {false, "[\n[x\n.a\n", "[=2|.a=3|", 4}, // a lone "[" is a name
        {false, "\n;;;\n.a\n\n;\n.b\n", ".a=2|.b=3|", 4},
        {false, " .a b ; #c\n", " .a b =2| #c=2|", 3}, // spaces are kept
        {false, ".a\r\n.b\r.c", ".a=2|.b=3|.c=4|", 5},
        {false, N40 + ";.x\n", N31 + "=2|.x=2|", 3},
        // A line longer than the 4095-byte buffer comes in two pieces.
        {false, std::string(5000, 'a') + "\n.bin\n", A31 + "=2|" + A31 + "=3|.bin=4|", 5},
        // Byte-order marks; Korean names kept in CP949.
        {false, "\xEF\xBB\xBF.a;.b\n", ".a=2|.b=2|", 3},
        {true, std::string("\xFF\xFEK\0E\0Y\0\t\0Z\0\n\0", 14), "KEY=0|Z=0|", 1},
        {false, "\xEF\xBB\xBF\xED\x83\x80\xEC\x9D\xBC;.a\n", "\xC5\xB8\xC0\xCF=2|.a=2|", 3},
        {false, "\xC5\xB8\xC0\xCF;.a\n", "\xC5\xB8\xC0\xCF=2|.a=2|", 3},
        {false, "# only a comment\n[extension]\n", "", 2},
        {true, "", "", 0}};
    TempFolder folder;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.file.substr(0, 60)));
        std::string name = folder.Write("table.ini", c.file);
        ASSERT_EQ((c.combo ? ComboIcons_Load : ExtIcons_Load)(name.c_str()), 1);
        EXPECT_EQ(Read(c.combo ? comboIcons : extIcons), c.entries);
        EXPECT_EQ(c.combo ? ComboIcons_NextIndex() : ExtIcons_NextIndex(), c.nextIndex);
        ExtIcons_Free();
        ComboIcons_Free();
    }
}

// A cut name is found only in its cut form; Korean names compare byte for
// byte.
TEST(IconTables, LookupsFoldAsciiCaseAndTheFirstLineWins) {
    TempFolder folder;
    std::string ext =
        folder.Write("ext.ini", ".bin;.dat\n.map;.BIN\n" + N40 + "\n\xC5\xB8\xC0\xCF\n");
    std::string combo = folder.Write("combo.ini", "BITMAP_1BPP\nEFFECT_MAP_UNDO\tbitmap_1bpp\n");
    ASSERT_EQ(ExtIcons_Load(ext.c_str()), 1);
    ASSERT_EQ(ComboIcons_Load(combo.c_str()), 1);
    // Each name's extension index and combo box index.
    std::string got;
    for (const char* name :
         {".bin", ".BIN", ".Map", ".dat", ".xyz", "", "bitmap_1bpp", "EFFECT_MAP_UNDO", N31.c_str(),
          N40.c_str(), "\xC5\xB8\xC0\xCF", "\xC5\xB8"})
        got +=
            std::to_string(ExtIcons_Find(name)) + "/" + std::to_string(ComboIcons_Find(name)) + " ";
    EXPECT_EQ(got, "2/-1 2/-1 3/-1 2/-1 1/-1 1/-1 1/0 1/1 4/-1 1/-1 5/-1 1/-1 ");
    // A missing file leaves the table empty with the first index.
    EXPECT_EQ(ExtIcons_Load("no such folder/extension.ini"), 0);
    EXPECT_EQ(ComboIcons_Load("no such folder/combobox.ini"), 0);
    EXPECT_EQ(ExtIcons_NextIndex(), 2);
    EXPECT_EQ(ComboIcons_NextIndex(), 0);
    EXPECT_EQ(ExtIcons_Find(".bin"), 1);
    EXPECT_EQ(ComboIcons_Find("BITMAP_1BPP"), -1);
    ExtIcons_Free();
    ComboIcons_Free();
}

TEST(IconTables, RunningOutOfMemoryAnywhereLeavesAConsistentTable) {
    TempFolder folder;
    std::string name = folder.Write("ext.ini", ".bin;.dat\n.map;;.txt;\n");
    const std::string all = ".bin=2|.dat=2|.map=3|.txt=3|";
    for (int64_t n = 1;; ++n) {
        SCOPED_TRACE(n);
        Mem_FailNth(n);
        int opened = ExtIcons_Load(name.c_str());
        bool failedOne = Mem_AllocCount() >= n;
        Mem_FailNth(0);
        // Whatever was lost, what is there is in file order with its index.
        std::string got = Read(extIcons), rest = all;
        for (size_t at = 0, end; (end = got.find('|', at)) != std::string::npos; at = end + 1) {
            size_t found = rest.find(got.substr(at, end + 1 - at));
            ASSERT_NE(found, std::string::npos) << got;
            rest = rest.substr(found + end + 1 - at);
        }
        EXPECT_TRUE(ExtIcons_NextIndex() >= 2 && ExtIcons_NextIndex() <= 4);
        ExtIcons_Free();
        if (!failedOne) {
            EXPECT_EQ(opened, 1);
            EXPECT_EQ(got, all);
            break;
        }
    }
}

// A 24-bit BMP in the mask colour with a dark square in every cell.
std::string MakeBmp(int width, int height, int cell) {
    int stride = (width * 3 + 3) & ~3;
    std::string pixels(static_cast<size_t>(stride) * height, '\0');
    for (int i = 0; i < width * height; ++i) {
        int x = i % width, y = i / width, cx = x % cell;
        bool inside = cx > cell / 4 && cx < cell * 3 / 4 && y > height / 4 && y < height * 3 / 4;
        pixels.replace(y * stride + x * 3, 3, inside ? "\x28\x28\x28" : "\xFF\x05\xFF");
    }
    BITMAPFILEHEADER file = {0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    BITMAPINFOHEADER info = {sizeof(info), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    return std::string(reinterpret_cast<char*>(&file), sizeof(file)) +
           std::string(reinterpret_cast<char*>(&info), sizeof(info)) + pixels;
}

TEST(ImageStrips, CutPicturesOfTheRightSizeWithATransparentMask) {
    const struct {
        const char* what;
        int bmpWidth, bmpHeight; // 0: no file, the built-in bitmap
        int fileWidth, resWidth, limit, bitmapId;
        int imageWidth, imageHeight, count;
        int probe; // a picture with a transparent corner
    } cases[] = {
        {"built-in toolbar", 0, 0, 64, 16, 160, IDB_TOOLBAR, 16, 16, 2, 0},
        {"built-in extensions", 0, 0, 16, 16, 32, IDB_EXTENSION, 16, 16, 10, 0},
        {"built-in combo box", 0, 0, 16, 16, 32, IDB_COMBOBOX, 16, 16, 10, 5},
        {"toolbar file", 192, 40, 64, 16, 160, IDB_TOOLBAR, 64, 40, 3, 0},
        {"toolbar file above the limit", 128, 200, 64, 16, 160, IDB_TOOLBAR, 64, 160, 2, 0},
        {"extension file above the limit", 64, 48, 16, 16, 32, IDB_EXTENSION, 16, 32, 4, 0}};
    appState.instance = GetModuleHandleA(nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        if (c.bmpWidth > 0)
            folder.Write("ini\\strip.bmp", MakeBmp(c.bmpWidth, c.bmpHeight, c.fileWidth));
        ImageListSlot slot = {nullptr, 16};
        int height = LoadImageStrip("ini/strip.bmp", c.fileWidth, c.resWidth, c.limit, 3,
                                    c.bitmapId, &slot, 0xFF05FF);
        int cx = 0, cy = 0;
        ASSERT_TRUE(ImageList_GetIconSize(slot.list, &cx, &cy));
        EXPECT_EQ(std::make_tuple(cx, cy, height, ImageList_GetImageCount(slot.list)),
                  std::make_tuple(c.imageWidth, c.imageHeight, c.imageHeight, c.count));
        // Drawn on white, the corner stays white and the picture shows.
        HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
        HBITMAP canvas = CreateCompatibleBitmap(screen, cx, cy);
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(dc, canvas);
        PatBlt(dc, 0, 0, cx, cy, WHITENESS);
        ImageList_Draw(slot.list, c.probe, dc, 0, 0, ILD_TRANSPARENT);
        EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 255));
        int shown = 0;
        for (int i = 0; i < cx * cy; ++i)
            shown += GetPixel(dc, i % cx, i / cx) != RGB(255, 255, 255);
        EXPECT_GT(shown, 0);
        SelectObject(dc, old);
        DeleteObject(canvas);
        DeleteDC(dc);
        ImageSlot_Destroy(&slot);
    }
}

// The toolbar strip from the ini folder, the extension strip built in.
TEST(ImageStrips, StartupBuildsTheListsFromTheIniFolder) {
    TempFolder folder;
    folder.Write("ini\\toolbar.bmp", MakeBmp(128, 24, 64));
    folder.Write("ini\\extension.ini", ".a\n.b\n.c\n");
    {
        AppSession app;
        int cx = 0, cy = 0, ex = 0, ey = 0;
        ImageList_GetIconSize(toolImages.list, &cx, &cy);
        ImageList_GetIconSize(extImages.list, &ex, &ey);
        EXPECT_EQ(
            std::make_tuple(cx, cy, toolImages.height, ImageList_GetImageCount(toolImages.list)),
            std::make_tuple(64, 24, 24, 2));
        EXPECT_EQ(
            std::make_tuple(ex, ey, extImages.height, ImageList_GetImageCount(extImages.list)),
            std::make_tuple(16, 16, 16, 10));
        EXPECT_EQ(ExtIcons_Find(".c"), 4);
        EXPECT_EQ(SendMessageA(appState.toolBar, TB_GETIMAGELIST, 0, 0),
                  reinterpret_cast<LRESULT>(toolImages.list));
    }
    EXPECT_EQ(ExtIcons_Find(".c"), 1); // shutdown released the tables
}

} // namespace
