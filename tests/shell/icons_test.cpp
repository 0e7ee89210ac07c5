// The icon tables (line format, lookups, missing files, running out of
// memory) and the image lists from built-in bitmaps or "ini/*.bmp" files.
#include <gtest/gtest.h>
#include <algorithm>
#include <regex>
#include "resources/resource.h"
#include "shell/appstate.h"
#include "shell/icons.h"
#include "tests/support/uitest.h"
#include "tests/support/testdir.h"
#include "textlib/mem.h"

namespace {

// A scratch working folder with an ini/ folder in it, as the program reads.
struct IniFolder : InTestDir {
    IniFolder() { std::filesystem::create_directories("ini"); }
};

// A table's entries as "name=index|" each, then the first index left unused.
std::string Read(bool combo) {
    const IconTable& table = combo ? comboIcons : extIcons;
    std::string out;
    for (int32_t i = 0; i < table.count; ++i)
        out += table.entries[i].name + ("=" + std::to_string(table.entries[i].index)) + "|";
    return out + std::to_string(combo ? ComboIcons_NextIndex() : ExtIcons_NextIndex());
}

const std::string N40(40, 'n'), N31(31, 'n'), A31(31, 'a'), TILE = "\xC5\xB8\xC0\xCF";

// Extension lines split at ';' and count from 2, combo box lines at TAB from
// 0; names are cut at 31 bytes, Korean ones kept in CP949. A missing file
// leaves a table empty; a failed allocation loses entries, not file order.
TEST(IconTables, LinesLookupsMissingFilesAndRunningOutOfMemory) {
    const std::tuple<bool, std::string, std::string> cases[] = {
        // a combo box table?, file, entries
        {false, "# c\n[extension]\n.bin;.dat\n.map;;.txt;\n", ".bin=2|.dat=2|.map=3|.txt=3|4"},
        {true, "[combobox]\n.bin\t.dat\n\n.map\t\t.txt\t\n", ".bin=0|.dat=0|.map=1|.txt=1|2"},
        {false, "[\n[x\n;;;\n .a b ; #c\r\n.b\r.c", "[=2| .a b =3| #c=3|.b=4|.c=5|6"},
        // A line past the 4095-byte buffer comes in two pieces.
        {false, N40 + ";.x\n" + std::string(5000, 'a') + "\n",
         N31 + "=2|.x=2|" + A31 + "=3|" + A31 + "=4|5"},
        {true, std::string("\xFF\xFEK\0E\0Y\0\t\0Z\0\n\0", 14), "KEY=0|Z=0|1"},
        {false, "\xEF\xBB\xBF\xED\x83\x80\xEC\x9D\xBC;.a\n", TILE + "=2|.a=2|3"},
        {false, TILE + "\n", TILE + "=2|3"},
        {true, "", "0"}};
    IniFolder folder;
    for (const auto& [combo, file, entries] : cases) {
        SCOPED_TRACE(testing::PrintToString(file.substr(0, 60)));
        WriteFile("table.ini", file);
        ASSERT_EQ((combo ? ComboIcons_Load : ExtIcons_Load)("table.ini"), 1);
        EXPECT_EQ(Read(combo), entries);
        (combo ? ComboIcons_Free : ExtIcons_Free)();
    }
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
    EXPECT_EQ(Read(false) + " " + Read(true), "2 0");
    ExtIcons_Free();
    ComboIcons_Free();
    WriteFile("ext.ini", ".bin;.dat\n.map;;.txt;\n");
    const std::regex some(R"((\.bin=2\|)?(\.dat=2\|)?(\.map=3\|)?(\.txt=3\|)?[234])");
    bool failedOne = true;
    for (int64_t n = 1; failedOne; ++n) { // the nth allocation fails, until none is left
        Mem_FailNth(n);
        int opened = ExtIcons_Load("ext.ini");
        failedOne = Mem_AllocCount() >= n;
        Mem_FailNth(0);
        got = Read(false);
        EXPECT_TRUE(failedOne ? std::regex_match(got, some)
                              : opened == 1 && got == ".bin=2|.dat=2|.map=3|.txt=3|4")
            << n << got;
        ExtIcons_Free();
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
    BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(54 + pixels.size()), 0, 0, 54}; // 14 + 40
    BITMAPINFOHEADER info = {sizeof(info), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    return std::string(reinterpret_cast<char*>(&file), sizeof(file)) +
           std::string(reinterpret_cast<char*>(&info), sizeof(info)) + pixels;
}

// "height:WxHxN" of a strip and its list, then "+" when picture index drawn on
// white keeps a white corner (the mask) and shows something else.
std::string Shape(HIMAGELIST list, int height, int index = 0) {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(list, &cx, &cy);
    const std::vector<COLORREF> drawn =
        Ui_Paint(cx, cy, [&](HDC dc) { ImageList_Draw(list, index, dc, 0, 0, ILD_TRANSPARENT); });
    const COLORREF white = RGB(255, 255, 255);
    const bool shown = std::count(drawn.begin(), drawn.end(), white) < cx * cy;
    return std::to_string(height) + ":" + std::to_string(cx) + "x" + std::to_string(cy) + "x" +
           std::to_string(ImageList_GetImageCount(list)) + (shown && drawn[0] == white ? "+" : "");
}

TEST(ImageStrips, CutPicturesOfTheRightSizeWithATransparentMask) {
    const struct {
        int bmpWidth, bmpHeight, fileWidth, resWidth, limit, bitmapId; // bmpWidth 0: built in
        int probe; // a picture with a transparent corner
        const char* shape;
    } cases[] = {{0, 0, 64, 16, 160, IDB_TOOLBAR, 0, "16:16x16x2+"},
                 {0, 0, 16, 16, 32, IDB_EXTENSION, 0, "16:16x16x10+"},
                 {0, 0, 16, 16, 32, IDB_COMBOBOX, 5, "16:16x16x10+"},
                 {192, 40, 64, 16, 160, IDB_TOOLBAR, 0, "40:64x40x3+"},
                 {128, 200, 64, 16, 160, IDB_TOOLBAR, 0, "160:64x160x2+"}, // above the height limit
                 {64, 48, 16, 16, 32, IDB_EXTENSION, 0, "32:16x32x4+"}};
    appState.instance = GetModuleHandleA(nullptr);
    for (const auto& c : cases) {
        IniFolder folder;
        if (c.bmpWidth > 0)
            WriteFile("ini/strip.bmp", MakeBmp(c.bmpWidth, c.bmpHeight, c.fileWidth));
        ImageListSlot slot = {nullptr, 16};
        int height = LoadImageStrip("ini/strip.bmp", c.fileWidth, c.resWidth, c.limit, 3,
                                    c.bitmapId, &slot, 0xFF05FF);
        EXPECT_EQ(Shape(slot.list, height, c.probe), c.shape) << c.bitmapId;
        ImageSlot_Destroy(&slot);
    }
}

// The toolbar strip from the ini folder, the extension strip built in.
TEST(ImageStrips, StartupBuildsTheListsFromTheIniFolder) {
    IniFolder folder;
    WriteFile("ini/toolbar.bmp", MakeBmp(128, 24, 64));
    WriteFile("ini/extension.ini", ".a\n.b\n.c\n");
    auto app = std::make_unique<AppSession>();
    EXPECT_EQ(Shape(toolImages.list, toolImages.height) + " " +
                  Shape(extImages.list, extImages.height) + " " +
                  std::to_string(ExtIcons_Find(".c")),
              "24:64x24x2+ 16:16x16x10+ 4");
    EXPECT_EQ(SendMessageA(appState.toolBar, TB_GETIMAGELIST, 0, 0), LRESULT(toolImages.list));
    app.reset();
    EXPECT_EQ(ExtIcons_Find(".c"), 1); // shutdown released the tables
}

} // namespace
