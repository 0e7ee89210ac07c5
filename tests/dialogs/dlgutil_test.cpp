// Dialog helpers: numeric fields read and rewritten on losing the focus, and
// so number texts, as one table of texts; the ring of number texts.
// Placement, names relative to the start folder, the field under a drop and
// the file chooser are met in the dialogs' tests.
#include <gtest/gtest.h>
#include "dialogs/dlgutil.h"
#include <climits>
#include <tuple>
#include "tests/support/uitest.h"

namespace {

TEST(NumericField, ReadsTheTextAndShowsItsValueInCanonicalFormOnLosingTheFocus) {
    // Ranges: c counts 1..2073600 (default 256), a anything (default 7),
    // n -10..-5 (default 0).
    // clang-format off
    const std::tuple<char, const char*, int, int32_t, const char*> cases[] = {
        {'c', " 2,048 ", 10, 2048, "2,048"}, {'c', "", 10, 1, "1"}, {'c', "-5", 10, 1, "1"},
        {'c', "99999999", 10, 2073600, "2,073,600"}, {'c', "abc", 10, 1, "1"},
        {'c', "x12", 10, 256, "256"}, {'c', "12x", 10, 1, "1"}, {'c', "0x100", 10, 256, "256"},
        {'c', "1f", 16, 31, "0x1F"}, {'a', "0X100", 10, 7, "7"}, {'a', "", 10, 7, "7"},
        {'n', "", 10, -5, "-5"}, {'a', "12-5", 10, -5, "-5"}, {'a', "+77", 10, 77, "77"},
        {'a', "-1,000", 10, -1000, "-1,000"}, {'a', "1\t2 3", 0, 123, "123"},
        {'a', "-1", 16, 7, "0x7"}, {'a', "0xffffffff", 10, -1, "-1"}, {'a', "0", 10, 0, "0"},
        {'a', "1234567", 10, 1234567, "1,234,567"}, {'a', "-999", 10, -999, "-999"},
        // Value and weight wrap at 32 bits.
        {'a', "4294967297", 10, 1, "1"}, {'a', "2147483648", 10, INT_MIN, "-2,147,483,648"},
        {'a', "10000000000000000", 16, 0, "0x0"}, {'a', "FFFFFFFF", 16, -1, "0xFFFFFFFF"}};
    // clang-format on
    HWND host = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 100, 40, 0, 0, 0, 0);
    HWND field = CreateWindowA("EDIT", "", WS_CHILD, 0, 0, 90, 20, host, HMENU(10), 0, 0);
    for (auto [range, text, radix, value, shown] : cases) {
        SCOPED_TRACE(text);
        int32_t low = range == 'c' ? 1 : range == 'n' ? -10 : INT_MIN;
        int32_t high = range == 'c' ? 2073600 : range == 'n' ? -5 : INT_MAX;
        int32_t otherwise = range == 'c' ? 256 : range == 'n' ? 0 : 7;
        SetWindowTextA(field, text);
        EXPECT_EQ(Field_ReadNumber(host, 10, low, high, otherwise, radix), value);
        Field_NormalizeNumber(host, 10, low, high, otherwise, radix, EN_CHANGE);
        EXPECT_EQ(Ui_Text(field), text); // only losing the focus rewrites
        Field_NormalizeNumber(host, 10, low, high, otherwise, radix, EN_KILLFOCUS);
        EXPECT_EQ(Ui_Text(field), shown);
    }
    DestroyWindow(host);
}

TEST(NumFormat, KeepsEightTextsIntact) {
    const char* texts[9];
    for (int i = 0; i < 9; ++i)
        texts[i] = Num_Format(i + 1, 10);
    EXPECT_EQ(texts[8], texts[0]); // the ninth takes the first one's slot
    for (int i = 1; i < 9; ++i)
        EXPECT_EQ(texts[i], std::to_string(i + 1));
}

} // namespace
