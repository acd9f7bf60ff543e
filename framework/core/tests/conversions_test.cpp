#include <gtest/gtest.h>

#include <cmath>

#include "framework/core/VantaroUtils.h"

namespace korvex {
namespace {

enum class Conv { Bool, Short, Long, Double };

struct ConversionCase {
    Conv conv;
    const char* text;  // UTF-8
    double defaultValue;
    double expected;
};

// Defaults are chosen apart from every expected result, so falling back is always visible.
const ConversionCase kCases[] = {
    // StrToBool: only the exact untrimmed words "False", "Falso" and "0" are false.
    {Conv::Bool, "Falso", 1, 0},
    {Conv::Bool, "False", 1, 0},
    {Conv::Bool, "0", 1, 0},
    {Conv::Bool, "1", 0, 1},
    {Conv::Bool, "false", 0, 1},
    {Conv::Bool, "FALSE", 0, 1},
    {Conv::Bool, " 0", 0, 1},
    {Conv::Bool, "0 ", 0, 1},
    {Conv::Bool, "no", 0, 1},
    {Conv::Bool, "", 1, 1},
    {Conv::Bool, "", 0, 0},
    {Conv::Bool, "   ", 1, 1},
    {Conv::Bool, "   ", 0, 0},

    // StrToShort: C-locale numbers, rounded half to even, range of 16 bits.
    {Conv::Short, "123", 7, 123},
    {Conv::Short, " -45 ", 7, -45},
    {Conv::Short, "+12", 7, 12},
    {Conv::Short, "2.5", 7, 2},
    {Conv::Short, "3.5", 7, 4},
    {Conv::Short, "-2.5", 7, -2},
    {Conv::Short, "-3.5", 7, -4},
    {Conv::Short, "2.51", 7, 3},
    {Conv::Short, "0.5", 7, 0},
    {Conv::Short, ".5", 7, 0},
    {Conv::Short, "1.5", 7, 2},
    {Conv::Short, "12.", 7, 12},
    {Conv::Short, "1e3", 7, 1000},
    {Conv::Short, "32767", 7, 32767},
    {Conv::Short, "-32768", 7, -32768},
    {Conv::Short, "32767.5", 7, 7},        // rounds to 32768: overflow
    {Conv::Short, "-32768.5", 7, -32768},  // half to even stays in range
    {Conv::Short, "40000", 7, 7},
    {Conv::Short, "-40000", 7, 7},
    {Conv::Short, "", 7, 7},
    {Conv::Short, "  ", 7, 7},
    {Conv::Short, "abc", 7, 7},
    {Conv::Short, "12abc", 7, 7},
    {Conv::Short, "1 2", 7, 7},
    {Conv::Short, "2,5", 7, 7},  // no decimal or thousands comma in the "C" locale
    {Conv::Short, "1,000", 7, 7},
    {Conv::Short, "-", 7, 7},
    {Conv::Short, ".", 7, 7},
    {Conv::Short, "1e", 7, 7},
    {Conv::Short, "inf", 7, 7},
    {Conv::Short, "nan", 7, 7},
    {Conv::Short, "0x10", 7, 7},
    {Conv::Short, "\t5", 7, 7},

    // StrToLong: the same rule over 32 bits.
    {Conv::Long, "100000", 7, 100000},
    {Conv::Long, "-2147483648", 7, -2147483648.0},
    {Conv::Long, "2147483647", 7, 2147483647},
    {Conv::Long, "2147483648", 7, 7},
    {Conv::Long, "2147483647.5", 7, 7},
    {Conv::Long, "40000", 7, 40000},
    {Conv::Long, "4.5", 7, 4},
    {Conv::Long, "5.5", 7, 6},
    {Conv::Long, "1e400", 7, 7},
    {Conv::Long, "99999999999999999999", 7, 7},
    {Conv::Long, "", -1, -1},

    // StrToDouble: every digit counts, the last "," or "." places the point, no signs.
    {Conv::Double, "359", -1, 359},
    {Conv::Double, "0.0001", -1, 0.0001},
    {Conv::Double, "1,5", -1, 1.5},
    {Conv::Double, "12,5", -1, 12.5},
    {Conv::Double, "12.5", -1, 12.5},
    {Conv::Double, "1.234,5", -1, 1234.5},
    {Conv::Double, "1,234.5", -1, 1234.5},
    {Conv::Double, "  3.25  ", -1, 3.25},
    {Conv::Double, "5.", -1, 5},
    {Conv::Double, ".5", -1, 0.5},
    {Conv::Double, ".", -1, 0},
    {Conv::Double, "-3", -1, -1},
    {Conv::Double, "+3", -1, -1},
    {Conv::Double, "abc", -1, -1},
    {Conv::Double, "1e3", -1, -1},
    {Conv::Double, "1 5", -1, -1},
    {Conv::Double, "", -1, -1},
    {Conv::Double, "   ", -1, -1},
    {Conv::Double, "١٢", -1, -1},  // digits of another script are not digits here
};

TEST(Conversions, FollowTheirRules) {
    for (const ConversionCase& c : kCases) {
        const QString text = QString::fromUtf8(c.text);
        SCOPED_TRACE(testing::Message() << "conversion " << int(c.conv) << " of \"" << c.text
                                        << "\" default " << c.defaultValue);
        switch (c.conv) {
            case Conv::Bool:
                EXPECT_EQ(StrToBool(text, c.defaultValue != 0), c.expected != 0);
                break;
            case Conv::Short:
                EXPECT_EQ(StrToShort(text, int16_t(c.defaultValue)), int16_t(c.expected));
                break;
            case Conv::Long:
                EXPECT_EQ(StrToLong(text, int32_t(c.defaultValue)), int32_t(c.expected));
                break;
            case Conv::Double:
                EXPECT_EQ(StrToDouble(text, c.defaultValue), c.expected);
                break;
        }
    }
}

TEST(Conversions, DoubleOverflowGivesDefault) {
    // 400 digits overflow the accumulated value; 400 decimals overflow the scale.
    EXPECT_EQ(StrToDouble(QString(400, QLatin1Char('9')), -1), -1);
    EXPECT_EQ(StrToDouble("0." + QString(400, QLatin1Char('0')), -1), -1);
    EXPECT_NEAR(StrToDouble(QString(300, QLatin1Char('9')), -1) / 1e300, 1.0, 1e-12);
}

}  // namespace
}  // namespace korvex
