// Dialog helpers: number texts and their ring, numeric fields read and
// rewritten on losing the focus (one table of texts), placement against a
// work area smaller than the dialog, names relative to the start folder,
// striped rows and the tile byte size.
#include <gtest/gtest.h>
#include "dialogs/dlgutil.h"
#include <climits>
#include <cstring>
#include "shell/appstate.h"

namespace {

HWND Popup(const char* cls, HWND owner, int x, int y, int width, int height) {
    return CreateWindowA(cls, "", WS_POPUP, x, y, width, height, owner, nullptr, nullptr, nullptr);
}

TEST(NumFormat, GroupsDigitsAndKeepsEightTextsIntact) {
    const struct {
        int32_t value;
        int radix;
        const char* text;
    } cases[] = {{1000000, 10, "1,000,000"},
                 {1234567, 0, "1,234,567"},
                 {-1000, 10, "-1,000"},
                 {-999, 10, "-999"},
                 {999, 10, "999"},
                 {0, 10, "0"},
                 {INT_MIN, 10, "-2,147,483,648"},
                 {255, 16, "0xFF"},
                 {-1, 16, "0xFFFFFFFF"}};
    for (const auto& c : cases)
        EXPECT_STREQ(Num_Format(c.value, c.radix), c.text);
    const char* texts[9];
    for (int i = 0; i < 8; ++i)
        texts[i] = Num_Format(i + 1, 10);
    for (int i = 0; i < 8; ++i) // eight texts at once
        EXPECT_EQ(texts[i], std::to_string(i + 1));
    texts[8] = Num_Format(9, 10);
    EXPECT_EQ(texts[8], texts[0]); // the ninth takes the first one's slot
    EXPECT_STREQ(texts[7], "8");
}

TEST(NumericField, ReadsTheTextAndShowsItsValueOnLosingTheFocus) {
    struct Range {
        int32_t minimum, maximum, defaultValue;
    };
    const Range counts = {1, 2073600, 256}, any = {INT_MIN, INT_MAX, 7}, negative = {-10, -5, 0};
    const struct {
        Range range;
        const char* text;
        int radix;
        int32_t value;
    } cases[] = {
        {counts, " 2,048 ", 10, 2048},
        {counts, "", 10, 1},
        {counts, "0", 10, 1},
        {counts, "-5", 10, 1},
        {counts, "99999999", 10, 2073600},
        {counts, "abc", 10, 1},
        {counts, "x12", 10, 256},
        {counts, "12x", 10, 1},
        {counts, "0x100", 10, 256},
        {counts, "1f", 16, 31},
        {any, "0X100", 10, 7},
        {any, "", 10, 7},
        {negative, "", 10, -5},
        {any, "12-5", 10, -5},
        {any, "+77", 10, 77},
        {any, "-1,000", 10, -1000},
        {any, "1\t2 3", 10, 123},
        {any, "-1", 16, 7},
        {any, "0xffffffff", 10, -1},
        {any, "ff", 16, 255},
        // Value and weight wrap at 32 bits.
        {any, "4294967297", 10, 1},
        {any, "2147483648", 10, INT_MIN},
        {any, "10000000000000000", 16, 0},
    };
    HWND host = Popup("STATIC", nullptr, 0, 0, 100, 40);
    HWND field =
        CreateWindowA("EDIT", "", WS_CHILD, 0, 0, 90, 20, host, HMENU(10), nullptr, nullptr);
    char shown[64];
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const Range& r = c.range;
        SetWindowTextA(field, c.text);
        EXPECT_EQ(Field_ReadNumber(host, 10, r.minimum, r.maximum, r.defaultValue, c.radix),
                  c.value);
        Field_NormalizeNumber(host, 10, r.minimum, r.maximum, r.defaultValue, c.radix, EN_CHANGE);
        GetWindowTextA(field, shown, sizeof(shown));
        EXPECT_STREQ(shown, c.text);
        Field_NormalizeNumber(host, 10, r.minimum, r.maximum, r.defaultValue, c.radix,
                              EN_KILLFOCUS);
        GetWindowTextA(field, shown, sizeof(shown));
        EXPECT_STREQ(shown, Num_Format(c.value, c.radix));
    }
    DestroyWindow(host);
}

TEST(Placement, KeepsWindowsInsideAWorkAreaSmallerThanThem) {
    RECT saved, small = {0, 0, 400, 300};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &saved, 0);
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETWORKAREA, 0, &small, 0));
    HWND owner = Popup("STATIC", nullptr, 100, 180, 200, 100);
    const struct {
        bool below;
        int width, height;
        POINT at;
    } cases[] = {{false, 100, 50, {150, 205}},  {false, 500, 50, {0, 205}},
                 {false, 100, 200, {150, 100}}, {false, 500, 400, {0, 0}},
                 {true, 100, 10, {100, 280}},   {true, 100, 50, {100, 250}},
                 {true, 350, 150, {50, 150}}};
    for (const auto& c : cases) {
        HWND w = Popup("STATIC", owner, 7, 7, c.width, c.height);
        c.below ? Wnd_PlaceBelow(w, owner) : Wnd_CenterOverOwner(w);
        RECT r;
        GetWindowRect(w, &r);
        EXPECT_EQ(std::make_pair(r.left, r.top), std::make_pair(c.at.x, c.at.y))
            << c.width << "x" << c.height << (c.below ? " below" : " centred");
        EXPECT_EQ(r.right - r.left, c.width);
        DestroyWindow(w);
    }
    DestroyWindow(owner);
    SystemParametersInfoA(SPI_SETWORKAREA, 0, &saved, 0);
}

TEST(StartRelative, NamesInAndBelowTheStartFolderLoseIt) {
    strcpy(appState.startFolder, "C:\\work\\");
    const struct {
        const char *path, *relative;
        int size;
    } cases[] = {{"C:\\work\\data\\a.map", "data\\a.map", 260},
                 {"C:\\work\\a.map", "a.map", 260},
                 {"C:\\other\\a.map", "..\\other\\a.map", 260},
                 {"D:\\a.map", "D:\\a.map", 260},
                 {"C:\\work\\data\\a.map", "data", 5}};
    for (const auto& c : cases) {
        char path[260];
        strcpy(path, c.path);
        Path_MakeStartRelative(path, c.size);
        EXPECT_STREQ(path, c.relative);
    }
    App_ResetState();
}

TEST(Stripes, EvenAndOddRowsGetTheirColoursThroughTheMessageResult) {
    HWND dialog = Popup("#32770", nullptr, 0, 0, 10, 10);
    NMLVCUSTOMDRAW draw = {};
    draw.nmcd.dwDrawStage = CDDS_PREPAINT;
    List_DrawStripes(dialog, &draw, 1, 2);
    EXPECT_EQ(GetWindowLongPtrA(dialog, DWLP_MSGRESULT), CDRF_NOTIFYITEMDRAW);
    for (DWORD row = 0; row < 6; ++row) {
        draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
        draw.nmcd.dwItemSpec = row;
        List_DrawStripes(dialog, &draw, 1, 2);
        EXPECT_EQ(draw.clrTextBk, row % 2 ? 2u : 1u);
        EXPECT_EQ(GetWindowLongPtrA(dialog, DWLP_MSGRESULT), CDRF_NEWFONT);
    }
    DestroyWindow(dialog);
}

TEST(TileBytes, StrideOfThreeBitTilesIsAMultipleOfThree) {
    const struct {
        uint16_t width, height, bits;
        int32_t bytes;
        uint32_t stride;
    } cases[] = {{8, 8, 3, 24, 24},
                 {5, 5, 3, 10, 12},
                 {8, 8, 4, 32, 32},
                 {3, 1, 1, 1, 1},
                 // The product passes 31 bits and wraps.
                 {65535, 65535, 8, -131071, uint32_t(-131071)}};
    for (const auto& c : cases) {
        TileBytes t = Tile_ByteSize(c.width, c.height, c.bits);
        EXPECT_EQ(std::make_pair(t.bytes, t.stride), std::make_pair(c.bytes, c.stride));
    }
}

} // namespace
