// Dialog helpers: number texts and their ring, and numeric fields read and
// rewritten on losing the focus, as one table of texts. Placement, names
// relative to the start folder, the field under a drop and the file chooser
// are met in the dialogs' tests.
#include <gtest/gtest.h>
#include "dialogs/dlgutil.h"
#include <climits>
#include <tuple>

namespace {

HWND Popup(const char* cls, HWND owner, int x, int y, int width, int height) {
    return CreateWindowA(cls, "", WS_POPUP, x, y, width, height, owner, nullptr, nullptr, nullptr);
}

TEST(NumFormat, GroupsDigitsAndKeepsEightTextsIntact) {
    // clang-format off
    const std::tuple<int32_t, int, std::string> cases[] = {
        {1000000, 10, "1,000,000"}, {1234567, 0, "1,234,567"}, {-1000, 10, "-1,000"},
        {-999, 10, "-999"}, {0, 10, "0"}, {INT_MIN, 10, "-2,147,483,648"},
        {255, 16, "0xFF"}, {-1, 16, "0xFFFFFFFF"}};
    // clang-format on
    for (const auto& [value, radix, text] : cases)
        EXPECT_EQ(Num_Format(value, radix), text);
    const char* texts[9];
    for (int i = 0; i < 9; ++i)
        texts[i] = Num_Format(i + 1, 10);
    EXPECT_EQ(texts[8], texts[0]); // the ninth takes the first one's slot
    for (int i = 1; i < 9; ++i)
        EXPECT_EQ(texts[i], std::to_string(i + 1));
}

TEST(NumericField, ReadsTheTextAndShowsItsValueOnLosingTheFocus) {
    // Ranges: c counts 1..2073600 (default 256), a anything (default 7),
    // n -10..-5 (default 0).
    // clang-format off
    const std::tuple<char, const char*, int, int32_t> cases[] = {
        {'c', " 2,048 ", 10, 2048}, {'c', "", 10, 1}, {'c', "0", 10, 1}, {'c', "-5", 10, 1},
        {'c', "99999999", 10, 2073600}, {'c', "abc", 10, 1}, {'c', "x12", 10, 256},
        {'c', "12x", 10, 1}, {'c', "0x100", 10, 256}, {'c', "1f", 16, 31}, {'a', "0X100", 10, 7},
        {'a', "", 10, 7}, {'n', "", 10, -5}, {'a', "12-5", 10, -5}, {'a', "+77", 10, 77},
        {'a', "-1,000", 10, -1000}, {'a', "1\t2 3", 10, 123}, {'a', "-1", 16, 7},
        {'a', "0xffffffff", 10, -1}, {'a', "ff", 16, 255},
        // Value and weight wrap at 32 bits.
        {'a', "4294967297", 10, 1}, {'a', "2147483648", 10, INT_MIN},
        {'a', "10000000000000000", 16, 0}};
    // clang-format on
    HWND host = Popup("STATIC", nullptr, 0, 0, 100, 40);
    HWND field =
        CreateWindowA("EDIT", "", WS_CHILD, 0, 0, 90, 20, host, HMENU(10), nullptr, nullptr);
    char shown[64];
    for (auto [range, text, radix, value] : cases) {
        SCOPED_TRACE(text);
        int32_t low = range == 'c' ? 1 : range == 'n' ? -10 : INT_MIN;
        int32_t high = range == 'c' ? 2073600 : range == 'n' ? -5 : INT_MAX;
        int32_t otherwise = range == 'c' ? 256 : range == 'n' ? 0 : 7;
        SetWindowTextA(field, text);
        EXPECT_EQ(Field_ReadNumber(host, 10, low, high, otherwise, radix), value);
        Field_NormalizeNumber(host, 10, low, high, otherwise, radix, EN_CHANGE);
        GetWindowTextA(field, shown, sizeof(shown));
        EXPECT_STREQ(shown, text); // only losing the focus rewrites
        Field_NormalizeNumber(host, 10, low, high, otherwise, radix, EN_KILLFOCUS);
        GetWindowTextA(field, shown, sizeof(shown));
        EXPECT_STREQ(shown, Num_Format(value, radix));
    }
    DestroyWindow(host);
}

} // namespace
