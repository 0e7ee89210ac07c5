// The icon tables and image lists: the line format (comments, sections,
// separators, the 31-byte cut, long lines, byte-order marks, Korean names),
// lookups (ASCII case, first line wins, combo box and extension indexes),
// missing files, running out of memory, and image lists from the built-in
// bitmaps or from "ini/*.bmp" files.
#include <gtest/gtest.h>
#include <tuple>
#include "resources/resource.h"
#include "shell/appstate.h"
#include "shell/icons.h"
#include "tests/shell/uitest.h"
#include "tests/textlib/testdir.h"
#include "textlib/mem.h"

namespace {

// A scratch folder as the working folder, with an ini/ folder in it (the
// program reads "ini/..." relative to the working folder).
struct IniFolder {
    TestDir dir;
    InFolder in{dir.path};
    IniFolder() { std::filesystem::create_directories("ini"); }
};

// The entries as "name=index|" each.
std::string Read(const IconTable& table) {
    std::string out;
    for (int32_t i = 0; i < table.count; ++i)
        out += table.entries[i].name + ("=" + std::to_string(table.entries[i].index)) + "|";
    return out;
}

const std::string N40(40, 'n'), N31(31, 'n'), A31(31, 'a'), TILE = "\xC5\xB8\xC0\xCF";

// Extension lines split at ';' and count from 2, combo box lines split at
// TAB and count from 0; the last number is the first index left unused.
TEST(IconTables, LoadTheEntriesTheLinesGive) {
    const struct {
        bool combo;
        std::string file, entries;
        int nextIndex;
    } cases[] = {
        {false, "# c\n[extension]\n.bin;.dat\n.map;;.txt;\n", ".bin=2|.dat=2|.map=3|.txt=3|", 4},
        {true, "[combobox]\n.bin\t.dat\n\n.map\t\t.txt\t\n", ".bin=0|.dat=0|.map=1|.txt=1|", 2},
        {false, "[\n[x\n;;;\n .a b ; #c\r\n.b\r.c", "[=2| .a b =3| #c=3|.b=4|.c=5|", 6},
        // Names are cut at 31 bytes; a line past the 4095-byte buffer comes in two pieces.
        {false, N40 + ";.x\n" + std::string(5000, 'a') + "\n",
         N31 + "=2|.x=2|" + A31 + "=3|" + A31 + "=4|", 5},
        // Byte-order marks; Korean names kept in CP949.
        {true, std::string("\xFF\xFEK\0E\0Y\0\t\0Z\0\n\0", 14), "KEY=0|Z=0|", 1},
        {false, "\xEF\xBB\xBF\xED\x83\x80\xEC\x9D\xBC;.a\n", TILE + "=2|.a=2|", 3},
        {false, TILE + "\n", TILE + "=2|", 3},
        {true, "", "", 0}};
    IniFolder folder;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.file.substr(0, 60)));
        WriteFile("table.ini", c.file);
        ASSERT_EQ((c.combo ? ComboIcons_Load : ExtIcons_Load)("table.ini"), 1);
        EXPECT_EQ(Read(c.combo ? comboIcons : extIcons), c.entries);
        EXPECT_EQ(c.combo ? ComboIcons_NextIndex() : ExtIcons_NextIndex(), c.nextIndex);
        ExtIcons_Free();
        ComboIcons_Free();
    }
}

// A cut name is found only in its cut form; Korean names compare byte for
// byte; a missing file leaves the table empty with the first index.
TEST(IconTables, LookupsFoldAsciiCaseAndTheFirstLineWins) {
    IniFolder folder;
    WriteFile("ext.ini", ".bin;.dat\n.map;.BIN\n" + N40 + "\n" + TILE + "\n");
    WriteFile("combo.ini", "BITMAP_1BPP\nEFFECT_MAP_UNDO\tbitmap_1bpp\n");
    ASSERT_EQ(ExtIcons_Load("ext.ini") + ComboIcons_Load("combo.ini"), 2);
    std::string got;
    for (const char* name : {".bin", ".BIN", ".Map", ".xyz", "", "bitmap_1bpp", "EFFECT_MAP_UNDO",
                             N31.c_str(), N40.c_str(), TILE.c_str(), "\xC5\xB8"})
        got +=
            std::to_string(ExtIcons_Find(name)) + "/" + std::to_string(ComboIcons_Find(name)) + " ";
    EXPECT_EQ(got, "2/-1 2/-1 3/-1 1/-1 1/-1 1/0 1/1 4/-1 1/-1 5/-1 1/-1 ");
    EXPECT_EQ(ExtIcons_Load("no such folder/extension.ini") + ComboIcons_Load("none.ini"), 0);
    EXPECT_EQ(std::make_pair(ExtIcons_NextIndex(), ComboIcons_NextIndex()), std::make_pair(2, 0));
    EXPECT_EQ(std::make_pair(ExtIcons_Find(".bin"), ComboIcons_Find("BITMAP_1BPP")),
              std::make_pair(1, -1));
    ExtIcons_Free();
    ComboIcons_Free();
}

// Whatever an allocation that fails loses, what is there is in file order
// with its index; once no allocation fails, everything is there.
TEST(IconTables, RunningOutOfMemoryAnywhereLeavesAConsistentTable) {
    IniFolder folder;
    WriteFile("ext.ini", ".bin;.dat\n.map;;.txt;\n");
    const std::string all = ".bin=2|.dat=2|.map=3|.txt=3|";
    for (int64_t n = 1;; ++n) {
        SCOPED_TRACE(n);
        Mem_FailNth(n);
        int opened = ExtIcons_Load("ext.ini");
        bool failedOne = Mem_AllocCount() >= n;
        Mem_FailNth(0);
        std::string got = Read(extIcons), rest = all;
        for (size_t at = 0, end; (end = got.find('|', at)) != std::string::npos; at = end + 1) {
            size_t found = rest.find(got.substr(at, end + 1 - at));
            ASSERT_NE(found, std::string::npos) << got;
            rest = rest.substr(found + end + 1 - at);
        }
        EXPECT_TRUE(ExtIcons_NextIndex() >= 2 && ExtIcons_NextIndex() <= 4);
        ExtIcons_Free();
        if (!failedOne) {
            EXPECT_EQ(std::make_pair(opened, got), std::make_pair(1, all));
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

// Picture index of the list drawn on white: whether its corner stays white
// (the mask) and whether anything else shows.
std::pair<bool, bool> Draw(HIMAGELIST list, int index, int cx, int cy) {
    HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, cx, cy);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, canvas);
    PatBlt(dc, 0, 0, cx, cy, WHITENESS);
    ImageList_Draw(list, index, dc, 0, 0, ILD_TRANSPARENT);
    bool shown = false;
    for (int i = 0; i < cx * cy; ++i)
        shown |= GetPixel(dc, i % cx, i / cx) != RGB(255, 255, 255);
    std::pair<bool, bool> result = {GetPixel(dc, 0, 0) == RGB(255, 255, 255), shown};
    DeleteObject(SelectObject(dc, old));
    DeleteDC(dc);
    return result;
}

TEST(ImageStrips, CutPicturesOfTheRightSizeWithATransparentMask) {
    const struct {
        int bmpWidth, bmpHeight; // 0: no file, the built-in bitmap
        int fileWidth, resWidth, limit, bitmapId;
        int imageWidth, imageHeight, count;
        int probe; // a picture with a transparent corner
    } cases[] = {{0, 0, 64, 16, 160, IDB_TOOLBAR, 16, 16, 2, 0},
                 {0, 0, 16, 16, 32, IDB_EXTENSION, 16, 16, 10, 0},
                 {0, 0, 16, 16, 32, IDB_COMBOBOX, 16, 16, 10, 5},
                 {192, 40, 64, 16, 160, IDB_TOOLBAR, 64, 40, 3, 0},
                 {128, 200, 64, 16, 160, IDB_TOOLBAR, 64, 160, 2, 0}, // above the height limit
                 {64, 48, 16, 16, 32, IDB_EXTENSION, 16, 32, 4, 0}};
    appState.instance = GetModuleHandleA(nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bitmapId << " " << c.bmpWidth << "x" << c.bmpHeight);
        IniFolder folder;
        if (c.bmpWidth > 0)
            WriteFile("ini/strip.bmp", MakeBmp(c.bmpWidth, c.bmpHeight, c.fileWidth));
        ImageListSlot slot = {nullptr, 16};
        int height = LoadImageStrip("ini/strip.bmp", c.fileWidth, c.resWidth, c.limit, 3,
                                    c.bitmapId, &slot, 0xFF05FF);
        int cx = 0, cy = 0;
        ASSERT_TRUE(ImageList_GetIconSize(slot.list, &cx, &cy));
        EXPECT_EQ(std::make_tuple(cx, cy, height, ImageList_GetImageCount(slot.list)),
                  std::make_tuple(c.imageWidth, c.imageHeight, c.imageHeight, c.count));
        EXPECT_EQ(Draw(slot.list, c.probe, cx, cy), std::make_pair(true, true));
        ImageSlot_Destroy(&slot);
    }
}

// The toolbar strip from the ini folder, the extension strip built in.
TEST(ImageStrips, StartupBuildsTheListsFromTheIniFolder) {
    IniFolder folder;
    WriteFile("ini/toolbar.bmp", MakeBmp(128, 24, 64));
    WriteFile("ini/extension.ini", ".a\n.b\n.c\n");
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
