// The program's resources as the system hands them out. Covers: the ANSI
// code page of the test locale and the CP949 bytes of the Korean texts, the
// string table, the accelerator table, the two dialog templates field by
// field, the bitmaps (sizes and the mask colour of the strips), the icon
// and the manifest that asks for common controls 6.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "resources/resource.h"
#include "tests/shell/texts.h"
#include "tests/shell/uitest.h"

namespace {

HINSTANCE Self() {
    return GetModuleHandleA(nullptr);
}

std::string String(UINT id) {
    char text[2048] = "";
    LoadStringA(Self(), id, text, sizeof(text));
    return text;
}

TEST(Resources, KoreanTextArrivesInCodePage949) {
    EXPECT_EQ(GetACP(), 949u);
    // Byte for byte, independent of any conversion in the test.
    EXPECT_EQ(String(IDS_HELP_FILE), "\xC6\xC4\xC0\xCF\xC0\xBB\x20\xC1\xB6\xC0\xDB\xC7\xCF\xB4\xC2"
                                     "\x20\xB8\xED\xB7\xC9\xC0\xCC\x20\xC0\xD6\xBD\xC0\xB4\xCF\xB4"
                                     "\xD9");
    EXPECT_EQ(String(IDS_READY), "\xC1\xD8\xBA\xF1");
    EXPECT_EQ(String(IDS_RUN_LABEL), "\xBD\xC7\xC7\xE0");
}

TEST(Resources, StringTableHoldsTheSystemsTexts) {
    struct {
        UINT id;
        const char16_t* text;
    } cases[] = {
        {60, texts::HELP_60},
        {61, texts::HELP_61},
        {62, texts::HELP_62},
        {63, texts::HELP_63},
        {64, texts::HELP_64},
        {38002, texts::HELP_61},
        {40001, texts::HELP_40001},
        {40002, texts::HELP_40002},
        {40003, texts::HELP_40003},
        {40004, texts::HELP_40004},
        {40100, texts::HELP_40100},
        {40200, texts::HELP_40200},
        {IDS_READY, texts::READY},
        {IDS_RUN_LABEL, texts::RUN_LABEL},
        {IDS_AUTHOR_LABEL, texts::AUTHOR_LABEL},
        {IDS_OTHER_COLOUR, texts::OTHER_COLOUR},
        {IDS_TEXT_FONT_FACE, texts::GULIMCHE},
        {IDS_COMCTL_TITLE, texts::COMCTL_TITLE},
        {IDS_WARNING_TITLE, texts::WARNING_TITLE},
        {IDS_CREATE_FAILED, texts::CREATE_FAILED},
        {IDS_ABOUT_TEXT, texts::ABOUT_TEXT},
    };
    for (auto& c : cases)
        EXPECT_EQ(String(c.id), Ansi(c.text)) << c.id;
    EXPECT_EQ(String(IDS_OPENING_TEXT) + String(IDS_OPENING_MORE), Ansi(texts::OPENING));
    // Command 40101 has no help text.
    char none[8] = "x";
    EXPECT_EQ(LoadStringA(Self(), IDM_EDITOR, none, sizeof(none)), 0);
}

TEST(Resources, AcceleratorTable100) {
    HACCEL table = LoadAcceleratorsA(Self(), MAKEINTRESOURCEA(IDR_ACCEL));
    ASSERT_NE(table, nullptr);
    ACCEL entries[8];
    ASSERT_EQ(CopyAcceleratorTableA(table, entries, 8), 3);
    const ACCEL expected[] = {{FVIRTKEY | FALT, 'T', IDM_TOOLBAR},
                              {FVIRTKEY | FALT, 'S', IDM_STATUSBAR},
                              {FVIRTKEY | FSHIFT, VK_F1, IDM_ABOUT}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(entries[i].fVirt & ~0x80, expected[i].fVirt) << i; // 0x80 ends the table
        EXPECT_EQ(entries[i].key, expected[i].key) << i;
        EXPECT_EQ(entries[i].cmd, expected[i].cmd) << i;
    }
    DestroyAcceleratorTable(table);
}

// A reader of extended dialog templates.
class Template {
  public:
    explicit Template(int id) {
        HRSRC found = FindResourceA(Self(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
        p_ = found ? static_cast<const BYTE*>(LockResource(LoadResource(Self(), found))) : nullptr;
        start_ = p_;
    }
    bool ok() const { return p_ != nullptr; }
    WORD Word() {
        WORD w = *reinterpret_cast<const WORD*>(p_);
        p_ += 2;
        return w;
    }
    DWORD Dword() {
        DWORD d = *reinterpret_cast<const DWORD*>(p_);
        p_ += 4;
        return d;
    }
    // A string or an ordinal (written as "#n").
    std::u16string Text() {
        if (*reinterpret_cast<const WORD*>(p_) == 0xFFFF) {
            Word();
            return u"#" + Utf16(std::to_string(Word()));
        }
        std::u16string s;
        for (WORD w; (w = Word()) != 0;)
            s += static_cast<char16_t>(w);
        return s;
    }
    void AlignDword() { p_ = start_ + ((p_ - start_ + 3) & ~3); }
    static std::u16string Utf16(const std::string& ascii) {
        return std::u16string(ascii.begin(), ascii.end());
    }

  private:
    const BYTE* p_;
    const BYTE* start_;
};

struct ItemSpec {
    DWORD style;
    short x, y, cx, cy;
    DWORD id;
    const char16_t* className; // "BUTTON", "EDIT" or "STATIC", by name or by ordinal
    const char16_t* text;
};

struct DialogSpec {
    int id;
    DWORD style, exStyle;
    short cx, cy;
    const char16_t* className;
    const char16_t* caption;
    std::vector<ItemSpec> items;
};

std::u16string Upper(std::u16string s) {
    for (char16_t& c : s) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    }
    return s;
}

void ExpectTemplate(const DialogSpec& spec) {
    SCOPED_TRACE(spec.id);
    Template t(spec.id);
    ASSERT_TRUE(t.ok());
    EXPECT_EQ(t.Word(), 1);      // version
    EXPECT_EQ(t.Word(), 0xFFFF); // extended template
    t.Dword();                   // help id
    EXPECT_EQ(t.Dword(), spec.exStyle);
    EXPECT_EQ(t.Dword(), spec.style);
    WORD count = t.Word();
    EXPECT_EQ(t.Word(), 0); // x
    EXPECT_EQ(t.Word(), 0); // y
    EXPECT_EQ(static_cast<short>(t.Word()), spec.cx);
    EXPECT_EQ(static_cast<short>(t.Word()), spec.cy);
    EXPECT_EQ(t.Text(), u""); // no menu of its own: the class brings it
    // Class names compare without regard to case, as the system does.
    EXPECT_EQ(Upper(t.Text()), Upper(spec.className));
    EXPECT_EQ(t.Text(), spec.caption);
    EXPECT_EQ(t.Word(), 9); // point size
    t.Word();               // weight
    t.Word();               // italic, character set
    EXPECT_EQ(t.Text(), std::u16string(texts::GULIM));
    ASSERT_EQ(count, spec.items.size());
    for (const ItemSpec& item : spec.items) {
        SCOPED_TRACE(item.id);
        t.AlignDword();
        t.Dword(); // help id
        t.Dword(); // extended style
        EXPECT_EQ(t.Dword(), item.style);
        EXPECT_EQ(static_cast<short>(t.Word()), item.x);
        EXPECT_EQ(static_cast<short>(t.Word()), item.y);
        EXPECT_EQ(static_cast<short>(t.Word()), item.cx);
        EXPECT_EQ(static_cast<short>(t.Word()), item.cy);
        EXPECT_EQ(t.Dword(), item.id);
        std::u16string cls = Upper(t.Text());
        if (cls == u"BUTTON") cls = u"BUTTON";
        if (cls == u"EDIT") cls = u"EDIT";
        if (cls == u"STATIC") cls = u"STATIC";
        EXPECT_TRUE(cls == item.className);
        EXPECT_EQ(t.Text(), item.text);
        WORD extra = t.Word();
        for (WORD i = 0; i < extra; i += 2)
            t.Word();
    }
}

TEST(Resources, MainWindowTemplate200) {
    ExpectTemplate({IDD_MAIN,
                    0x80CE0054,
                    WS_EX_CONTROLPARENT,
                    270,
                    300,
                    u"MainClass",
                    u"UI MAIN",
                    {{0x50B00844, 10, 10, 280, 160, IDC_TEXT, u"EDIT", u""}}});
}

TEST(Resources, AboutBoxTemplate201) {
    const DWORD child = WS_CHILD | WS_VISIBLE;
    ExpectTemplate(
        {IDD_ABOUT,
         0x80C800C0,
         0,
         218,
         240,
         u"",
         texts::ABOUT_TITLE,
         {{child | SS_BITMAP | SS_SUNKEN, 7, 7, 16, 14, IDC_ABOUT_PICTURE, u"STATIC", u""},
          {child | SS_ETCHEDHORZ, 7, 80, 205, 1, 0xFFFFFFFF, u"STATIC", u""},
          {child | SS_CENTER, 7, 86, 204, 9, 0xFFFFFFFF, u"STATIC", u"ORV System Utiliy with GUI"},
          {child | SS_CENTER, 7, 98, 204, 9, IDC_ABOUT_VERSION, u"STATIC", u"Version 0"},
          {child | SS_CENTER, 7, 116, 204, 9, 0xFFFFFFFF, u"STATIC",
           u"Copyright (C) 2024 the tile order utility authors"},
          {child | SS_ETCHEDHORZ, 7, 130, 205, 1, 0xFFFFFFFF, u"STATIC", u""},
          {0x50B00844, 7, 136, 204, 78, IDC_ABOUT_TEXT, u"EDIT", u""},
          {child | BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 84, 220, 50, 14, IDOK, u"BUTTON",
           texts::ABOUT_OK}}});
}

enum Mask {
    NO_MASK,       // a picture shown as it is
    SOME_MASKED,   // some pictures of the strip have a transparent background
    CORNERS_MASKED // every picture of the strip has
};

struct BitmapCase {
    int id;
    LONG width, height;
    Mask mask; // strips are cut out by the mask colour RGB(255, 5, 255)
};

class Bitmaps : public ::testing::TestWithParam<BitmapCase> {};

TEST_P(Bitmaps, HaveTheirSizeAndMaskColour) {
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(Self(), MAKEINTRESOURCEA(GetParam().id),
                                                     IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(bitmap, nullptr);
    DIBSECTION dib = {};
    ASSERT_EQ(GetObjectA(bitmap, sizeof(dib), &dib), static_cast<int>(sizeof(dib)));
    EXPECT_EQ(dib.dsBm.bmWidth, GetParam().width);
    EXPECT_EQ(dib.dsBm.bmHeight, GetParam().height);
    EXPECT_EQ(dib.dsBm.bmBitsPixel, 24);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    int masked = 0, corners = 0;
    for (LONG y = 0; y < GetParam().height; ++y) {
        for (LONG x = 0; x < GetParam().width; ++x) {
            if (GetPixel(dc, x, y) != RGB(255, 5, 255)) continue;
            ++masked;
            if (y == 0 && x % 16 == 0) ++corners;
        }
    }
    SelectObject(dc, old);
    switch (GetParam().mask) {
    case NO_MASK: EXPECT_EQ(masked, 0); break;
    case SOME_MASKED: EXPECT_GT(masked, 0); break;
    case CORNERS_MASKED: EXPECT_EQ(corners, GetParam().width / 16); break;
    }
    DeleteDC(dc);
    DeleteObject(bitmap);
}

INSTANTIATE_TEST_SUITE_P(All, Bitmaps,
                         ::testing::Values(BitmapCase{IDB_TILES, 250, 36, NO_MASK},
                                           BitmapCase{IDB_TOOLBAR, 32, 16, CORNERS_MASKED},
                                           BitmapCase{IDB_COMBOBOX, 160, 16, SOME_MASKED},
                                           BitmapCase{IDB_EXTENSION, 160, 16, CORNERS_MASKED}));

TEST(Resources, IconAndManifest) {
    for (int size : {16, 32}) {
        HICON icon = static_cast<HICON>(
            LoadImageA(Self(), MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON, size, size, 0));
        EXPECT_NE(icon, nullptr) << size;
        if (icon) DestroyIcon(icon);
    }
    HRSRC found = FindResourceA(Self(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(found, nullptr);
    std::string manifest(static_cast<const char*>(LockResource(LoadResource(Self(), found))),
                         SizeofResource(Self(), found));
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
}

} // namespace
